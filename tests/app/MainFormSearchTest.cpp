// Whole searches through the main window: the rows, totals and texts it ends with, and Stop,
// Exit and the close box while the walk or the comparison runs.
#include <QKeyEvent>
#include <QTimer>

#include "WindowFixture.h"
#include "engine/SearchDriver.h"
#include "views/DiskList.h"
#include "views/ResultRowsModel.h"

namespace {

class MainFormSearchTest : public WindowFixture {
protected:
    // Two groups across the drives and a decoy of equal size and stamp.
    void MakePairs()
    {
        File("c/docs/a.txt", 1000, 1);
        File("d/copy/a.txt", 1000, 1);
        File("c/x.txt", 1000, 3);
        File("c/b.bin", 2000, 2);
        File("d/b2.bin", 2000, 2);
    }
    // Many folders with a copy each, so that the walk and the comparison pump many times.
    void MakeManyCopies(int folders)
    {
        for (int i = 0; i < folders; ++i) File("c/f" + std::to_string(i) + "/same.dat", 4096, 7);
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
    bool Walking(int folders = 5)
    {
        return Form->Driver().TreeScanner1.SearchInProgress() &&
               Form->State.FolderList.Count() >= folders;
    }
};

TEST_F(MainFormSearchTest, WholeSearchListsGroupsTotalsAndTextsAndASecondStartsAfresh)
{
    MakePairs();
    TfrmMain& form = OpenAndStart();
    form.btnSearch->click();
    EXPECT_EQ(Picture(), (Pic{"H", "b.bin", "D:\\b2.bin", "", "H", "docs\\a.txt",
                              "D:\\copy\\a.txt"}));
    EXPECT_EQ(form.FileListView1->Rows().Row(1).SubItems.at(0), "2000");
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

    form.DiskListView1->SetSelectedDrives("C");
    form.btnSearch->click();
    EXPECT_TRUE(Picture().empty()) << "the C:-only search finds no pair";
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2), "|Bytes: 0|Files: 0");
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
    EXPECT_TRUE(Picture().empty());
    EXPECT_EQ(Panel(3), "Scan complete");
}

TEST_F(MainFormSearchTest, StopWhileWalkingOrComparing)
{
    MakeManyCopies(40);
    File("d/a1.txt", 3000, 4);
    File("d/a2.txt", 3000, 4);
    const struct {
        const char* what;
        bool comparing;   // stop during the comparison, else during the walk
        bool enterTwice;  // Enter presses the button, now captioned Stop, twice
    } cases[] = {{"Stop while walking", false, false},
                 {"Enter twice while walking", false, true},
                 {"Stop while comparing", true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TfrmMain& form = OpenAndStart();
        int clicks = 0;
        QObject::connect(form.btnSearch, &QPushButton::clicked, [&clicks] { ++clicks; });
        std::string caption;
        AtPump([&] { return c.comparing ? form.FileListView1->Rows().Count() > 0 : Walking(); },
               [&] {
                   caption = form.btnSearch->text().toStdString();
                   for (int i = 0; i < (c.enterTwice ? 2 : 1); ++i) {
                       QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                       QApplication::sendEvent(form.edtSkipFolder, &enter);
                   }
               });
        form.btnSearch->click();
        EXPECT_EQ(caption, "Stop");
        EXPECT_EQ(clicks, c.enterTwice ? 3 : 2);
        if (c.comparing) {
            ASSERT_FALSE(Picture().empty());
            EXPECT_EQ(Picture()[0], "H");
            EXPECT_LT(Picture().size(), 45u) << "the comparison went on";
        } else {
            EXPECT_LT(form.State.FolderList.Count(), 40) << "the walk went on";
            EXPECT_TRUE(Picture().empty());
        }
        EXPECT_FALSE(form.SearchActive());
        EXPECT_EQ(form.btnSearch->text(), "Find Now");
        EXPECT_EQ(Panel(3), "Comparison interrupted");
        EXPECT_FALSE(form.ProgressBar->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// As in the program: the event loop runs the search; Exit ends the loop only once the search
// has unwound, and the window is destroyed after that.
TEST_F(MainFormSearchTest, ExitEndsTheEventLoopOnlyAfterTheSearchReturned)
{
    MakeManyCopies(40);
    TfrmMain& form = OpenAndStart();
    form.edtFileMask->setText("*.dat");
    bool searchingWhenLoopEnded = true;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &form,
                     [&] { searchingWhenLoopEnded = form.SearchActive(); });
    AtPump([this] { return Walking(); }, [&] { form.btnExit->click(); });
    QTimer::singleShot(0, &form, [&] { form.btnSearch->click(); });
    QTimer::singleShot(20000, &form, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(searchingWhenLoopEnded);
    EXPECT_FALSE(form.isVisible());
    EXPECT_LT(form.State.FolderList.Count(), 40);
    EXPECT_EQ(form.btnSearch->text(), "Find Now");
    EXPECT_EQ(Stored("FileMask"), "*.dat");
}

TEST_F(MainFormSearchTest, CloseDuringTheComparisonEndsTheSearch)
{
    MakeManyCopies(20);
    TfrmMain& form = OpenAndStart();
    AtPump([this] { return Form->State.Busy; }, [&] { form.close(); });
    form.btnSearch->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Stored("CheckFileSize"), "1");
    EXPECT_FALSE(form.SearchActive());
    EXPECT_EQ(Panel(3), "Comparison interrupted");
    EXPECT_TRUE(Picture().empty());
}

}  // namespace
