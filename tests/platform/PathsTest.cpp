#include "platform/Paths.h"

#include "platform/Drives.h"

#include <gtest/gtest.h>

class PathsTest : public testing::Test {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(TDriveTable::FromSpec("C=/srv/c;D=/srv/c/d;E=/", nullptr));
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }
};

TEST_F(PathsTest, ProgramPathsMapToTheDriveFolder)
{
    EXPECT_EQ(ToNativePath("C:\\Data\\report.txt"), "/srv/c/Data/report.txt");
    EXPECT_EQ(ToNativePath("c:/Data/sub\\\\x"), "/srv/c/Data/sub/x");
    EXPECT_EQ(ToNativePath("C:\\Data\\"), "/srv/c/Data/");
    EXPECT_EQ(ToNativePath("C:"), "/srv/c");
    EXPECT_EQ(ToNativePath("C:\\"), "/srv/c");
    EXPECT_EQ(ToNativePath("E:\\etc\\hosts"), "/etc/hosts");
    EXPECT_EQ(ToNativePath("C:Data"), "/srv/c/Data");
    // Dots never leave the drive.
    EXPECT_EQ(ToNativePath("C:\\..\\..\\etc\\passwd"), "/srv/c/etc/passwd");
    EXPECT_EQ(ToNativePath("C:\\a\\.\\b\\..\\..\\..\\x"), "/srv/c/x");
    EXPECT_EQ(ToNativePath("C:\\...\\x"), "/srv/c/.../x");
}

TEST_F(PathsTest, PathsOnNoDriveMapToNothing)
{
    for (std::string_view path : {"\\Data\\x", "Data", "", "Q:\\x", "\\\\server\\share\\x",
                                  "1:\\x"}) {
        EXPECT_FALSE(ToNativePath(path)) << path;
    }
    EXPECT_FALSE(ToNativePath(std::string_view("C:\\a\0b", 6)));
    EXPECT_FALSE(FromNativePath("relative/x"));
    EXPECT_FALSE(FromNativePath(""));
    EXPECT_FALSE(FromNativePath(std::string_view("/srv/c/a\0b", 10)));
    // A backslash inside a native name could not be told from a separator.
    EXPECT_FALSE(FromNativePath("/srv/c/a\\b"));
}

TEST_F(PathsTest, NativePathsGoToTheClosestDrive)
{
    EXPECT_EQ(FromNativePath("/srv/c/Data/report.txt"), "C:\\Data\\report.txt");
    EXPECT_EQ(FromNativePath("/srv/c/"), "C:\\");
    EXPECT_EQ(FromNativePath("/srv/c/Data/"), "C:\\Data\\");
    EXPECT_EQ(FromNativePath("/srv/c/d/x"), "D:\\x");
    EXPECT_EQ(FromNativePath("/srv/c/dx/y"), "C:\\dx\\y");
    EXPECT_EQ(FromNativePath("/srv/cc"), "E:\\srv\\cc");
    EXPECT_EQ(FromNativePath("//srv//c//x"), "C:\\x");
    EXPECT_EQ(FromNativePath("/srv/c/a/../../../etc"), "E:\\etc");
}

TEST_F(PathsTest, RoundTripsKeepHostileNames)
{
    for (const char* name : {"a b", " lead", "new\nline", "\xc3\xa9t\xc3\xa9", "\xff\xfe", "x:y"}) {
        std::string program = std::string("C:\\dir\\") + name;
        auto native = ToNativePath(program);
        ASSERT_TRUE(native) << name;
        EXPECT_EQ(*native, std::string("/srv/c/dir/") + name);
        EXPECT_EQ(FromNativePath(*native), program) << name;
    }
}
