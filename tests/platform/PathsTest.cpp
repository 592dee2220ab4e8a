#include "platform/Paths.h"

#include "platform/Drives.h"

#include <gtest/gtest.h>

class PathsTest : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromSpec("C=/srv/c;D=/srv/c/d;E=/", nullptr)); }
    void TearDown() override { TDriveTable::ResetCurrent(); }
};

TEST_F(PathsTest, ProgramPathsMapToTheDriveFolderAndNeverLeaveIt)
{
    const std::pair<std::string_view, const char*> cases[] = {
        {"C:\\Data\\report.txt", "/srv/c/Data/report.txt"}, {"c:/Data/sub\\\\x", "/srv/c/Data/sub/x"},
        {"C:\\Data\\", "/srv/c/Data/"}, {"C:", "/srv/c"}, {"C:\\", "/srv/c"}, {"E:\\etc\\hosts", "/etc/hosts"},
        {"C:Data", "/srv/c/Data"}, {"C:\\..\\..\\etc\\passwd", "/srv/c/etc/passwd"},
        {"C:\\a\\.\\b\\..\\..\\..\\x", "/srv/c/x"}, {"C:\\...\\x", "/srv/c/.../x"},
        // Hostile names keep their bytes both ways.
        {"C:\\ lead\\new\nline \xff\xfe", "/srv/c/ lead/new\nline \xff\xfe"}, {"C:\\x:y", "/srv/c/x:y"},
        // On no drive: nothing.
        {"\\Data\\x", nullptr}, {"Data", nullptr}, {"", nullptr}, {"Q:\\x", nullptr},
        {"\\\\server\\share\\x", nullptr}, {"1:\\x", nullptr}, {std::string_view("C:\\a\0b", 6), nullptr},
    };
    for (const auto& [program, native] : cases) {
        std::optional<std::string> mapped = ToNativePath(program);
        EXPECT_EQ(mapped.value_or("(none)"), native ? native : "(none)") << program;
    }
}

TEST_F(PathsTest, NativePathsGoToTheClosestDrive)
{
    const std::pair<std::string_view, const char*> cases[] = {
        {"/srv/c/Data/report.txt", "C:\\Data\\report.txt"}, {"/srv/c/", "C:\\"}, {"/srv/c/Data/", "C:\\Data\\"},
        {"/srv/c/d/x", "D:\\x"}, {"/srv/c/dx/y", "C:\\dx\\y"}, {"/srv/cc", "E:\\srv\\cc"}, {"//srv//c//x", "C:\\x"},
        {"/srv/c/a/../../../etc", "E:\\etc"}, {"/srv/c/ lead/new\nline \xff\xfe", "C:\\ lead\\new\nline \xff\xfe"},
        {"relative/x", nullptr}, {"", nullptr}, {std::string_view("/srv/c/a\0b", 10), nullptr},
        {"/srv/c/a\\b", nullptr},  // a backslash inside a name could not be told from a separator
    };
    for (const auto& [native, program] : cases) {
        std::optional<std::string> mapped = FromNativePath(native);
        EXPECT_EQ(mapped.value_or("(none)"), program ? program : "(none)") << native;
    }
}
