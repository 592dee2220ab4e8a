#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/SavedLists.h"
#include "support/TempTree.h"
#include "text/Format.h"

namespace {

TResultRow Header()
{
    return {kGroupHeaderCaption, {}};
}

TResultRow Empty()
{
    return {"", {}};
}

TResultRow File(const std::string& path, const std::string& size)
{
    return {path, {size, "Text Document", "2001/02/22 10:11", "   A", "", ""}};
}

TResultRows RowsOf(std::initializer_list<TResultRow> list)
{
    TResultRows rows;
    for (const TResultRow& row : list) rows.Append(row);
    return rows;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TStringList Lines(std::initializer_list<const char*> list)
{
    TStringList lines;
    for (const char* line : list) lines.Add(line);
    return lines;
}

TEST(SavedListsLineForm, HeaderFileAndEmptyRowsGiveTheDescribedLines)
{
    EXPECT_EQ(ListLine(Header()), "\"Duplicate files .....\"");
    EXPECT_EQ(ListLine(Empty()), "\"\"");
    // Size unquoted; type, date and attributes quoted for their blanks; two empty versions
    // written as nothing after their commas.
    EXPECT_EQ(ListLine(File("C:\\Data\\report.txt", "512")),
              "\"C:\\Data\\report.txt\",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,");
    EXPECT_EQ(ListLine({"C:\\a.dll", {"7", "x", "d", "A", "1.0", "2.0"}}),
              "\"C:\\a.dll\",7,x,d,A,1.0,2.0");
}

TEST(SavedListsLineForm, OneGroupGivesThreeListLinesAndTwoPaths)
{
    const TResultRows rows =
        RowsOf({Header(), File("C:\\A.txt", "3"), File("C:\\B.txt", "3"), Empty(), Header(),
                File("\\\\server\\share\\x", "1"), File("D:\\y", "1")});
    const TListLines lines = BuildListLines(rows);
    ASSERT_EQ(lines.Results.size(), 7u);
    EXPECT_EQ(lines.Results[0], "\"Duplicate files .....\"");
    EXPECT_EQ(lines.Results[3], "\"\"");
    // Every member of every group, the first included; never a header, an empty row or a
    // path without a drive letter.
    EXPECT_EQ(lines.NewDuplicates, (std::vector<std::string>{"C:\\A.txt", "C:\\B.txt", "D:\\y"}));
}

TEST(SavedListsLineForm, NamesThatLinesCannotHoldAsTheyAre)
{
    // A quote in a name is doubled so the name reads back whole, not as a shorter path.
    const TResultRow quoted{"C:\\x\\a\"b.txt", {"5"}};
    EXPECT_EQ(ListLine(quoted), "\"C:\\x\\a\"\"b.txt\",5");
    EXPECT_EQ(RowFromLine(ListLine(quoted)).Caption, "C:\\x\\a\"b.txt");

    // A line break in a name cannot be stored: the row is left out, not split in two.
    const TResultRows rows = RowsOf({Header(), File("C:\\x\\a\nb", "1"), File("C:\\x\\c", "1")});
    const TListLines lines = BuildListLines(rows);
    EXPECT_EQ(lines.Results.size(), 2u);
    EXPECT_EQ(lines.NewDuplicates, std::vector<std::string>{"C:\\x\\c"});

    // A version text with a line break stays on its line.
    const TResultRow version{"C:\\v.dll", {"1", "t", "d", "A", "1.0\r\nbeta", ""}};
    EXPECT_EQ(ListLine(version).find_first_of("\r\n"), std::string::npos);
}

class SavedListsFiles : public testing::Test {
protected:
    TTempTree Tree;
    TListFilePaths Paths = ListFilePathsIn(Tree.Root());
};

TEST_F(SavedListsFiles, WritesBothFilesWithCrLf)
{
    const TResultRows rows = RowsOf({Header(), File("C:\\A", "1"), File("C:\\B", "1")});
    EXPECT_TRUE(WriteListFiles(rows, Paths));
    EXPECT_EQ(Slurp(Paths.List),
              "\"Duplicate files .....\"\r\n"
              "\"C:\\A\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
              "\"C:\\B\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n");
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\A\r\nC:\\B\r\n");
}

TEST_F(SavedListsFiles, AnEmptyResultsListKeepsTheOlderFilesAndTheirDates)
{
    Tree.WriteFile("Zarvex.lis", "\"old\"\r\n");
    Tree.WriteFile("NewDupl.lis", "C:\\old\r\n");
    Tree.SetTime("Zarvex.lis", 1000000000);
    Tree.SetTime("NewDupl.lis", 1000000000);

    EXPECT_FALSE(WriteListFiles(TResultRows{}, Paths));

    EXPECT_EQ(Slurp(Paths.List), "\"old\"\r\n");
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");
    struct stat st {};
    ASSERT_EQ(stat(Paths.List.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);
}

TEST_F(SavedListsFiles, AFailedFirstWriteSkipsTheSecondAndLeavesNoTemporaryFiles)
{
    Tree.WriteFile("NewDupl.lis", "C:\\old\r\n");
    TListFilePaths paths = Paths;
    paths.List = Tree.Path("missing-folder/Zarvex.lis");
    EXPECT_FALSE(WriteListFiles(RowsOf({Header(), File("C:\\A", "1")}), paths));
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");

    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Tree.Root())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST(SavedListsReload, TrailingEmptyItemsAreDroppedAndItemsTrimmed)
{
    const TResultRow row = RowFromLine(
        "\" C:\\Data\\report.txt \",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,");
    EXPECT_EQ(row.Caption, "C:\\Data\\report.txt");
    EXPECT_EQ(row.SubItems,
              (std::vector<std::string>{"512", "Text Document", "2001/02/22 10:11", "A", ""}));
    // A line "" is an empty row; a single item gives a row without sub-items.
    EXPECT_EQ(RowFromLine("\"\"").Caption, "");
    EXPECT_TRUE(RowFromLine("\"\"").SubItems.empty());
    EXPECT_TRUE(RowFromLine("\"Duplicate files .....\"").SubItems.empty());
}

TEST(SavedListsReload, TotalsCountEveryMemberButTheFirstOfEachGroup)
{
    const TStringList lines =
        Lines({"\"Duplicate files .....\"", "\"C:\\a1\",999,t", "\"C:\\a2\",100,t", "\"\"",
               "\"Duplicate files .....\"", "\"C:\\b1\",5000,t", "\"C:\\b2\",300,t"});
    TResultRows rows;
    std::vector<int> progress;
    const TReloadTotals totals = ReloadRows(lines, rows, [&](int i) { progress.push_back(i); });
    EXPECT_EQ(totals.Files, 2);
    EXPECT_EQ(totals.Bytes, 400);
    EXPECT_EQ(rows.Count(), 7u);
    EXPECT_EQ(progress, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
}

TEST(SavedListsReload, HandEditedListsReloadWithoutHarm)
{
    // A file row first, a size that is no integer, a 64-bit size, a very long caption.
    const std::string longName = "C:\\" + std::string(100000, 'n');
    TStringList lines =
        Lines({"\"C:\\first\",10", "\"C:\\second\",abc", "\"C:\\third\",5000000000"});
    lines.Add("\"" + longName + "\",1");
    TResultRows rows;
    const TReloadTotals totals = ReloadRows(lines, rows);
    EXPECT_EQ(totals.Files, 3);  // the size that is no integer still counts as a file
    EXPECT_EQ(totals.Bytes, 5000000001);
    EXPECT_EQ(rows.Row(3).Caption, longName);
}

TEST(SavedListsFolder, BesideTheExecutableWhenWritableElseInTheDataFolder)
{
    TTempTree tree;
    const std::string exe = tree.MakeDir("bin");
    const std::string data = tree.Path("data/Quillmoor/Zarvex");
    EXPECT_EQ(ListFolder(exe, data), exe);
    EXPECT_FALSE(std::filesystem::exists(data));

    // A folder the user cannot create files in (root ignores permissions, so use one that
    // is no folder at all).
    const std::string notAFolder = tree.WriteFile("file", "x");
    EXPECT_EQ(ListFolder(notAFolder, data), data);
    EXPECT_TRUE(std::filesystem::is_directory(data));

    TEnvGuard home("XDG_DATA_HOME", tree.Path("xdg"));
    EXPECT_EQ(UserDataFolder(), tree.Path("xdg") + "/Quillmoor/Zarvex");
    const TListFilePaths paths = ListFilePathsIn("/f");
    EXPECT_EQ(paths.List, "/f/Zarvex.lis");
    EXPECT_EQ(paths.SkipList, "/f/SkipDupl.lis");
    EXPECT_EQ(paths.NewList, "/f/NewDupl.lis");
}

TEST(SavedListsPrompts, ExactTitlesTextsAndButtons)
{
    const TMessageBoxRequest skip = SkipListPrompt("STAMP");
    EXPECT_EQ(skip.Title, "Zarvex - known duplicates to skip list found");
    EXPECT_EQ(skip.Text,
              "A list of known duplicate files to skip was found from a\rSTAMP\r\rReloading that "
              "list will prevent these known duplicates from being found again.\r\rDo you want to "
              "reload that list?");
    const TMessageBoxRequest previous = PreviousListPrompt("STAMP");
    EXPECT_EQ(previous.Title, "Zarvex - previous list found");
    EXPECT_EQ(previous.Text,
              "A list of duplicate files was found from a\rSTAMP\r\rReloading that list will save "
              "time.\r\rDo you want to reload that list?");
    for (const TMessageBoxRequest* request : {&skip, &previous}) {
        EXPECT_EQ(request->Icon, TMsgIcon::Question);
        EXPECT_EQ(request->Buttons, (QList<int>{mrYes, mrNo}));
        EXPECT_EQ(request->DefaultButton, mrYes);
    }
}

TEST(SavedListsPrompts, StampIsTheFilesOwnLocalModificationTime)
{
    TTempTree tree;
    tree.WriteFile("a.lis", "");
    tree.SetTime("a.lis", 1000000000);
    EXPECT_EQ(ListFileStamp(tree.Path("a.lis")), PreviousRunText(UnixToLocalDateTime(1000000000)));
    EXPECT_EQ(ListFileStamp(tree.Path("none.lis")), "");
    EXPECT_TRUE(ListFileExists(tree.Path("a.lis")));
    EXPECT_TRUE(ListFileExists(tree.MakeDir("dir.lis")));  // any kind of entry counts
    EXPECT_FALSE(ListFileExists(tree.Path("none.lis")));
}

}  // namespace
