#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/SavedLists.h"
#include "support/TempTree.h"
#include "text/Format.h"

namespace {

using Lines = std::vector<std::string>;

const TResultRow kHeader{kGroupHeaderCaption, {}};

TResultRow File(const std::string& path, const std::string& size = "1")
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

TEST(SavedListsLines, LineFormsOfEveryRowKind)
{
    EXPECT_EQ(ListLine(kHeader), "\"Duplicate files .....\"");
    EXPECT_EQ(ListLine({"", {}}), "\"\"");
    // Size unquoted; texts with blanks quoted; empty versions as nothing after their commas.
    EXPECT_EQ(ListLine(File("C:\\Data\\report.txt", "512")),
              "\"C:\\Data\\report.txt\",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,");
    EXPECT_EQ(ListLine({"C:\\a.dll", {"7", "x", "d", "A", "1.0", "2.0"}}),
              "\"C:\\a.dll\",7,x,d,A,1.0,2.0");
    // A quote in a name is doubled so the name reads back whole, not as a shorter path.
    const TResultRow quoted{"C:\\x\\a\"b.txt", {"5"}};
    EXPECT_EQ(ListLine(quoted), "\"C:\\x\\a\"\"b.txt\",5");
    EXPECT_EQ(RowFromLine(ListLine(quoted)).Caption, "C:\\x\\a\"b.txt");
    // A version text with a line break stays on its line.
    const TResultRow version{"C:\\v.dll", {"1", "t", "d", "A", "1.0\r\nbeta", ""}};
    EXPECT_EQ(ListLine(version).find_first_of("\r\n"), std::string::npos);
}

TEST(SavedListsLines, EveryGroupMemberIsANewDuplicateAndBrokenNamesAreLeftOut)
{
    const TListLines lines = BuildListLines(
        RowsOf({kHeader, File("C:\\A.txt"), File("C:\\B.txt"), {"", {}}, kHeader,
                File("\\\\server\\share\\x"), File("D:\\y"), File("C:\\x\\a\nb")}));
    ASSERT_EQ(lines.Results.size(), 7u) << "the name with a line break is not split in two";
    EXPECT_EQ(lines.Results[3], "\"\"");
    EXPECT_EQ(lines.NewDuplicates, (Lines{"C:\\A.txt", "C:\\B.txt", "D:\\y"}));
}

class SavedListsFiles : public testing::Test {
protected:
    TTempTree Tree;
    TListFilePaths Paths = ListFilePathsIn(Tree.Root());
};

TEST_F(SavedListsFiles, WritesBothFilesWithCrLf)
{
    EXPECT_TRUE(WriteListFiles(RowsOf({kHeader, File("C:\\A"), File("C:\\B")}), Paths));
    EXPECT_EQ(Slurp(Paths.List),
              "\"Duplicate files .....\"\r\n"
              "\"C:\\A\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
              "\"C:\\B\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n");
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\A\r\nC:\\B\r\n");
    EXPECT_EQ(Paths.SkipList, Tree.Root() + "/SkipDupl.lis");
}

TEST_F(SavedListsFiles, NothingOrAFailureLeavesTheOlderFilesAsTheyWere)
{
    Tree.WriteFile("Zarvex.lis", "\"old\"\r\n");
    Tree.WriteFile("NewDupl.lis", "C:\\old\r\n");
    Tree.SetTime("Zarvex.lis", 1000000000);
    EXPECT_FALSE(WriteListFiles(TResultRows{}, Paths));
    EXPECT_EQ(Slurp(Paths.List), "\"old\"\r\n");
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");
    struct stat st {};
    ASSERT_EQ(stat(Paths.List.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1000000000);

    // A failed first file skips the second and leaves no temporary file.
    TListFilePaths paths = Paths;
    paths.List = Tree.Path("missing-folder/Zarvex.lis");
    EXPECT_FALSE(WriteListFiles(RowsOf({kHeader, File("C:\\A")}), paths));
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");
    const auto entries = std::distance(std::filesystem::directory_iterator(Tree.Root()), {});
    EXPECT_EQ(entries, 2);
}

TEST(SavedListsReload, RowsTrimmedAndTotalsOfEveryMemberButTheFirst)
{
    const TResultRow row = RowFromLine(
        "\" C:\\Data\\report.txt \",512,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,");
    EXPECT_EQ(row.Caption, "C:\\Data\\report.txt");
    EXPECT_EQ(row.SubItems, (Lines{"512", "Text Document", "2001/02/22 10:11", "A", ""}));
    EXPECT_TRUE(RowFromLine("\"\"").Caption.empty());
    EXPECT_TRUE(RowFromLine("\"Duplicate files .....\"").SubItems.empty());

    TStringList lines;
    for (const char* line : {"\"Duplicate files .....\"", "\"C:\\a1\",999,t", "\"C:\\a2\",100,t",
                             "\"\"", "\"Duplicate files .....\"", "\"C:\\b1\",5000,t",
                             "\"C:\\b2\",300,t"})
        lines.Add(line);
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
    TStringList lines;
    for (const std::string& line : {std::string("\"C:\\first\",10"), std::string("\"C:\\x\",abc"),
                                    std::string("\"C:\\y\",5000000000"), "\"" + longName + "\",1"})
        lines.Add(line);
    TResultRows rows;
    const TReloadTotals totals = ReloadRows(lines, rows);
    EXPECT_EQ(totals.Files, 3) << "the size that is no integer still counts as a file";
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
    // Root ignores permissions, so the unwritable folder is one that is no folder at all.
    EXPECT_EQ(ListFolder(tree.WriteFile("file", "x"), data), data);
    EXPECT_TRUE(std::filesystem::is_directory(data));
    TEnvGuard home("XDG_DATA_HOME", tree.Path("xdg"));
    EXPECT_EQ(UserDataFolder(), tree.Path("xdg") + "/Quillmoor/Zarvex");
}

TEST(SavedListsPrompts, TextsAndTheStampOfTheFile)
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
        EXPECT_EQ(request->Buttons, (QList<int>{mrYes, mrNo}));
        EXPECT_EQ(request->DefaultButton, mrYes);
    }

    TTempTree tree;
    tree.WriteFile("a.lis", "");
    tree.SetTime("a.lis", 1000000000);
    EXPECT_EQ(ListFileStamp(tree.Path("a.lis")), PreviousRunText(UnixToLocalDateTime(1000000000)));
    EXPECT_EQ(ListFileStamp(tree.Path("none.lis")), "");
    EXPECT_TRUE(ListFileExists(tree.MakeDir("dir.lis"))) << "any kind of entry counts";
    EXPECT_FALSE(ListFileExists(tree.Path("none.lis")));
}

}  // namespace
