#include "platform/FileFind.h"

#include "DriveFixture.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

namespace {

// Every record of a search, by name.
std::map<std::string, TSearchRec> SearchAll(const std::string& pathWithMask, std::uint32_t filter)
{
    std::map<std::string, TSearchRec> found;
    TDirSearch search;
    TSearchRec rec;
    for (bool more = search.First(pathWithMask, filter, rec); more; more = search.Next(rec)) {
        EXPECT_EQ(found.count(rec.Name), 0u) << "returned twice: " << rec.Name;
        found[rec.Name] = rec;
    }
    return found;
}

std::string Names(const std::map<std::string, TSearchRec>& found)
{
    std::string out;
    for (const auto& [name, rec] : found) out += (out.empty() ? "" : ",") + name;
    return out;
}

std::uint64_t FileTimeOf(std::int64_t unixSeconds)
{
    return static_cast<std::uint64_t>(unixSeconds + 11644473600LL) * 10000000ULL;
}

}  // namespace

class FileFindTest : public TDriveFixture {};

TEST_F(FileFindTest, AttributesFollowTheNativeEntry)
{
    Tree.WriteFile("plain.txt", "12345");
    Tree.WriteFile(".dotfile", "x");
    chmod(Tree.WriteFile("locked.txt", "abc").c_str(), 0444);
    Tree.MakeDir("folder");
    Tree.MakeDir(".dotfolder");
    chmod(Tree.MakeDir("lockedfolder").c_str(), 0555);
    Tree.SetTime("plain.txt", 1000000000);

    auto found = SearchAll(OnC("*.*"), faAnyFile);
    EXPECT_EQ(Names(found), ".dotfile,.dotfolder,folder,locked.txt,lockedfolder,plain.txt");
    EXPECT_EQ(found["plain.txt"].Attr, faArchive);
    EXPECT_EQ(found["plain.txt"].Size, 5);
    EXPECT_EQ(found["plain.txt"].LastWriteTime, FileTimeOf(1000000000));
    EXPECT_EQ(found["plain.txt"].LastAccessTime, FileTimeOf(1000000000));
    EXPECT_EQ(found["plain.txt"].ShortName, "");
    EXPECT_EQ(found[".dotfile"].Attr, faArchive | faHidden);
    EXPECT_EQ(found["locked.txt"].Attr, faArchive | faReadOnly);
    EXPECT_EQ(found["folder"].Attr, faDirectory);
    EXPECT_EQ(found["folder"].Size, 0);
    EXPECT_EQ(found[".dotfolder"].Attr, faDirectory | faHidden);
    EXPECT_EQ(found["lockedfolder"].Attr, faDirectory | faReadOnly);
    // A birth time, where the file system keeps one, is the moment the file was made.
    std::uint64_t birth = found["plain.txt"].CreationTime;
    std::uint64_t now = FileTimeOf(std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch()).count());
    EXPECT_TRUE(birth == 0 || (birth <= now + 20000000ULL && birth + 600000000ULL > now)) << birth;
}

TEST_F(FileFindTest, TheFilterLeavesOutWhatWasNotAskedFor)
{
    Tree.WriteFile("a.txt", "a");
    Tree.WriteFile(".h.txt", "h");
    Tree.MakeDir("sub");
    Tree.MakeDir(".hsub");
    EXPECT_EQ(Names(SearchAll(OnC("*.*"), 0)), "a.txt");
    EXPECT_EQ(Names(SearchAll(OnC("*.*"), faHidden)), ".h.txt,a.txt");
    EXPECT_EQ(Names(SearchAll(OnC("*.*"), faDirectory)), "a.txt,sub");
    EXPECT_EQ(Names(SearchAll(OnC("*.*"), faDirectory | faHidden)), ".h.txt,.hsub,a.txt,sub");
    EXPECT_EQ(Names(SearchAll(OnC("*.TXT"), faAnyFile)), ".h.txt,a.txt");
    EXPECT_EQ(Names(SearchAll("C:/s?b", faAnyFile)), "sub");
    EXPECT_EQ(Names(SearchAll(OnC("sub\\*.*"), faAnyFile)), "");
    EXPECT_EQ(Names(SearchAll("C:*.txt", 0)), "a.txt");
    EXPECT_EQ(Names(SearchAll(OnC(""), faAnyFile)), "");  // no mask, nothing
    EXPECT_EQ(Names(SearchAll("Q:\\*.*", faAnyFile)), "");
    EXPECT_EQ(Names(SearchAll(OnC("a.txt\\*.*"), faAnyFile)), "");  // a file is no folder
}

TEST_F(FileFindTest, SizesAreRealSixtyFourBitSizes)
{
    std::string path = Tree.WriteFile("big.bin", "");
    ASSERT_EQ(truncate(path.c_str(), (5LL << 30) + 7), 0);  // sparse: takes no room
    EXPECT_EQ(SearchAll(OnC("big.bin"), 0)["big.bin"].Size, (5LL << 30) + 7);
}

