#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <tuple>

#include "DriveFixture.h"
#include "platform/FileFind.h"

namespace {

std::uint64_t FileTimeOf(std::int64_t unixSeconds)
{
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

}  // namespace

class FileFindTest : public TDriveFixture {};

TEST_F(FileFindTest, AttributesSizesAndTimesFollowTheNativeEntry)
{
    Tree.WriteFile("plain.txt", "12345");
    Tree.WriteFile(".dotfile", "x");
    chmod(Tree.WriteFile("locked.txt", "abc").c_str(), 0444);
    Tree.MakeDir("folder");
    Tree.MakeDir(".dotfolder");
    chmod(Tree.MakeDir("lockedfolder").c_str(), 0555);
    Tree.SetTime("plain.txt", 1000000000);

    auto found = SearchAll(OnC("*.*"), faAnyFile);
    const std::pair<const char*, std::uint32_t> attributes[] = {
        {"plain.txt", faArchive},
        {".dotfile", faArchive | faHidden},
        {"locked.txt", faArchive | faReadOnly},
        {"folder", faDirectory},
        {".dotfolder", faDirectory | faHidden},
        {"lockedfolder", faDirectory | faReadOnly},
    };
    EXPECT_EQ(found.size(), std::size(attributes));
    for (const auto& [name, attr] : attributes) EXPECT_EQ(found[name].Attr, attr) << name;
    EXPECT_EQ(found["plain.txt"].Size, 5);
    EXPECT_EQ(found["plain.txt"].LastWriteTime, FileTimeOf(1000000000));
}

TEST_F(FileFindTest, LinksFifosDevicesAndBackslashNamesAreNeverReturned)
{
    Tree.WriteFile("real.txt", "r");
    Tree.MakeDir("realdir");
    Tree.WriteFile("back\\slash.txt", "b");
    ASSERT_EQ(symlink("real.txt", Tree.Path("link-to-file").c_str()), 0);
    ASSERT_EQ(symlink("realdir", Tree.Path("link-to-dir").c_str()), 0);
    ASSERT_EQ(symlink("missing", Tree.Path("dangling").c_str()), 0);
    ASSERT_EQ(symlink("loop-b", Tree.Path("loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", Tree.Path("loop-b").c_str()), 0);
    ASSERT_EQ(symlink("self", Tree.Path("self").c_str()), 0);
    ASSERT_EQ(mkfifo(Tree.Path("fifo").c_str(), 0600), 0);
    bool device = mknod(Tree.Path("null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    EXPECT_EQ(Names(OnC("*.*"), faAnyFile), "real.txt,realdir");
    TFolderListing listing;
    ASSERT_TRUE(listing.Read("C:\\"));
    EXPECT_EQ(listing.Count(), 2u);
    TSearchRec rec;
    for (const char* name :
         {"link-to-file", "link-to-dir", "dangling", "loop-a", "self", "fifo", "null-device"}) {
        if (!device && name == std::string("null-device"))
            continue;
        EXPECT_FALSE(FindFile(OnC(name), rec)) << name;
        EXPECT_TRUE(FileExists(OnC(name))) << name;
    }
}

TEST_F(FileFindTest, FoldersOfAnotherFileSystemAreNotReturned)
{
    // The root's own mount points are the handiest other file systems: /proc and /sys.
    struct stat root, proc;
    if (stat("/", &root) != 0 || stat("/proc", &proc) != 0 || root.st_dev == proc.st_dev)
        GTEST_SKIP() << "/proc is no separate file system here";
    TDriveTable::SetCurrent(TDriveTable::FromFolders({"/"}));
    EXPECT_EQ(SearchAll("C:\\*.*", faAnyFile).count("proc"), 0u);
    TFolderListing listing;
    ASSERT_TRUE(listing.Read("C:\\"));
    for (std::size_t i = 0; i < listing.Count(); ++i) EXPECT_NE(listing.Name(i), "proc");
}

TEST_F(FileFindTest, SingleLookUpsAndSameFile)
{
    Tree.WriteFile("Dir/File.TXT", "contents");
    TSearchRec rec;
    ASSERT_TRUE(FindFile(OnC("Dir\\File.TXT"), rec, true));
    EXPECT_EQ(rec.Name, "File.TXT");
    EXPECT_EQ(rec.Size, 8);
    EXPECT_EQ(rec.Attr & ~faCompressed, faArchive);
    ASSERT_TRUE(FindFile(OnC("Dir\\"), rec));
    EXPECT_EQ(rec.Name + "," + std::to_string(rec.Attr), "Dir," + std::to_string(faDirectory));
    // An opened file gives the record of its path without a second look-up.
    TSearchRec byPath, opened;
    const int fd = open(Tree.Path("Dir/File.TXT").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_TRUE(FindFile(OnC("Dir\\File.TXT"), byPath) &&
                FindOpenFile(OnC("Dir\\File.TXT"), fd, opened));
    EXPECT_EQ(std::tie(opened.Name, opened.Attr, opened.Size, opened.LastWriteTime, opened.Inode),
              std::tie(byPath.Name, byPath.Attr, byPath.Size, byPath.LastWriteTime, byPath.Inode));
    close(fd);
    EXPECT_FALSE(FindFile(OnC("Dir\\file.txt"), rec));  // names are looked up as stored
    EXPECT_FALSE(FindFile("C:\\", rec));                // a drive root has no record of its own
    EXPECT_TRUE(FileExists("C:\\") && FileExists(OnC("Dir")));
    EXPECT_FALSE(FileExists(OnC("nothing")) || FileExists("Q:\\"));

    // The same file: the same device and inode.
    Tree.WriteFile("one.txt", "same");
    Tree.WriteFile("two.txt", "same");
    ASSERT_EQ(link(Tree.Path("one.txt").c_str(), Tree.Path("hard.txt").c_str()), 0);
    ASSERT_EQ(symlink("one.txt", Tree.Path("soft.txt").c_str()), 0);
    TDriveTable::SetCurrent(TDriveTable::FromFolders({Tree.Root(), Tree.Root()}));
    EXPECT_TRUE(SameFile(OnC("one.txt"), OnC("hard.txt")));
    EXPECT_TRUE(SameFile(OnC("one.txt"), "D:\\one.txt"));  // two drives over one folder
    EXPECT_FALSE(SameFile(OnC("one.txt"), OnC("two.txt")));
    EXPECT_FALSE(SameFile(OnC("one.txt"), OnC("soft.txt")));  // a link is an entry of its own
    EXPECT_FALSE(SameFile(OnC("missing.txt"), OnC("missing.txt")));
}
