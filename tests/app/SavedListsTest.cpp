#include <sys/stat.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "app/Application.h"
#include "app/SavedLists.h"
#include "text/Format.h"
#include "views/DiskList.h"

namespace {

namespace fs = std::filesystem;

const TResultRow kHeader{kGroupHeaderCaption, {}};

TResultRow FileRow(const std::string& path)
{
    return {path, {"1", "Text Document", "2001/02/22 10:11", "   A", "", ""}};
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SavedListsFiles, WrittenWithCrLfAndNothingOrAFailureLeavesTheOlderFiles)
{
    TTempTree Tree;
    const TListFilePaths Paths = ListFilePathsIn(Tree.Root());
    Tree.WriteFile("Zarvex.lis", "\"old\"\r\n");
    Tree.WriteFile("NewDupl.lis", "C:\\old\r\n");
    EXPECT_FALSE(WriteListFiles(TResultRows{}, Paths));
    EXPECT_EQ(Slurp(Paths.List) + Slurp(Paths.NewList), "\"old\"\r\nC:\\old\r\n");

    // A failed first file skips the second and leaves no temporary file.
    TResultRows rows;
    for (const TResultRow& row : {kHeader, FileRow("C:\\A"), FileRow("C:\\B")}) rows.Append(row);
    TListFilePaths paths = Paths;
    paths.List = Tree.Path("missing-folder/Zarvex.lis");
    EXPECT_FALSE(WriteListFiles(rows, paths));
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(Tree.Root()), {}), 2);

    EXPECT_TRUE(WriteListFiles(rows, Paths));
    EXPECT_EQ(Slurp(Paths.List),
              "\"Duplicate files .....\"\r\n"
              "\"C:\\A\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
              "\"C:\\B\",1,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n");
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\A\r\nC:\\B\r\n");
}

TEST(SavedListsReload, TotalsCountEveryMemberButTheFirstOfEachGroup)
{
    const std::string header = "\"Duplicate files .....\"";
    const std::string longName = "C:\\" + std::string(100000, 'n');
    const struct {
        const char* what;
        TReloadTotals totals;
        std::size_t rows;
        Pic lines;
    } cases[] = {
        {"two groups",
         {2, 400},
         7,
         {header, "\"C:\\a1\",999,t", "\"C:\\a2\",100,t", "\"\"", header, "\"C:\\b1\",5000,t",
          "\"C:\\b2\",300,t"}},
        // A file row first, a size that is no integer, a 64-bit size, a very long name; sizes
        // that no file has are malformed rows, left out.
        {"hand-edited",
         {3, 5000000001},
         4,
         {"\"C:\\first\",10", "\"C:\\x\",abc", "\"C:\\y\",5000000000", "\"C:\\n\",-2",
          "\"C:\\o\",99999999999999999999", "\"" + longName + "\",1"}},
        {"sum held at the top",
         {2, INT64_MAX},
         3,
         {"\"C:\\a\",1", "\"C:\\b\",9223372036854775807", "\"C:\\c\",9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TStringList lines;
        for (const std::string& line : c.lines) lines.Add(line);
        TResultRows rows;
        const TReloadTotals totals = ReloadRows(lines, rows, [](int) {});
        EXPECT_EQ(totals.Files, c.totals.Files);
        EXPECT_EQ(totals.Bytes, c.totals.Bytes);
        EXPECT_EQ(rows.Count(), c.rows);
    }
}

// A line longer than a path can be is skipped as it streams by; a CR LF split between two
// reads is one line end.
TEST(SavedListsReload, OverlongLinesAreSkippedAndTheFollowingLinesRead)
{
    TTempTree tree;
    const std::string kept(65535, 'k');
    tree.WriteFile("SkipDupl.lis", kept + "\r\n" + std::string(3000000, 'x') + "\nC:\\after");
    TStringList lines;
    ASSERT_TRUE(lines.LoadFromFile(tree.Path("SkipDupl.lis")));
    EXPECT_EQ(lines.Text(), kept + "\r\nC:\\after\r\n");
}

TEST(SavedLists, FolderBesideTheExecutableWhenWritableAndNoSystemFolder)
{
    TTempTree tree;
    const std::string exe = tree.MakeDir("bin");
    const std::string data = tree.Path("data/Quillmoor/Zarvex");
    EXPECT_EQ(ListFolder(exe, data), exe);
    // Root ignores permissions: the unwritable folder is no folder at all.
    EXPECT_EQ(ListFolder(tree.WriteFile("file", "x"), data), data);
    EXPECT_TRUE(fs::is_directory(data));
    for (const char* system : {"/usr/bin", "/bin", "/lib64", "/opt/zarvex/bin", "/etc"})
        EXPECT_EQ(ListFolder(system, data), data) << system << ", even for root";
    EXPECT_TRUE(ListFileExists(tree.MakeDir("dir.lis"))) << "any kind of entry counts";

    EXPECT_EQ(PreviousListPrompt("STAMP").DefaultButton, mrYes);
}

class SavedListsWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        SetFormatLocale("C");
    }
    std::string SlurpData(const char* name) const { return Slurp(FTree.Path("data/") + name); }
    const TResultRows& Rows() const { return Form->FileListView1->Rows(); }
};