TEST_F(FileFindTest, LinksFifosSocketsAndBackslashNamesAreNeverReturned)
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
    int sock = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = Tree.Path("sock");
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(sock);
    bool device = mknod(Tree.Path("null-device").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;

    EXPECT_EQ(Names(SearchAll(OnC("*.*"), faAnyFile)), "real.txt,realdir");
    TFolderListing listing;
    ASSERT_TRUE(listing.Read("C:\\"));
    EXPECT_EQ(listing.Count(), 2u);

    TSearchRec rec;
    for (const char* name : {"link-to-file", "link-to-dir", "dangling", "loop-a", "self", "fifo",
                             "sock"}) {
        EXPECT_FALSE(FindFile(OnC(name), rec)) << name;
        EXPECT_TRUE(FileExists(OnC(name))) << name;
    }
    if (device) {
        EXPECT_FALSE(FindFile(OnC("null-device"), rec));
        EXPECT_TRUE(FileExists(OnC("null-device")));
    }
}

TEST_F(FileFindTest, FoldersOfAnotherFileSystemAreNotReturned)
{
    // The root's own mount points are the handiest other file systems: /proc and /sys.
    struct stat root, proc;
    if (stat("/", &root) != 0 || stat("/proc", &proc) != 0 || root.st_dev == proc.st_dev) {
        GTEST_SKIP() << "/proc is no separate file system here";
    }
    TDriveTable::SetCurrent(TDriveTable::FromFolders({"/"}));
    auto found = SearchAll("C:\\*.*", faAnyFile);
    EXPECT_EQ(found.count("proc"), 0u);
    TSearchRec rec;
    EXPECT_FALSE(FindFile("C:\\proc", rec));
    EXPECT_TRUE(FileExists("C:\\proc"));
    TFolderListing listing;
    ASSERT_TRUE(listing.Read("C:\\"));
    for (std::size_t i = 0; i < listing.Count(); ++i) EXPECT_NE(listing.Name(i), "proc");
}

TEST_F(FileFindTest, ListingReadsAFolderOnceForSeveralMasks)
{
    Tree.WriteFile("a.txt", "1");
    Tree.WriteFile("b.doc", "22");
    Tree.WriteFile("c.bin", "333");
    Tree.WriteFile(".h.txt", "4444");
    Tree.MakeDir("sub.txt");
    Tree.MakeDir("other");
    std::vector<std::string> masks = {"*.txt", "*.DOC"};

    auto names = [](const TFolderListing& listing) {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < listing.Count(); ++i) out.emplace_back(listing.Name(i));
        std::sort(out.begin(), out.end());
        std::string joined;
        for (const auto& name : out) joined += (joined.empty() ? "" : ",") + name;
        return joined;
    };
    TFolderListing listing;
    ASSERT_TRUE(listing.Read("C:\\", &masks));
    EXPECT_EQ(names(listing), ".h.txt,a.txt,b.doc,other,sub.txt");
    for (std::size_t i = 0; i < listing.Count(); ++i) {
        if (listing.Name(i) == "b.doc") {
            EXPECT_EQ(listing.Entry(i).Size, 2);
        }
    }
    std::vector<std::string> none;
    ASSERT_TRUE(listing.Read("C:", &none));
    EXPECT_EQ(names(listing), "other,sub.txt");
    ASSERT_TRUE(listing.ReadNative(Tree.Root(), nullptr));
    EXPECT_EQ(names(listing), ".h.txt,a.txt,b.doc,c.bin,other,sub.txt");
    EXPECT_FALSE(listing.Read("C:\\missing\\"));
    EXPECT_EQ(listing.Count(), 0u);
}

TEST_F(FileFindTest, SingleLookUpsGiveTheSearchRecord)
{
    Tree.WriteFile("Dir/File.TXT", "contents");
    TSearchRec rec;
    ASSERT_TRUE(FindFile(OnC("Dir\\File.TXT"), rec));
    EXPECT_EQ(rec.Name, "File.TXT");
    EXPECT_EQ(rec.Size, 8);
    EXPECT_EQ(rec.Attr, faArchive);
    EXPECT_EQ(rec.Inode, SearchAll(OnC("Dir\\*.*"), faAnyFile)["File.TXT"].Inode);
    EXPECT_FALSE(FindFile(OnC("Dir\\file.txt"), rec));  // names are looked up as stored
    EXPECT_FALSE(FindFile(OnC("Dir\\missing"), rec));
    EXPECT_FALSE(FindFile("C:\\", rec));  // a drive root has no record of its own
    EXPECT_FALSE(FindFile("Q:\\Dir\\File.TXT", rec));
    ASSERT_TRUE(FindFile(OnC("Dir\\"), rec));
    EXPECT_EQ(rec.Name, "Dir");
    EXPECT_EQ(rec.Attr, faDirectory);
    ASSERT_TRUE(FindFile(OnC("Dir\\File.TXT"), rec, true));
    EXPECT_EQ(rec.Attr & ~faCompressed, faArchive);

    EXPECT_TRUE(FileExists("C:\\"));
    EXPECT_TRUE(FileExists(OnC("Dir")));
    EXPECT_FALSE(FileExists(OnC("nothing")));
    EXPECT_FALSE(FileExists("Q:\\"));
}

TEST_F(FileFindTest, SameFileMeansSameDeviceAndInode)
{
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
