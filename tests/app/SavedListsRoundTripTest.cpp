// A whole session as a user has it: search a sample tree, review a duplicate and delete it
// from the review dialog, close the program, start it again and reload the list. With
// ZARVEX_SCREENSHOT_DIR set, the review dialog and the reloaded window are saved there as
// review-dialog.png and main-window-reload.png.
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"
#include "app/Application.h"
#include "app/ResultsHandling.h"
#include "dialogs/FilProps.h"
#include "views/FileList.h"

namespace {

namespace fs = std::filesystem;

const char* const kPeSample = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";

class SavedListsRoundTrip : public WindowFixture {
protected:
    TEnvGuard FHome{"HOME", FTree.Root()};
    std::unique_ptr<TfrmFileProperties1> Dialog;

    void SetUp() override
    {
        WindowFixture::SetUp();
        if (!fs::exists(kPeSample))
            GTEST_SKIP() << "make test installs " << kPeSample;
        PrepareApplication();
        SetDrives("C=" + FTree.Path("c") + ",fixed,System;D=" + FTree.Path("d") + ",fixed,Data");
        MakeSampleTree();
    }
    void TearDown() override
    {
        Form.reset();
        Dialog.reset();
        WindowFixture::TearDown();
    }

    void MakeSampleTree()
    {
        const std::int64_t stamp = 1700000000;
        FTree.MakeDir("data");
        FTree.WriteSized("c/Documents/Report 2023.odt", 48213, 1);
        FTree.WriteSized("c/Backup/Documents/Report 2023.odt", 48213, 1);
        FTree.WriteSized("c/Photos/IMG_0412.jpg", 1843007, 3);
        FTree.WriteSized("d/Camera/IMG_0412.jpg", 1843007, 3);
        FTree.WriteSized("d/Camera/IMG_0413.jpg", 1790522, 4);
        fs::create_directories(FTree.Path("c/Tools"));
        fs::create_directories(FTree.Path("d/Downloads"));
        fs::copy_file(kPeSample, FTree.Path("c/Tools/zlib1.dll"));
        fs::copy_file(kPeSample, FTree.Path("d/Downloads/zlib1.dll"));
        for (const char* path :
             {"c/Documents/Report 2023.odt", "c/Backup/Documents/Report 2023.odt",
              "c/Photos/IMG_0412.jpg", "d/Camera/IMG_0412.jpg", "d/Camera/IMG_0413.jpg",
              "c/Tools/zlib1.dll", "d/Downloads/zlib1.dll"}) {
            FTree.SetTime(path, stamp);
        }
    }

    TfrmMain& StartProgram()
    {
        Dialog.reset();
        Open();
        Dialog = std::make_unique<TfrmFileProperties1>();
        Form->frmFileProperties1 = Dialog.get();
        Form->show();
        Form->Timer1Timer();
        return *Form;
    }

    int RowOf(const std::string& path) const
    {
        const auto& rows = Form->FileListView1->Rows().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].Caption == path)
                return static_cast<int>(i);
        }
        return -1;
    }

    static void Shoot(QWidget* widget, const char* name)
    {
        const QByteArray folder = qgetenv("ZARVEX_SCREENSHOT_DIR");
        if (folder.isEmpty())
            return;
        QApplication::processEvents();
        EXPECT_TRUE(widget->grab().save(QString::fromLocal8Bit(folder) + "/" + name));
    }
};

TEST_F(SavedListsRoundTrip, SearchReviewDeleteCloseRestartReload)
{
    TfrmMain& first = StartProgram();
    EXPECT_TRUE(TMessageBox::History().isEmpty());  // nothing saved yet
    first.btnSearch->click();
    ASSERT_GE(RowOf("D:\\Downloads\\zlib1.dll"), 0);
    const std::size_t found = first.FileListView1->Rows().Count();

    // Review the PE copy on D: and delete it from the dialog.
    first.FileListView1->SelectRow(RowOf("D:\\Downloads\\zlib1.dll"));
    first.FileListView1Click();
    TMessageBox::AnswerNext(mrYes);
    QTimer::singleShot(0, Dialog.get(), [this] {
        EXPECT_TRUE(Dialog->VersionTabVisible());
        Dialog->PageControl1->setCurrentWidget(Dialog->tabVersion);
        Dialog->lbxNames->setCurrentRow(0);
        Shoot(Dialog.get(), "review-dialog.png");
        Dialog->btnDelete->click();
    });
    first.FileListView1DblClick();
    EXPECT_FALSE(fs::exists(FTree.Path("d/Downloads/zlib1.dll")));
    EXPECT_TRUE(fs::exists(FTree.Path("c/Tools/zlib1.dll")));
    EXPECT_EQ(RowOf("C:\\Tools\\zlib1.dll"), -1);  // its group fell to one file and went
    const std::size_t kept = first.FileListView1->Rows().Count();
    EXPECT_LT(kept, found);
    const std::vector<TResultRow> rows = first.FileListView1->Rows().Rows();

    first.close();
    Form.reset();  // the window goes: the lists are written
    ASSERT_TRUE(fs::exists(FTree.Path("data/Zarvex.lis")));
    ASSERT_TRUE(fs::exists(FTree.Path("data/NewDupl.lis")));

    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& second = StartProgram();
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_EQ(TMessageBox::History()[0].Request.Title, "Zarvex - previous list found");
    ASSERT_EQ(second.FileListView1->Rows().Count(), kept);
    for (std::size_t i = 0; i < kept; ++i) {
        EXPECT_EQ(second.FileListView1->Rows().Row(i).Caption, rows[i].Caption);
    }
    EXPECT_EQ(Panel(0), "Duplicates read from file .....");
    EXPECT_EQ(second.State.DuplicateFiles, 2);
    second.FileListView1->SelectRow(RowOf("D:\\Camera\\IMG_0412.jpg"));
    second.FileListView1Click();
    Shoot(&second, "main-window-reload.png");
}

}  // namespace