// Search, close by SIGTERM, restart answering No twice, restart and reload.
TEST_F(SavedListsWindow, SessionSearchDeleteCloseRestartAndReload)
{
    MakeSampleTree();
    TfrmMain& first = OpenAndStart();
    EXPECT_TRUE(TMessageBox::History().isEmpty()) << "nothing saved yet";
    first.btnSearch->click();
    const std::vector<TResultRow> kept = Rows().Rows();
    CloseOnTerminationSignals(first);
    std::raise(SIGTERM);  // closes the window as Exit does
    for (int i = 0; i < 200 && first.isVisible(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(first.isVisible());
    Form.reset();  // the window goes: the lists are written
    EXPECT_NE(SlurpData("NewDupl.lis").find("C:\\Music\\Intro.mp3"), std::string::npos);

    FTree.WriteFile("data/SkipDupl.lis", "C:\\known\\one.txt\r\nC:\\known\\two.txt\r\n");
    FTree.SetTime("data/SkipDupl.lis", 1000000000);
    FTree.SetTime("data/Zarvex.lis", 1100000000);
    const std::string saved = SlurpData("Zarvex.lis");
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrNo);
    TMessageBox::AnswerNext(mrNo);
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Form->State.KnownDuplicates.Count() + Rows().Count(), 0u);
    Form.reset();
    EXPECT_EQ(SlurpData("Zarvex.lis"), saved) << "offered again next time";

    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& last = OpenAndStart();
    ASSERT_EQ(TMessageBox::History().size(), 2);
    const TMessageBoxRequest& skip = TMessageBox::History()[0].Request;
    const TMessageBoxRequest& previous = TMessageBox::History()[1].Request;
    // The known-duplicates question first, each with its own file's stamp.
    EXPECT_TRUE(skip.Text.contains(PreviousRunText(UnixToLocalDateTime(1000000000)).c_str()));
    EXPECT_TRUE(previous.Text.contains(PreviousRunText(UnixToLocalDateTime(1100000000)).c_str()));
    EXPECT_GE(last.State.KnownDuplicates.IndexOf("c:\\KNOWN\\one.txt"), 0);
    ASSERT_EQ(Rows().Count(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(Rows().Row(i).Caption, kept[i].Caption);
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2),
              "Duplicates read from file .....|Bytes: 8,313,748|Files: 4");
}

// Names with a line break cannot be saved; the user is told once, as the window goes.
TEST_F(SavedListsWindow, RowsThatNoLineCanHoldAreToldOnceWhenTheListIsSaved)
{
    OpenAndStart();
    for (const TResultRow& row : {kHeader, FileRow("C:\\a\nb"), FileRow("C:\\k"), TResultRow{},
                                  kHeader, FileRow("C:\\x"), FileRow("C:\\y"), FileRow("C:\\z\rz")})
        Form->FileListView1->Rows().Append(row);
    TMessageBox::ClearHistory();
    Form.reset();
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_EQ(TMessageBox::History()[0].Request.Text,
              "2 files whose names hold a line break were not saved in the list.");
    EXPECT_EQ(SlurpData("NewDupl.lis"), "C:\\x\r\nC:\\y\r\n");
}

TEST_F(SavedListsWindow, AnEmptyOrUnreadableListReloadsNothingAndTheTickGoesOn)
{
    FTree.WriteFile("data/Zarvex.lis", "");
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 1);  // asked, answered Yes by default
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_FALSE(Form->ProgressBar->isVisible());
    EXPECT_GT(Form->DiskListView1->topLevelItemCount(), 0);
}

// Lists linked to a FIFO are neither read nor written, and the window says so once; a list
// linked to a regular file in another folder is written through; a save's leftover goes.
TEST_F(SavedListsWindow, ListsLinkedToNoRegularFileAreNotWrittenAndLeftoversGo)
{
    ASSERT_EQ(mkfifo(FTree.Path("fifo").c_str(), 0600), 0);
    fs::create_symlink(FTree.Path("fifo"), FTree.Path("data/NewDupl.lis"));
    fs::create_symlink(FTree.Path("fifo"), FTree.Path("data/SkipDupl.lis"));
    FTree.WriteFile("elsewhere/list.lis", "\"Duplicate files .....\"\n\"C:\\x\",1\n\"C:\\y\",1\n");
    fs::create_symlink(FTree.Path("elsewhere/list.lis"), FTree.Path("data/Zarvex.lis"));
    FTree.WriteFile("elsewhere/list.lis.zarvex-tmp-a1B2c3", "left by a killed save");
    FTree.WriteFile("elsewhere/list.lis.backup", "not a temporary file");
    OpenAndStart();  // every box answered by its default: both lists are loaded
    ASSERT_EQ(TMessageBox::History().size(), 3);
    const QString told = TMessageBox::History()[0].Request.Text;
    EXPECT_TRUE(told.contains("NewDupl.lis") && !told.contains("Zarvex.lis")) << told.toStdString();
    EXPECT_EQ(Form->State.KnownDuplicates.Count() + Rows().Count(), 3u);
    EXPECT_TRUE(!fs::exists(FTree.Path("elsewhere/list.lis.zarvex-tmp-a1B2c3")) &&
                fs::exists(FTree.Path("elsewhere/list.lis.backup")));
    Form.reset();
    EXPECT_TRUE(fs::is_symlink(FTree.Path("data/Zarvex.lis")) && fs::is_fifo(FTree.Path("fifo")));
    EXPECT_EQ(Slurp(FTree.Path("elsewhere/list.lis")),
              "\"Duplicate files .....\"\r\n\"C:\\x\",1\r\n\"C:\\y\",1\r\n");
}

}  // namespace
