// Whole searches through the main window on temporary drives: the rows, totals and texts it
// ends with, and Stop, Exit and a second Find Now while the walk or the comparison runs.
#include <QKeyEvent>
#include <QTimer>
#include <fstream>

#include "WindowFixture.h"
#include "engine/SearchDriver.h"
#include "platform/Settings.h"
#include "views/DiskList.h"
#include "views/FileList.h"
#include "views/ResultRowsModel.h"

namespace {

constexpr std::int64_t kStamp = 1600000000;

class MainFormSearchTest : public WindowFixture {
protected:
    void File(const std::string& path, std::int64_t size, unsigned seed)
    {
        FTree.WriteSized(path, size, seed);
        FTree.SetTime(path, kStamp);
    }
    // Two groups across the drives and a decoy of equal size and stamp.
    void MakePairs()
    {
        File("c/docs/a.txt", 1000, 1);
        File("d/copy/a.txt", 1000, 1);
        File("c/x.txt", 1000, 3);
        File("c/b.bin", 2000, 2);
        File("d/b2.bin", 2000, 2);
    }
    // Many folders, each with a file of the same size and contents, so that both the walk and
    // the comparison pump many times.
    void MakeManyCopies(int folders)
    {
        for (int i = 0; i < folders; ++i)
            File("c/f" + std::to_string(i) + "/same.dat", 4096, 7);
    }
    std::vector<std::string> Captions() const
    {
        std::vector<std::string> captions;
        for (const TResultRow& row : Form->FileListView1->Rows().Rows())
            captions.push_back(row.Caption);
        return captions;
    }
    // Runs action at the first pump where when() holds, once.
    void AtPump(std::function<bool()> when, std::function<void()> action)
    {
        auto done = std::make_shared<bool>(false);
        Form->OnProcessMessages = [=] {
            if (*done || !when()) return;
            *done = true;
            action();
        };
    }
    bool Walking() { return Form->Driver().TreeScanner1.SearchInProgress(); }
    bool Comparing() { return Form->State.Busy; }
    std::string Stored(const char* name)
    {
        TSettingsKey key;
        std::string value = "<absent>";
        key.ReadString(name, value);
        return value;
    }
    void ExpectIdleAfterStop()
    {
        EXPECT_FALSE(Form->SearchActive());
        EXPECT_EQ(Form->btnSearch->text(), "Find Now");
        EXPECT_EQ(Panel(3), "Comparison interrupted");
        EXPECT_FALSE(Form->ProgressBar->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
};

TEST_F(MainFormSearchTest, WholeSearchListsGroupsTotalsAndTexts)
{
    MakePairs();
    TfrmMain& form = OpenAndStart();
    form.btnSearch->click();

    EXPECT_EQ(Captions(), (std::vector<std::string>{
                              "Duplicate files .....", "C:\\b.bin", "D:\\b2.bin", "",
                              "Duplicate files .....", "C:\\docs\\a.txt", "D:\\copy\\a.txt"}));
    const TResultRow& row = form.FileListView1->Rows().Row(1);
    ASSERT_EQ(row.SubItems.size(), 6u);
    EXPECT_EQ(row.SubItems[0], "2000");
    EXPECT_EQ(form.FileListView1->RowsModel()->rowCount(), 7) << "every row reached the view";
    EXPECT_EQ(Panel(0), "Duplicates found....");
    EXPECT_EQ(Panel(1), "Bytes: 3,000");
    EXPECT_EQ(Panel(2), "Files: 2");
    EXPECT_EQ(Panel(3), "Scan complete");
    EXPECT_EQ(form.btnSearch->text(), "Find Now");
    EXPECT_EQ(form.lblFileListCaption->text(),
              "What duplicates were found - double-click a file to review ...");
    EXPECT_EQ(form.FileListView1->Hint(), "Double-click a file to review");
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Title(), "Zarvex named *.* on C: D: in \\");
}

TEST_F(MainFormSearchTest, InputsAreRewrittenAndTheOverlapIsReported)
{
    MakePairs();
    TfrmMain& form = OpenAndStart();
    form.edtRootDir->setText("\\docs, \\, Docs");
    form.edtSkipFolder->setText("SP3, \\, \"Program Files\"");
    form.edtFileMask->setText("");
    form.btnSearch->click();
    EXPECT_EQ(form.edtRootDir->text(), "\\");
    EXPECT_EQ(form.edtSkipFolder->text(), "\"\\program files\\\",\\sp3\\");
    EXPECT_EQ(form.edtFileMask->text(), "*.*");
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_EQ(TMessageBox::History()[0].Request.Text.toStdString(),
              "Folder: \\DOCS\\  is already included in \nfolder: \\  and will therefore be "
              "removed.");
    // The caption is rebuilt once the folders are rewritten, before the mask is.
    EXPECT_EQ(Title(), "Zarvex named  on C: D: in \\");
}

TEST_F(MainFormSearchTest, SearchOfNoDrivesRunsOnAnEmptyCatalogue)
{
    MakePairs();
    SetDrives("");
    TfrmMain& form = OpenAndStart();
    EXPECT_EQ(form.DiskListView1->topLevelItemCount(), 0);
    EXPECT_EQ(Title(), "Zarvex");
    form.btnSearch->click();
    EXPECT_TRUE(Captions().empty());
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(Panel(3), "Scan complete");
    EXPECT_EQ(form.btnSearch->text(), "Find Now");
}

TEST_F(MainFormSearchTest, StopDuringTheWalk)
{
    MakeManyCopies(40);
    TfrmMain& form = OpenAndStart();
    std::string captionWhileWalking;
    AtPump([this] { return Walking() && Form->State.FolderList.Count() >= 5; },
           [&] {
               captionWhileWalking = form.btnSearch->text().toStdString();
               form.btnSearch->click();
           });
    form.btnSearch->click();
    EXPECT_EQ(captionWhileWalking, "Stop");
    EXPECT_LT(form.State.FolderList.Count(), 40) << "the walk went on";
    EXPECT_TRUE(Captions().empty());
    ExpectIdleAfterStop();
}

TEST_F(MainFormSearchTest, StopDuringTheComparisonKeepsTheGroupsSoFar)
{
    MakeManyCopies(20);
    File("d/a1.txt", 3000, 4);
    File("d/a2.txt", 3000, 4);
    TfrmMain& form = OpenAndStart();
    AtPump([this] { return Comparing() && Form->FileListView1->Rows().Count() > 0; },
           [&] { form.btnSearch->click(); });
    form.btnSearch->click();
    ASSERT_FALSE(Captions().empty());
    EXPECT_EQ(Captions()[0], "Duplicate files .....");
    EXPECT_LT(Captions().size(), 25u) << "the comparison went on";
    ExpectIdleAfterStop();
}

TEST_F(MainFormSearchTest, FindNowAgainWhileWalkingOnlyStops)
{
    MakeManyCopies(30);
    TfrmMain& form = OpenAndStart();
    int clicks = 0;
    QObject::connect(form.btnSearch, &QPushButton::clicked, [&clicks] { ++clicks; });
    AtPump([this] { return Walking() && Form->State.FolderList.Count() >= 3; },
           [&] {
               // Enter anywhere presses the button, now captioned Stop, twice.
               for (int i = 0; i < 2; ++i) {
                   QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                   QApplication::sendEvent(form.edtSkipFolder, &enter);
               }
           });
    form.btnSearch->click();
    EXPECT_EQ(clicks, 3);
    EXPECT_LT(form.State.FolderList.Count(), 30);
    ExpectIdleAfterStop();
}

TEST_F(MainFormSearchTest, ExitDuringTheWalkEndsTheSearchAndStoresTheSettings)
{
    MakeManyCopies(40);
    TfrmMain& form = OpenAndStart();
    form.edtFileMask->setText("*.dat");
    AtPump([this] { return Walking() && Form->State.FolderList.Count() >= 5; },
           [&] { form.btnExit->click(); });
    form.btnSearch->click();
    EXPECT_FALSE(form.isVisible()) << "the window closed";
    EXPECT_EQ(Stored("FileMask"), "*.dat");
    EXPECT_LT(form.State.FolderList.Count(), 40);
    EXPECT_FALSE(form.SearchActive());
    EXPECT_EQ(form.btnSearch->text(), "Find Now");
    Form.reset();  // destroyed only now, after the search returned
}

// As in the program: the event loop runs the search; Exit ends the loop only once the search
// has unwound, and the window is destroyed after that.
TEST_F(MainFormSearchTest, ExitEndsTheEventLoopOnlyAfterTheSearchReturned)
{
    MakeManyCopies(40);
    TfrmMain& form = OpenAndStart();
    bool searchingWhenLoopEnded = true;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &form,
                     [&] { searchingWhenLoopEnded = form.SearchActive(); });
    AtPump([this] { return Walking() && Form->State.FolderList.Count() >= 5; },
           [&] { form.btnExit->click(); });
    QTimer::singleShot(0, &form, [&] { form.btnSearch->click(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(searchingWhenLoopEnded);
    EXPECT_FALSE(form.isVisible());
    EXPECT_LT(form.State.FolderList.Count(), 40);
    EXPECT_EQ(Stored("RootFolder"), "\\");
    Form.reset();
}

TEST_F(MainFormSearchTest, CloseDuringTheComparisonEndsTheSearch)
{
    MakeManyCopies(20);
    TfrmMain& form = OpenAndStart();
    AtPump([this] { return Comparing(); }, [&] { form.close(); });
    form.btnSearch->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Stored("CheckFileSize"), "1");
    EXPECT_FALSE(form.SearchActive());
    EXPECT_EQ(Panel(3), "Comparison interrupted");
    EXPECT_TRUE(Captions().empty());
}

TEST_F(MainFormSearchTest, ASecondSearchStartsAfresh)
{
    MakePairs();
    TfrmMain& form = OpenAndStart();
    form.btnSearch->click();
    form.DiskListView1->SetSelectedDrives("C");
    form.btnSearch->click();
    EXPECT_TRUE(Captions().empty()) << "the C:-only search finds no pair";
    EXPECT_EQ(Panel(0), "");
    EXPECT_EQ(Panel(1), "Bytes: 0");
    EXPECT_EQ(Panel(2), "Files: 0");
}

}  // namespace
