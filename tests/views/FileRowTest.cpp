#include "views/FileRow.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/Drives.h"
#include "platform/ShellInfo.h"
#include "support/TempTree.h"
#include "text/Format.h"

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

namespace {

// Rows of files in a temporary tree that is drive C:, in UTC and the C locale so that times
// and separators are fixed.
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

    // Seconds of 2001-06-19 00:00:00 UTC.
    static constexpr std::int64_t kMidnight = 992908800;

    std::optional<TEnvGuard> Utc;
    TTempTree Tree;
    TResultRows Rows;
};

TEST_F(FileRowTest, AFileRowHoldsSizeTypeTimeAttributesAndEmptyVersions)
{
    Tree.WriteFile("Data/report.txt", std::string(512, 'x'));
    Tree.SetTime("Data/report.txt", kMidnight + 14 * 3600 + 5 * 60);
    std::int64_t size = -1;

    ASSERT_TRUE(AddFile(Rows, "C:\\Data\\report.txt", size));

    EXPECT_EQ(size, 512);
    ASSERT_EQ(Rows.Count(), 1u);
    EXPECT_EQ(Rows.Row(0).Caption, "C:\\Data\\report.txt");
    EXPECT_EQ(Rows.Row(0).SubItems,
              (Items{"512", "plain text document", "2001/06/19 14:05", "   A", "", ""}));
}

TEST_F(FileRowTest, MissingFilesAndLinksAddNothing)
{
    Tree.WriteFile("real.txt", "x");
    fs::create_symlink(Tree.Path("real.txt"), Tree.Path("link.txt"));
    ASSERT_EQ(mkfifo(Tree.Path("pipe").c_str(), 0600), 0);
    std::int64_t size = 77;

    EXPECT_FALSE(AddFile(Rows, "C:\\gone.txt", size));
    EXPECT_FALSE(AddFile(Rows, "C:\\link.txt", size));
    EXPECT_FALSE(AddFile(Rows, "C:\\pipe", size));  // and never waits on the FIFO
    EXPECT_FALSE(AddFile(Rows, "Q:\\on-no-drive.txt", size));

    EXPECT_EQ(size, 77);
    EXPECT_EQ(Rows.Count(), 0u);
}

TEST_F(FileRowTest, AttributeLettersStandInTheirPlaces)
{
    EXPECT_EQ(AttributeText(0), "    ");
    EXPECT_EQ(AttributeText(0x01 | 0x20), "R  A");
    EXPECT_EQ(AttributeText(0x02 | 0x04), " HS ");

    Tree.WriteFile(".hidden", "x");
    const std::string locked = Tree.WriteFile("locked.txt", "x");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    std::int64_t size = 0;
    ASSERT_TRUE(AddFile(Rows, "C:\\.hidden", size));
    ASSERT_TRUE(AddFile(Rows, "C:\\locked.txt", size));
    EXPECT_EQ(Rows.Row(0).SubItems[3], " H A");
    EXPECT_EQ(Rows.Row(1).SubItems[3], "R  A");
}

TEST_F(FileRowTest, MidnightShowsTheDateAloneInStepsOfTwoSeconds)
{
    const auto text = [](std::int64_t unixSeconds) {
        return ModifiedText(static_cast<std::uint64_t>(unixSeconds + 11644473600) * 10000000u);
    };
    EXPECT_EQ(text(kMidnight), "2001/06/19");
    EXPECT_EQ(text(kMidnight + 1), "2001/06/19");  // file-system stamps count two seconds
    EXPECT_EQ(text(kMidnight + 2), "2001/06/19 00:00");
    EXPECT_EQ(text(kMidnight - 1), "2001/06/18 23:59");
}

TEST_F(FileRowTest, SizesBeyondFourGibibytesAreShownWhole)
{
    const std::string path = Tree.Path("huge.img");
    std::ofstream(path).put('x');
    ASSERT_EQ(truncate(path.c_str(), (std::int64_t{3} << 30) + (std::int64_t{1} << 32)), 0);
    std::int64_t size = 0;

    ASSERT_TRUE(AddFile(Rows, "C:\\huge.img", size));

    EXPECT_EQ(Rows.Row(0).SubItems[0], "7516192768");
    EXPECT_EQ(size, 7516192768);
}

TEST_F(FileRowTest, TypeComesFromTheNameAndFromTheContentsOnlyWithoutAnExtension)
{
    Tree.WriteFile("page.html", "plain words");
    Tree.WriteFile("noname", "%PDF-1.4\n");
    Tree.WriteFile("empty", "");
    Tree.WriteFile("odd.zzqx", "%PDF-1.4\n");  // an extension no type claims
    Tree.WriteFile("README", "just words\n");  // a name that a pattern claims
    Tree.MakeDir("folder");
    std::int64_t size = 0;
    for (const char* name : {"C:\\page.html", "C:\\noname", "C:\\empty", "C:\\odd.zzqx",
                             "C:\\README", "C:\\folder"}) {
        ASSERT_TRUE(AddFile(Rows, name, size)) << name;
    }
    EXPECT_EQ(Rows.Row(0).SubItems[1], "HTML document");
    EXPECT_EQ(Rows.Row(1).SubItems[1], "PDF document");
    EXPECT_EQ(Rows.Row(2).SubItems[1], "empty document");
    EXPECT_EQ(Rows.Row(3).SubItems[1], "unknown");
    EXPECT_EQ(Rows.Row(4).SubItems[1], "README document");
    EXPECT_EQ(Rows.Row(5).SubItems[1], "folder");

    // The same answers for the same names, however often they are asked (they are kept).
    for (const char* name : {"C:\\odd.zzqx", "C:\\page.html"}) ASSERT_TRUE(AddFile(Rows, name, size));
    EXPECT_EQ(Rows.Row(6).SubItems[1], "unknown");
    EXPECT_EQ(Rows.Row(7).SubItems[1], "HTML document");
    std::string typeName;
    EXPECT_TRUE(GetFileTypeName("C:\\noname", typeName));
    EXPECT_EQ(typeName, "PDF document");
    EXPECT_FALSE(GetFileTypeName("C:\\nothing-here", typeName));
}

