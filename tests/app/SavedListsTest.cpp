// The saved lists: the line forms, safe writing and reload of the list files, and the window's
// side (written when the window goes, offered and reloaded on the first timer tick). With
// ZARVEX_SCREENSHOT_DIR set, the session test saves the review dialog and the reloaded window
// there (review-dialog.png, main-window-reload.png).
#include <sys/stat.h>

#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "WindowFixture.h"
#include "app/Application.h"
#include "app/SavedLists.h"
#include "text/Format.h"
#include "views/DiskList.h"

namespace {

namespace fs = std::filesystem;

const TResultRow kHeader{kGroupHeaderCaption, {}};

TResultRow FileRow(const std::string& path, const std::string& size = "1")
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

class SavedListsFiles : public testing::Test {
protected:
    TTempTree Tree;
    TListFilePaths Paths = ListFilePathsIn(Tree.Root());
};

TEST_F(SavedListsFiles, WritesBothFilesWithCrLf)
{
    EXPECT_TRUE(WriteListFiles(RowsOf({kHeader, FileRow("C:\\A"), FileRow("C:\\B")}), Paths));
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
    EXPECT_FALSE(WriteListFiles(RowsOf({kHeader, FileRow("C:\\A")}), paths));
    EXPECT_EQ(Slurp(Paths.NewList), "C:\\old\r\n");
    const auto entries = std::distance(fs::directory_iterator(Tree.Root()), {});
    EXPECT_EQ(entries, 2);
}

TEST(SavedListsReload, TotalsCountEveryMemberButTheFirstOfEachGroup)
{
    const std::string header = "\"Duplicate files .....\"";
    const std::string longName = "C:\\" + std::string(100000, 'n');
    const struct {
        const char* what;
        Pic lines;
        std::int64_t files, bytes;
    } cases[] = {
        {"two groups",
         {header, "\"C:\\a1\",999,t", "\"C:\\a2\",100,t", "\"\"", header, "\"C:\\b1\",5000,t",
          "\"C:\\b2\",300,t"},
         2, 400},
        // A file row first, a size that is no integer (still a file), a 64-bit size, a very
        // long name.
        {"hand-edited",
         {"\"C:\\first\",10", "\"C:\\x\",abc", "\"C:\\y\",5000000000", "\"" + longName + "\",1"},
         3, 5000000001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TStringList lines;
        for (const std::string& line : c.lines) lines.Add(line);
        TResultRows rows;
        int progress = -1;
        const TReloadTotals totals = ReloadRows(lines, rows, [&](int i) {
            EXPECT_EQ(i, progress + 1);
            progress = i;
        });
        EXPECT_EQ(totals.Files, c.files);
        EXPECT_EQ(totals.Bytes, c.bytes);
        ASSERT_EQ(rows.Count(), c.lines.size());
        EXPECT_EQ(progress + 1, static_cast<int>(c.lines.size()));
        EXPECT_EQ(rows.Row(rows.Count() - 1).Caption, RowFromLine(c.lines.back()).Caption);
    }
}

TEST(SavedListsFolder, BesideTheExecutableWhenWritableElseInTheDataFolder)
{
    TTempTree tree;
    const std::string exe = tree.MakeDir("bin");
    const std::string data = tree.Path("data/Quillmoor/Zarvex");
    EXPECT_EQ(ListFolder(exe, data), exe);
    EXPECT_FALSE(fs::exists(data));
    // Root ignores permissions, so the unwritable folder is one that is no folder at all.
    EXPECT_EQ(ListFolder(tree.WriteFile("file", "x"), data), data);
    EXPECT_TRUE(fs::is_directory(data));
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

class SavedListsWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        SetFormatLocale("C");
    }
    std::string SlurpData(const char* name) const { return Slurp(FTree.Path("data/") + name); }
    const TResultRows& Rows() const { return Form->FileListView1->Rows(); }
    int DriveRows() const { return Form->DiskListView1->topLevelItemCount(); }
    static void Shoot(QWidget* widget, const char* name)
    {
        const QByteArray folder = qgetenv("ZARVEX_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QApplication::processEvents();
        EXPECT_TRUE(widget->grab().save(QString::fromLocal8Bit(folder) + "/" + name));
    }
};

// Search, review a duplicate and delete it from the review dialog, close the program, start
// it again, answer No to both questions, then start once more and reload.
TEST_F(SavedListsWindow, SessionSearchDeleteCloseRestartAndReload)
{
    PrepareApplication();
    SetDrives("C=" + FTree.Path("c") + ",fixed,System;D=" + FTree.Path("d") + ",fixed,Data");
    MakeSampleTree();
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";  // installed by make test
    const bool pe = fs::exists(sample);
    for (const char* copy : {"c/Tools/zlib1.dll", "d/Downloads/zlib1.dll"}) {
        FTree.WriteSized(copy, 4096, 6);
        if (pe) fs::copy_file(sample, FTree.Path(copy), fs::copy_options::overwrite_existing);
        FTree.SetTime(copy, 1700000000);
    }

    TfrmMain& first = OpenAndStart();
    EXPECT_TRUE(TMessageBox::History().isEmpty()) << "nothing saved yet";
    first.btnSearch->click();
    const std::size_t found = Rows().Count();
    first.FileListView1->SelectRow(RowOf("D:\\Downloads\\zlib1.dll"));
    first.FileListView1Click();
    TMessageBox::AnswerNext(mrYes);
    QTimer::singleShot(0, Dialog.get(), [&] {
        EXPECT_EQ(Dialog->VersionTabVisible(), pe);
        if (pe) Dialog->PageControl1->setCurrentWidget(Dialog->tabVersion);
        Dialog->lbxNames->setCurrentRow(0);
        Shoot(Dialog.get(), "review-dialog.png");
        Dialog->btnDelete->click();
    });
    first.FileListView1DblClick();
    EXPECT_FALSE(fs::exists(FTree.Path("d/Downloads/zlib1.dll")));
    EXPECT_TRUE(fs::exists(FTree.Path("c/Tools/zlib1.dll")));
    EXPECT_EQ(RowOf("C:\\Tools\\zlib1.dll"), -1) << "its group fell to one file and went";
    const std::vector<TResultRow> kept = Rows().Rows();
    EXPECT_LT(kept.size(), found);
    first.close();
    Form.reset();  // the window goes: the lists are written
    EXPECT_EQ(SlurpData("NewDupl.lis").find("zlib1.dll"), std::string::npos);

    FTree.WriteFile("data/SkipDupl.lis", "C:\\known\\one.txt\r\nC:\\known\\two.txt\r\n");
    FTree.SetTime("data/SkipDupl.lis", 1000000000);
    FTree.SetTime("data/Zarvex.lis", 1100000000);
    const std::string saved = SlurpData("Zarvex.lis");
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrNo);
    TMessageBox::AnswerNext(mrNo);
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Form->State.KnownDuplicates.Count(), 0);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_GT(DriveRows(), 0);
    Form.reset();
    EXPECT_EQ(SlurpData("Zarvex.lis"), saved) << "offered again next time";

    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& last = OpenAndStart();
    ASSERT_EQ(TMessageBox::History().size(), 2);
    const TMessageBoxRequest& skip = TMessageBox::History()[0].Request;
    const TMessageBoxRequest& previous = TMessageBox::History()[1].Request;
    // The known-duplicates question first; each carries its own file's stamp.
    EXPECT_TRUE(skip.Text.contains(PreviousRunText(UnixToLocalDateTime(1000000000)).c_str()));
    EXPECT_TRUE(previous.Text.contains(PreviousRunText(UnixToLocalDateTime(1100000000)).c_str()));
    EXPECT_EQ(last.State.KnownDuplicates.Count(), 2);
    EXPECT_GE(last.State.KnownDuplicates.IndexOf("c:\\KNOWN\\one.txt"), 0);
    ASSERT_EQ(Rows().Count(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(Rows().Row(i).Caption, kept[i].Caption);
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2),
              "Duplicates read from file .....|Bytes: 8,313,748|Files: 4");
    EXPECT_FALSE(last.ProgressBar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    last.FileListView1->SelectRow(RowOf("D:\\Camera\\IMG_0412.jpg"));
    last.FileListView1Click();
    Shoot(&last, "main-window-reload.png");
}

TEST_F(SavedListsWindow, AnEmptyOrUnreadableListReloadsNothingAndTheTickGoesOn)
{
    FTree.WriteFile("data/Zarvex.lis", "");
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 1);  // asked, answered Yes by default
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_NE(Panel(0), "Duplicates read from file .....");
    EXPECT_FALSE(Form->ProgressBar->isVisible());
    EXPECT_GT(DriveRows(), 0);

    // A folder in the list's place exists as an entry but cannot be read.
    Form.reset();
    fs::remove(FTree.Path("data/Zarvex.lis"));
    FTree.MakeDir("data/Zarvex.lis/inside");
    FTree.MakeDir("data/SkipDupl.lis");
    TMessageBox::ClearHistory();
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_EQ(Form->State.KnownDuplicates.Count(), 0);
    EXPECT_GT(DriveRows(), 0);
}

}  // namespace
