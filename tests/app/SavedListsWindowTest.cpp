// The saved lists as the window uses them: written when the window goes, offered and
// reloaded on the first timer tick.
#include <QProgressBar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "WindowFixture.h"
#include "app/SavedLists.h"
#include "text/Format.h"
#include "views/DiskList.h"
#include "views/FileList.h"

namespace {

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
        FTree.MakeDir("data");
    }

    // Two groups as a search lists them; the second members are 100 and 300 bytes long.
    void WriteTwoGroups()
    {
        FTree.WriteFile("data/Zarvex.lis",
                        "\"Duplicate files .....\"\r\n"
                        "\"C:\\a1.txt\",999,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
                        "\"C:\\a2.txt\",100,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
                        "\"\"\r\n"
                        "\"Duplicate files .....\"\r\n"
                        "\"C:\\b1.txt\",5000,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n"
                        "\"C:\\b2.txt\",300,\"Text Document\",\"2001/02/22 10:11\",\"   A\",,\r\n");
    }
    void WriteSkipList()
    {
        FTree.WriteFile("data/SkipDupl.lis", "C:\\known\\one.txt\r\nC:\\known\\two.txt\r\n");
    }

    const TResultRows& Rows() const { return Form->FileListView1->Rows(); }
    int DriveRows() const { return Form->DiskListView1->model()->rowCount(); }
};

TEST_F(SavedListsWindow, BothQuestionsAnsweredYes)
{
    WriteTwoGroups();
    WriteSkipList();
    FTree.SetTime("data/SkipDupl.lis", 1000000000);
    FTree.SetTime("data/Zarvex.lis", 1100000000);
    TMessageBox::AnswerNext(mrYes);
    TMessageBox::AnswerNext(mrYes);
    TfrmMain& form = OpenAndStart();

    ASSERT_EQ(TMessageBox::History().size(), 2);
    const TMessageBoxRequest& skip = TMessageBox::History()[0].Request;
    const TMessageBoxRequest& previous = TMessageBox::History()[1].Request;
    EXPECT_EQ(skip.Title, "Zarvex - known duplicates to skip list found");
    EXPECT_EQ(previous.Title, "Zarvex - previous list found");
    // Each question carries its own file's stamp.
    EXPECT_TRUE(skip.Text.contains(
        QString::fromStdString(PreviousRunText(UnixToLocalDateTime(1000000000)))));
    EXPECT_TRUE(previous.Text.contains(
        QString::fromStdString(PreviousRunText(UnixToLocalDateTime(1100000000)))));

    EXPECT_EQ(form.State.KnownDuplicates.Count(), 2);
    EXPECT_GE(form.State.KnownDuplicates.IndexOf("c:\\KNOWN\\one.txt"), 0);
    ASSERT_EQ(Rows().Count(), 7u);
    EXPECT_EQ(Rows().Row(2).Caption, "C:\\a2.txt");
    EXPECT_EQ(Rows().Row(2).SubItems[3], "A");  // "   A" trimmed
    EXPECT_EQ(form.State.DuplicateFiles, 2);
    EXPECT_EQ(form.State.DuplicateBytes, 400);
    EXPECT_EQ(Panel(0), "Duplicates read from file .....");
    EXPECT_EQ(Panel(1), "Bytes: 400");
    EXPECT_EQ(Panel(2), "Files: 2");
    EXPECT_FALSE(form.ProgressBar->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GT(DriveRows(), 0);
}

TEST_F(SavedListsWindow, BothQuestionsAnsweredNo)
{
    WriteTwoGroups();
    WriteSkipList();
    const std::string before = Slurp(FTree.Path("data/Zarvex.lis"));
    TMessageBox::AnswerNext(mrNo);
    TMessageBox::AnswerNext(mrNo);
    TfrmMain& form = OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(form.State.KnownDuplicates.Count(), 0);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_GT(DriveRows(), 0);
    Form.reset();
    EXPECT_EQ(Slurp(FTree.Path("data/Zarvex.lis")), before);  // offered again next time
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
    std::filesystem::remove(FTree.Path("data/Zarvex.lis"));
    FTree.MakeDir("data/Zarvex.lis/inside");
    FTree.MakeDir("data/SkipDupl.lis");
    TMessageBox::ClearHistory();
    TfrmMain& again = OpenAndStart();
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Rows().Count(), 0u);
    EXPECT_EQ(again.State.KnownDuplicates.Count(), 0);
    EXPECT_GT(DriveRows(), 0);
}

}  // namespace
