// The saved lists as the window uses them: offered and reloaded on the first timer tick,
// written when the window goes. With ZARVEX_SCREENSHOT_DIR set, the session test saves the
// review dialog and the reloaded window there (review-dialog.png, main-window-reload.png).
#include <QListWidget>
#include <QProgressBar>
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

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SavedListsWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        SetFormatLocale("C");
    }
    std::string StampText(std::int64_t time)
    {
        return PreviousRunText(UnixToLocalDateTime(time));
    }
    const TResultRows& Rows() const { return Form->FileListView1->Rows(); }
    int DriveRows() const { return Form->DiskListView1->topLevelItemCount(); }
};

TEST_F(SavedListsWindow, QuestionsAnsweredNoThenYes)
{
    // Two groups as a search lists them; the second members are 100 and 300 bytes long.
    const std::string tail = ",\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n";
    FTree.WriteFile("data/Zarvex.lis", "\"Duplicate files .....\"\r\n\"C:\\a1.txt\",999" + tail +
                                           "\"C:\\a2.txt\",100" + tail +
                                           "\"\"\r\n\"Duplicate files .....\"\r\n"
                                           "\"C:\\b1.txt\",5000" + tail + "\"C:\\b2.txt\",300" +
                                           tail);
    FTree.WriteFile("data/SkipDupl.lis", "C:\\known\\one.txt\r\nC:\\known\\two.txt\r\n");
    FTree.SetTime("data/SkipDupl.lis", 1000000000);
    FTree.SetTime("data/Zarvex.lis", 1100000000);
    const std::string before = Slurp(FTree.Path("data/Zarvex.lis"));
    TMessageBox::AnswerNext(mrNo);
    TMessageBox::AnswerNext(mrNo);
    OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Form->State.KnownDuplicates.Count(), 0);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_GT(DriveRows(), 0);
    Form.reset();
    EXPECT_EQ(Slurp(FTree.Path("data/Zarvex.lis")), before) << "offered again next time";

    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& form = OpenAndStart();
    ASSERT_EQ(TMessageBox::History().size(), 2);
    const TMessageBoxRequest& skip = TMessageBox::History()[0].Request;
    const TMessageBoxRequest& previous = TMessageBox::History()[1].Request;
    EXPECT_EQ(skip.Title, "Zarvex - known duplicates to skip list found");
    EXPECT_EQ(previous.Title, "Zarvex - previous list found");
    EXPECT_TRUE(skip.Text.contains(QString::fromStdString(StampText(1000000000))));
    EXPECT_TRUE(previous.Text.contains(QString::fromStdString(StampText(1100000000))));
    EXPECT_EQ(form.State.KnownDuplicates.Count(), 2);
    EXPECT_GE(form.State.KnownDuplicates.IndexOf("c:\\KNOWN\\one.txt"), 0);
    ASSERT_EQ(Rows().Count(), 7u);
    EXPECT_EQ(Rows().Row(2).Caption, "C:\\a2.txt");
    EXPECT_EQ(Rows().Row(2).SubItems[3], "A");  // "   A" trimmed
    EXPECT_EQ(form.State.DuplicateBytes, 400);
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2),
              "Duplicates read from file .....|Bytes: 400|Files: 2");
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GT(DriveRows(), 0);
}

TEST_F(SavedListsWindow, AnEmptyOrUnreadableListReloadsNothingAndTheTickGoesOn)
{
    FTree.WriteFile("data/Zarvex.lis", "");
    TfrmMain& form = OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 1);  // asked, answered Yes by default
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_NE(Panel(0), "Duplicates read from file .....");
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_GT(DriveRows(), 0);

    // A folder in the list's place exists as an entry but cannot be read.
    Form.reset();
    fs::remove(FTree.Path("data/Zarvex.lis"));
    FTree.MakeDir("data/Zarvex.lis/inside");
    FTree.MakeDir("data/SkipDupl.lis");
    TMessageBox::ClearHistory();
    TfrmMain& again = OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_EQ(again.State.KnownDuplicates.Count(), 0);
    EXPECT_GT(DriveRows(), 0);
}

// A whole session: search, review a duplicate and delete it from the review dialog, close
// the program, start it again and reload the list.
TEST_F(SavedListsWindow, SearchReviewDeleteCloseRestartReload)
{
    const char* sample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
    if (!fs::exists(sample)) GTEST_SKIP() << "make test installs " << sample;
    PrepareApplication();
    SetDrives("C=" + FTree.Path("c") + ",fixed,System;D=" + FTree.Path("d") + ",fixed,Data");
    MakeSampleTree();
    for (const char* copy : {"c/Tools/zlib1.dll", "d/Downloads/zlib1.dll"}) {
        FTree.MakeDir(fs::path(copy).parent_path().string());
        fs::copy_file(sample, FTree.Path(copy));
        FTree.SetTime(copy, 1700000000);
    }
    auto shoot = [](QWidget* widget, const char* name) {
        const QByteArray folder = qgetenv("ZARVEX_SCREENSHOT_DIR");
        if (folder.isEmpty()) return;
        QApplication::processEvents();
        EXPECT_TRUE(widget->grab().save(QString::fromLocal8Bit(folder) + "/" + name));
    };

    TfrmMain& first = OpenAndStart();
    EXPECT_TRUE(TMessageBox::History().isEmpty()) << "nothing saved yet";
    first.btnSearch->click();
    const std::size_t found = Rows().Count();
    first.FileListView1->SelectRow(RowOf("D:\\Downloads\\zlib1.dll"));
    first.FileListView1Click();
    TMessageBox::AnswerNext(mrYes);
    QTimer::singleShot(0, Dialog.get(), [&] {
        EXPECT_TRUE(Dialog->VersionTabVisible());
        Dialog->PageControl1->setCurrentWidget(Dialog->tabVersion);
        Dialog->lbxNames->setCurrentRow(0);
        shoot(Dialog.get(), "review-dialog.png");
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
    EXPECT_EQ(Slurp(FTree.Path("data/NewDupl.lis")).find("zlib1.dll"), std::string::npos);
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& second = OpenAndStart();
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_EQ(TMessageBox::History()[0].Request.Title, "Zarvex - previous list found");
    ASSERT_EQ(Rows().Count(), kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(Rows().Row(i).Caption, kept[i].Caption);
    EXPECT_EQ(Panel(0), "Duplicates read from file .....");
    EXPECT_EQ(second.State.DuplicateFiles, 4);
    second.FileListView1->SelectRow(RowOf("D:\\Camera\\IMG_0412.jpg"));
    second.FileListView1Click();
    shoot(&second, "main-window-reload.png");
}

}  // namespace
