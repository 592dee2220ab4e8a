#include <gtest/gtest.h>

#include "platform/Drives.h"
#include "support/TempTree.h"
#include "views/ListLines.h"

namespace {

using Lines = std::vector<std::string>;

const TResultRow kHeader{kGroupHeaderCaption, {}};

TResultRow File(const std::string& path, const std::string& size = "1")
{
    return {path, {size, "Text Document", "2001/02/22 10:11", "   A", "", ""}};
}

TEST(ListLinesTest, LineOfEveryRowKind)
{
    const struct {
        TResultRow Row;
        std::string Line;
    } cases[] = {
        {kHeader, "\"Duplicate files .....\""},
        // Size unquoted; texts with blanks quoted; empty versions as nothing after their commas.
        {File("C:\\Data\\report.txt", "512"),
         "\"C:\\Data\\report.txt\",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,"},
        {{"C:\\a.dll", {"7", "x", "d", "A", "1.0", "2,0"}}, "\"C:\\a.dll\",7,x,d,A,1.0,\"2,0\""},
        // A quote in a name is doubled, so the name reads back whole, not as a shorter path.
        {{"C:\\x\\a \"b\",c.txt", {"5"}}, "\"C:\\x\\a \"\"b\"\",c.txt\",5"},
        // A version text with a line break stays on its line.
        {{"C:\\v.dll", {"1", "t", "d", "A", "1.0\r\nbeta", ""}},
         "\"C:\\v.dll\",1,t,d,A,\"1.0  beta\","},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Row.Caption);
        EXPECT_EQ(ListLine(c.Row), c.Line);
    }
}

// A name with a line break cannot be held by a line; a group keeps the rows that can be written
// and is written only while it holds two files or more, so a reload never shows a lone file.
TEST(ListLinesTest, GroupsKeepTheRowsALineCanHoldAndTwoFilesAtLeast)
{
    const TResultRow empty{"", {}}, a = File("C:\\A.txt"), b = File("C:\\B.txt");
    const TResultRow broken = File("C:\\x\\a\nb"), unc = File("\\\\server\\share\\x");
    const struct {
        std::vector<TResultRow> Rows, Written;
        Lines NewDuplicates;
    } cases[] = {
        // Every file row on a drive is a new duplicate, the first of its group too.
        {{kHeader, a, b, empty, kHeader, unc, File("D:\\y"), broken, File("C:\\x\\c\rd")},
         {kHeader, a, b, empty, kHeader, unc, File("D:\\y")},
         {"C:\\A.txt", "C:\\B.txt", "D:\\y"}},
        // A group left with one file goes, and with it the empty row before it or after it.
        {{kHeader, broken, a, empty, kHeader, a, b, empty, kHeader, b, broken, empty},
         {kHeader, a, b, empty},
         {"C:\\A.txt", "C:\\B.txt"}},
    };
    for (const auto& c : cases) {
        TResultRows rows;
        for (const TResultRow& row : c.Rows) rows.Append(row);
        const TListLines lines = BuildListLines(rows);
        Lines written;
        for (const TResultRow& row : c.Written) written.push_back(ListLine(row));
        EXPECT_EQ(lines.Results, written);
        EXPECT_EQ(lines.NewDuplicates, c.NewDuplicates);
        EXPECT_EQ(lines.LeftOut.size(), 2u);
    }
    EXPECT_TRUE(LinesOfRow(broken).Result.empty());
}

TEST(ListLinesTest, RowsReadBackTrimmedAndWrittenRowsReadBackAsThemselves)
{
    const TResultRow row = RowFromLine(
        "\" C:\\Data\\report.txt \",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,");
    EXPECT_EQ(row.Caption, "C:\\Data\\report.txt");
    EXPECT_EQ(row.SubItems, (Lines{"512", "Text Document", "2001/02/22 10:11", "A", ""}));

    for (const TResultRow& written :
         {kHeader, TResultRow{"", {}}, TResultRow{"C:\\x\\a \"b\",c.txt", {"5", "t", "d", "A"}},
          TResultRow{"C:\\y", {"1", "", "", "", "1.0", "2.0"}}}) {
        SCOPED_TRACE(written.Caption);
        const TResultRow read = RowFromLine(ListLine(written));
        EXPECT_EQ(read.Caption, written.Caption);
        EXPECT_EQ(read.SubItems, written.SubItems);
    }
}

TEST(ListLinesTest, ACaptionWhoseBlanksBelongToAFileNameKeepsThem)
{
    TTempTree tree;
    tree.WriteFile("name ", "x");
    tree.WriteFile("name", "y");
    {
        TEnvGuard drives("ZARVEX_DRIVES", "C=" + tree.Root());
        TDriveTable::ResetCurrent();
        EXPECT_EQ(RowFromLine("\"C:\\name \",1").Caption, "C:\\name ");
        EXPECT_EQ(RowFromLine("\"C:\\other \",1").Caption, "C:\\other");
    }
    TDriveTable::ResetCurrent();
}

}  // namespace
