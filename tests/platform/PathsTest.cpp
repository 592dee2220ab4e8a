#include "platform/Paths.h"

#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempTree.h"

class PathsTest : public testing::Test {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(
            TDriveTable::FromSpec("C=/srv/c;D=/srv/c/d;E=/", nullptr));
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }
};

TEST_F(PathsTest, ProgramPathsMapToTheDriveFolder)
{
    EXPECT_EQ(ToNativePath("C:\\Data\\report.txt"), "/srv/c/Data/report.txt");
    EXPECT_EQ(ToNativePath("c:/Data/report.txt"), "/srv/c/Data/report.txt");
    EXPECT_EQ(ToNativePath("C:\\Data/sub\\\\x"), "/srv/c/Data/sub/x");
    EXPECT_EQ(ToNativePath("C:\\Data\\"), "/srv/c/Data/");
    EXPECT_EQ(ToNativePath("C:"), "/srv/c");
    EXPECT_EQ(ToNativePath("C:\\"), "/srv/c");
    EXPECT_EQ(ToNativePath("E:\\"), "/");
    EXPECT_EQ(ToNativePath("E:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(ToNativePath("C:Data"), "/srv/c/Data");
    // Names keep every other byte as it is.
    EXPECT_EQ(ToNativePath("C:\\ lead\\a:b\\\xff\n"), "/srv/c/ lead/a:b/\xff\n");
}

TEST_F(PathsTest, DotsNeverLeaveTheDrive)
{
    EXPECT_EQ(ToNativePath("C:\\..\\..\\etc\\passwd"), "/srv/c/etc/passwd");
    EXPECT_EQ(ToNativePath("C:\\a\\.\\b\\..\\..\\..\\x"), "/srv/c/x");
    EXPECT_EQ(ToNativePath("C:\\...\\x"), "/srv/c/.../x");
    EXPECT_EQ(FromNativePath("/srv/c/a/../../../etc"), "E:\\etc");
}

TEST_F(PathsTest, PathsOnNoDriveMapToNothing)
{
    EXPECT_FALSE(ToNativePath("\\Data\\x"));
    EXPECT_FALSE(ToNativePath("Data"));
    EXPECT_FALSE(ToNativePath(""));
    EXPECT_FALSE(ToNativePath("Q:\\x"));
    EXPECT_FALSE(ToNativePath("\\\\server\\share\\x"));
    EXPECT_FALSE(ToNativePath("1:\\x"));
    EXPECT_FALSE(ToNativePath(std::string_view("C:\\a\0b", 6)));
    EXPECT_FALSE(FromNativePath("relative/x"));
    EXPECT_FALSE(FromNativePath(""));
    EXPECT_FALSE(FromNativePath(std::string_view("/srv/c/a\0b", 10)));
}

TEST_F(PathsTest, NativePathsGoToTheClosestDrive)
{
    EXPECT_EQ(FromNativePath("/srv/c/Data/report.txt"), "C:\\Data\\report.txt");
    EXPECT_EQ(FromNativePath("/srv/c"), "C:\\");
    EXPECT_EQ(FromNativePath("/srv/c/"), "C:\\");
    EXPECT_EQ(FromNativePath("/srv/c/Data/"), "C:\\Data\\");
    EXPECT_EQ(FromNativePath("/srv/c/d/x"), "D:\\x");
    EXPECT_EQ(FromNativePath("/srv/c/dx/y"), "C:\\dx\\y");
    EXPECT_EQ(FromNativePath("/srv/cc"), "E:\\srv\\cc");
    EXPECT_EQ(FromNativePath("//srv//c//x"), "C:\\x");
    EXPECT_EQ(FromNativePath("/"), "E:\\");
    // A backslash inside a native name could not be told from a separator.
    EXPECT_FALSE(FromNativePath("/srv/c/a\\b"));
}

TEST_F(PathsTest, RoundTripsKeepHostileNames)
{
    for (const char* name : {"a b", " lead", "new\nline", "\xc3\xa9t\xc3\xa9", "\xff\xfe", "x:y"}) {
        std::string program = std::string("C:\\dir\\") + name;
        auto native = ToNativePath(program);
        ASSERT_TRUE(native) << name;
        EXPECT_EQ(FromNativePath(*native), program) << name;
    }
}

TEST(NormalizeNativePath, FoldsDotsAndSeparators)
{
    EXPECT_EQ(NormalizeNativePath("/a/./b//c/../d"), "/a/b/d");
    EXPECT_EQ(NormalizeNativePath("/../.."), "/");
    EXPECT_EQ(NormalizeNativePath("/a/b/"), "/a/b/");
    EXPECT_EQ(NormalizeNativePath("/"), "/");
    EXPECT_EQ(NormalizeNativePath("a/b"), "");
}

TEST(NativeLocation, ReachesPathsLongerThanTheKernelAccepts)
{
    TTempTree tree;
    std::string name(200, 'n');
    int fd = open(tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    std::string path = tree.Root();
    for (int i = 0; i < 30; ++i) {  // about 6,000 bytes
        ASSERT_EQ(mkdirat(fd, name.c_str(), 0700), 0);
        int next = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        ASSERT_GE(fd, 0);
        path += "/" + name;
    }
    int file = openat(fd, "leaf.txt", O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    close(file);
    close(fd);
    path += "/leaf.txt";
    ASSERT_GT(path.size(), static_cast<std::size_t>(PATH_MAX));

    TNativeLocation location;
    ASSERT_TRUE(location.Open(path));
    EXPECT_STREQ(location.Leaf(), "leaf.txt");
    struct stat st;
    EXPECT_EQ(fstatat(location.Fd(), location.Leaf(), &st, AT_SYMLINK_NOFOLLOW), 0);
    EXPECT_FALSE(location.Open(tree.Root() + "/missing/" + path.substr(tree.Root().size() + 1)));

    // Leave nothing the tree's own cleanup cannot reach.
    std::string relative = path.substr(tree.Root().size() + 1);
    while (relative.find('/') != std::string::npos) {
        TNativeLocation parent;
        ASSERT_TRUE(parent.Open(tree.Root() + "/" + relative));
        unlinkat(parent.Fd(), parent.Leaf(),
                 relative.ends_with("leaf.txt") ? 0 : AT_REMOVEDIR);
        relative.resize(relative.rfind('/'));
    }
}
