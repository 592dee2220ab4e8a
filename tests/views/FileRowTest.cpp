#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <optional>

#include "platform/Drives.h"
#include "support/TempTree.h"
#include "text/Format.h"
#include "views/FileRow.h"

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

namespace {

// Seconds of 2001-06-19 00:00:00 UTC.
constexpr std::int64_t kMidnight = 992908800;

// Rows of files on drive C:, in UTC and the C locale so that times and separators are fixed.
class FileRowTest : public testing::Test {
protected:
    void SetUp() override
    {
        Utc.emplace("TZ", "UTC");
        tzset();
        SetFormatLocale("C");
        TDriveTable::SetCurrent(TDriveTable::FromSpec("C=" + Tree.Root(), nullptr));
    }
    void TearDown() override
    {
        TDriveTable::ResetCurrent();
        Utc.reset();
        tzset();
    }

    std::optional<TEnvGuard> Utc;
    TTempTree Tree;
    TResultRows Rows;
};

TEST_F(FileRowTest, EveryColumnOfAFileRow)
{
    const struct {
        const char* Name;
        const char* Contents;  // null: a folder
        Items SubItems;        // "*": not compared
    } cases[] = {
        {"report.txt", "words", {"5", "plain text document", "2001/06/19 14:05", "   A", "", ""}},
        {"huge.img", "x", {"7516192768", "*", "2001/06/19 14:05", "   A", "", ""}},
        {".hidden", "x", {"1", "*", "2001/06/19 14:05", " H A", "", ""}},
        {"locked.txt", "x", {"1", "*", "2001/06/19 14:05", "R  A", "", ""}},
        // The type comes from the name, from the contents only without an extension.
        {"noname", "%PDF-1.4\n", {"9", "PDF document", "2001/06/19 14:05", "   A", "", ""}},
        {"empty", "", {"0", "empty document", "2001/06/19 14:05", "   A", "", ""}},
        {"odd.zzqx", "%PDF-1.4\n", {"9", "ZZQX file", "2001/06/19 14:05", "   A", "", ""}},
        {"folder", nullptr, {"*", "folder", "2001/06/19 14:05", "*", "", ""}},
    };
    for (const auto& c : cases)
        c.Contents ? Tree.WriteFile(c.Name, c.Contents) : Tree.MakeDir(c.Name);
    ASSERT_EQ(truncate(Tree.Path("huge.img").c_str(), 7516192768), 0);
    ASSERT_EQ(chmod(Tree.Path("locked.txt").c_str(), 0444), 0);
    for (const auto& c : cases) Tree.SetTime(c.Name, kMidnight + 14 * 3600 + 5 * 60);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::int64_t size = -1;
        ASSERT_TRUE(AddFile(Rows, std::string("C:\\") + c.Name, size));
        const TResultRow& row = Rows.Row(Rows.Count() - 1);
        EXPECT_EQ(row.Caption, std::string("C:\\") + c.Name);
        ASSERT_EQ(row.SubItems.size(), c.SubItems.size());
        for (std::size_t i = 0; i < c.SubItems.size(); ++i) {
            if (c.SubItems[i] != "*") {
                EXPECT_EQ(row.SubItems[i], c.SubItems[i]) << i;
            }
        }
        EXPECT_EQ(std::to_string(size), row.SubItems[0]);
    }
}

TEST_F(FileRowTest, MissingFilesLinksAndPipesAddNothing)
{
    Tree.WriteFile("real.txt", "x");
    fs::create_symlink(Tree.Path("real.txt"), Tree.Path("link.txt"));
    ASSERT_EQ(mkfifo(Tree.Path("pipe").c_str(), 0600), 0);
    std::int64_t size = 77;
    EXPECT_FALSE(AddFile(Rows, "C:\\link.txt", size));
    EXPECT_FALSE(AddFile(Rows, "C:\\pipe", size));  // and never waits on the FIFO
    EXPECT_FALSE(AddFile(Rows, "Q:\\on-no-drive.txt", size));
    EXPECT_EQ(size, 77);
    EXPECT_EQ(Rows.Count(), 0u);
}

TEST_F(FileRowTest, MidnightShowsTheDateAloneInStepsOfTwoSeconds)
{
    const auto text = [](std::int64_t unixSeconds) {
        return ModifiedText(static_cast<std::uint64_t>(unixSeconds + 11644473600) * 10000000u);
    };
    EXPECT_EQ(text(kMidnight + 1), "2001/06/19");  // file-system stamps count two seconds
    EXPECT_EQ(text(kMidnight + 2), "2001/06/19 00:00");
    EXPECT_EQ(text(kMidnight - 1), "2001/06/18 23:59");
}

TEST_F(FileRowTest, PeFilesShowTheirVersionStrings)
{
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
    if (!fs::exists(sample))
        GTEST_SKIP() << "make test installs " << sample;
    fs::copy_file(sample, Tree.Path("zlib1.dll"));
    std::int64_t size = 0;
    ASSERT_TRUE(AddFile(Rows, "C:\\zlib1.dll", size));
    EXPECT_EQ(Rows.Row(0).SubItems[4], "1.2.13");
    EXPECT_EQ(Rows.Row(0).SubItems[5], "1.2.13");
}

TResultRow FileRow(std::string size, std::string type = "", std::string modified = "",
                   std::string name = "x")
{
    return {std::move(name),
            {std::move(size), std::move(type), std::move(modified), "   A", "", ""}};
}

TEST(RowOrderTest, ColumnsCompareByTheirKind)
{
    const TResultRow group{"Duplicate files .....", {}};
    const struct {
        int Column;
        TResultRow A, B;
        int Sign;
    } cases[] = {
        // Sizes as 64-bit numbers, unreadable ones and group rows as zero.
        {fcSize, FileRow("7516192768"), FileRow("3221225472"), 1},
        {fcSize, group, FileRow("abc"), 0},
        // Texts folding only ASCII letters; missing items equal.
        {fcName, FileRow("", "", "", "README"), FileRow("", "", "", "readme"), 0},
        {fcName, FileRow("", "", "", "\xC3\x89"), FileRow("", "", "", "\xC3\xA9"), -1},
        {fcType, FileRow("", "zip"), TResultRow{"", {}}, 0},
        // Times as dates, unreadable ones and group rows as now (2020/01/01 12:00).
        {fcModified, FileRow("", "", "2001/06/19"), FileRow("", "", "2001/06/19 00:01"), -1},
        {fcModified, FileRow("", "", "garbage"), FileRow("", "", "2020/01/01 12:00"), 0},
        {fcModified, group, FileRow("", "", "2019/12/31"), 1},
    };
    TRowOrder order;
    order.Now = EncodeDateTime(2020, 1, 1, 12, 0, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        order.SortColumn = c.Column;
        for (const bool ascending : {true, false}) {
            order.SortAscending = ascending;
            const int result = order.CompareRows(c.A, c.B);
            EXPECT_EQ((result > 0) - (result < 0), ascending ? c.Sign : -c.Sign);
        }
    }
}

}  // namespace