TEST_F(FileRowTest, PeFilesShowTheirVersionStrings)
{
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
    if (!fs::exists(sample)) GTEST_SKIP() << "make test installs " << sample;
    fs::copy_file(sample, Tree.Path("zlib1.dll"));
    std::int64_t size = 0;

    ASSERT_TRUE(AddFile(Rows, "C:\\zlib1.dll", size));

    EXPECT_EQ(Rows.Row(0).SubItems[4], "1.2.13");
    EXPECT_EQ(Rows.Row(0).SubItems[5], "1.2.13");
}

TResultRow FileRow(std::string size, std::string type, std::string modified, std::string name = "x")
{
    return {name, {std::move(size), std::move(type), std::move(modified), "   A", "", ""}};
}

TEST(RowOrderTest, SizesCompareAsNumbersAndUnreadableOnesAsZero)
{
    TRowOrder order;  // by size, ascending
    EXPECT_LT(order.CompareRows(FileRow("9", "", ""), FileRow("10", "", "")), 0);
    EXPECT_GT(order.CompareRows(FileRow("7516192768", "", ""), FileRow("3221225472", "", "")), 0);
    EXPECT_EQ(order.CompareRows(FileRow("abc", "", ""), FileRow("0", "", "")), 0);
    EXPECT_EQ(order.CompareRows(TResultRow{"Duplicate files .....", {}}, FileRow("0", "", "")), 0);
    EXPECT_GT(order.CompareRows(FileRow("9223372036854775807", "", ""),
                                FileRow("-9223372036854775807", "", "")),
              0);
    order.SortAscending = false;
    EXPECT_GT(order.CompareRows(FileRow("9", "", ""), FileRow("10", "", "")), 0);
}

TEST(RowOrderTest, TextColumnsFoldOnlyAsciiLettersAndMissingItemsAreEqual)
{
    TRowOrder order;
    order.SortColumn = fcName;
    EXPECT_LT(order.CompareRows(FileRow("", "", "", "apple"), FileRow("", "", "", "BANANA")), 0);
    EXPECT_EQ(order.CompareRows(FileRow("", "", "", "README"), FileRow("", "", "", "readme")), 0);
    EXPECT_NE(order.CompareRows(FileRow("", "", "", "\xC3\x89"), FileRow("", "", "", "\xC3\xA9")), 0);
    order.SortColumn = fcType;
    EXPECT_LT(order.CompareRows(FileRow("", "folder", ""), FileRow("", "Text", "")), 0);
    EXPECT_EQ(order.CompareRows(FileRow("", "zip", ""), TResultRow{"", {}}), 0);
}

TEST(RowOrderTest, TimesCompareAsDatesAndUnreadableOnesAsNow)
{
    TRowOrder order;
    order.SortColumn = fcModified;
    order.Now = EncodeDateTime(2020, 1, 1, 12, 0, 0);
    EXPECT_LT(order.CompareRows(FileRow("", "", "2001/06/19"), FileRow("", "", "2001/06/19 00:01")), 0);
    EXPECT_GT(order.CompareRows(FileRow("", "", "2010/01/02"), FileRow("", "", "2009/12/31 23:59")), 0);
    EXPECT_EQ(order.CompareRows(FileRow("", "", "garbage"), FileRow("", "", "2020/01/01 12:00")), 0);
    EXPECT_GT(order.CompareRows(TResultRow{"", {}}, FileRow("", "", "2019/12/31")), 0);
}

TEST(RowOrderTest, HeaderClicksTurnTheSizeColumnFirstAndSortOthersAscending)
{
    TRowOrder order;
    order.ColumnClick(fcSize);
    EXPECT_EQ(order.SortColumn, fcSize);
    EXPECT_FALSE(order.SortAscending);
    order.ColumnClick(fcSize);
    EXPECT_TRUE(order.SortAscending);
    order.ColumnClick(fcType);
    EXPECT_EQ(order.SortColumn, fcType);
    EXPECT_TRUE(order.SortAscending);
}

TEST(RowOrderTest, SortingReordersOnceAndKeepsEqualRowsInPlace)
{
    TResultRows rows;
    rows.Append(FileRow("30", "", "", "c"));
    rows.Append(FileRow("10", "", "", "a1"));
    rows.Append(FileRow("20", "", "", "b"));
    rows.Append(FileRow("10", "", "", "a2"));
    int resets = 0;
    std::size_t told = 0;
    rows.OnReset = [&] { ++resets; };
    rows.OnAppended = [&](std::size_t, std::size_t count) { told += count; };

    TRowOrder order;
    order.ColumnClick(fcSize);  // descending
    SortRows(rows, order);

    std::vector<std::string> captions;
    for (const TResultRow& row : rows.Rows()) captions.push_back(row.Caption);
    EXPECT_EQ(captions, (std::vector<std::string>{"c", "b", "a1", "a2"}));
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(told, 4u);  // one batch, not a notice per row
}

}  // namespace
