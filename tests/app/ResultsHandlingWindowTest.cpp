// The results list under the user's hands: clicks, review, Delete and Shift+Delete, and the
// groups that vanish when they fall to one file.
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "WindowFixture.h"
#include "app/ResultsHandling.h"
#include "dialogs/FilProps.h"
#include "views/FileList.h"

namespace {

namespace fs = std::filesystem;

class ResultsWindow : public WindowFixture {
protected:
    // The trash of the home's file system, kept inside the tree.
    TEnvGuard FHome{"HOME", FTree.Root()};
    std::unique_ptr<TfrmFileProperties1> Dialog;

    void SetUp() override
    {
        WindowFixture::SetUp();
        FTree.MakeDir("data");
        Open();
        Form->Timer1->stop();
        Dialog = std::make_unique<TfrmFileProperties1>();
        Form->frmFileProperties1 = Dialog.get();
    }
    void TearDown() override
    {
        Form.reset();
        Dialog.reset();
        WindowFixture::TearDown();
    }

    // Groups of identical files on C:, laid out as a search lists them. Each inner list holds
    // the names of one group; files of one group share their contents.
    void ListGroups(std::initializer_list<std::initializer_list<const char*>> groups)
    {
        unsigned seed = 1;
        for (const auto& group : groups) {
            if (Form->RowCount() > 0)
                Form->AddRow("");
            Form->AddRow(kGroupHeaderCaption);
            for (const char* name : group) {
                FTree.WriteSized(std::string("c/") + name, 100, seed);
                std::int64_t size = 0;
                ASSERT_TRUE(Form->AddFile(std::string("C:\\") + name, size)) << name;
            }
            ++seed;
        }
    }

    // The rows in a compact picture: "H" header, "" empty, else the name after "C:\".
    std::vector<std::string> Picture() const
    {
        std::vector<std::string> out;
        for (const TResultRow& row : Form->FileListView1->Rows().Rows()) {
            if (IsGroupHeader(row.Caption))
                out.push_back("H");
            else
                out.push_back(row.Caption.size() > 3 ? row.Caption.substr(3) : row.Caption);
        }
        return out;
    }

    int RowOf(const std::string& name) const
    {
        const auto& rows = Form->FileListView1->Rows().Rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].Caption == "C:\\" + name)
                return static_cast<int>(i);
        }
        ADD_FAILURE() << name << " is not listed";
        return -1;
    }

    void Press(int row, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Form->FileListView1->SelectRow(row);
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        Form->FileListView1KeyDown(&event);
    }
    void DeleteKey(const std::string& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                   int answer = mrYes)
    {
        TMessageBox::AnswerNext(answer);
        Press(RowOf(name), Qt::Key_Delete, modifiers);
    }
    bool Exists(const std::string& name) const { return fs::exists(FTree.Path("c/" + name)); }
    bool InTrash(const std::string& name) const
    {
        return fs::exists(FTree.Path("data/Trash/files/" + name));
    }
};

using Pic = std::vector<std::string>;

TEST_F(ResultsWindow, ClickMovesTheDefaultButtonRole)
{
    ListGroups({{"a", "b"}});
    TFileListView& list = *Form->FileListView1;
    list.SelectRow(1);
    Form->FileListView1Click();
    EXPECT_EQ(list.Hint().toStdString(), "C:\\a");
    EXPECT_EQ(Form->DefaultButton(), nullptr);
    list.SelectRow(0);
    Form->FileListView1Click();
    EXPECT_EQ(list.Hint().toStdString(), "Double-click a file to review");
    EXPECT_EQ(Form->DefaultButton(), Form->btnSearch);
}

TEST_F(ResultsWindow, DeletingEitherFileOfAPairRemovesTheWholeGroup)
{
    ListGroups({{"a", "b"}, {"c", "d"}, {"e", "f"}});
    DeleteKey("d");  // a middle group, its second file
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b", "", "H", "e", "f"}));
    EXPECT_TRUE(InTrash("d"));
    DeleteKey("a");  // the first group, its first file
    EXPECT_EQ(Picture(), (Pic{"H", "e", "f"}));
    DeleteKey("e");  // the last and only group
    EXPECT_TRUE(Picture().empty());
    EXPECT_TRUE(Exists("b") && Exists("c") && Exists("f"));
    EXPECT_EQ(Form->FileListView1->Hint().toStdString(), "Double-click a file to review");
}

TEST_F(ResultsWindow, ShiftAloneDeletesForGoodOtherModifiersUseTheTrash)
{
    ListGroups({{"a", "b", "c", "d", "e"}});
    DeleteKey("a", Qt::ShiftModifier);
    EXPECT_FALSE(Exists("a"));
    EXPECT_FALSE(InTrash("a"));
    DeleteKey("b", Qt::ControlModifier);
    DeleteKey("c", Qt::ShiftModifier | Qt::ControlModifier);
    DeleteKey("d", Qt::ShiftModifier | Qt::AltModifier);
    for (const char* name : {"b", "c", "d"}) {
        EXPECT_FALSE(Exists(name)) << name;
        EXPECT_TRUE(InTrash(name)) << name;
    }
    EXPECT_TRUE(TMessageBox::History()[0].Request.Text.contains("permanently"));
    EXPECT_TRUE(TMessageBox::History()[1].Request.Text.contains("trash"));
}

TEST_F(ResultsWindow, ARefusedConfirmationKeepsFileAndRows)
{
    ListGroups({{"a", "b"}});
    DeleteKey("a", Qt::NoModifier, mrNo);
    EXPECT_TRUE(Exists("a"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b"}));
}

TEST_F(ResultsWindow, AFileAlreadyGoneLosesItsRowWithoutAQuestion)
{
    ListGroups({{"a", "b"}, {"c", "d"}});
    fs::remove(FTree.Path("c/b"));
    Press(RowOf("b"), Qt::Key_Delete);
    EXPECT_TRUE(TMessageBox::History().isEmpty());
    EXPECT_EQ(Picture(), (Pic{"H", "c", "d"}));
}

TEST_F(ResultsWindow, TheLastCopyIsKeptUnlessTheUserInsists)
{
    ListGroups({{"a", "b"}});
    FTree.WriteFile("c/b", "changed after the search");
    Press(RowOf("a"), Qt::Key_Delete);  // unattended: the default answer, No
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_TRUE(TMessageBox::History()[0].Request.Text.contains("last copy"));
    EXPECT_EQ(TMessageBox::History()[0].Request.DefaultButton, mrNo);
    EXPECT_TRUE(Exists("a"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b"}));
}

TEST_F(ResultsWindow, ReviewThatDeletesRemovesTheRow)
{
    ListGroups({{"a", "b"}, {"c", "d"}});
    Form->FileListView1->SelectRow(RowOf("b"));
    TMessageBox::AnswerNext(mrYes);
    QTimer::singleShot(0, Dialog.get(), [this] {
        EXPECT_EQ(Dialog->FileName, "C:\\b");
        EXPECT_EQ(Dialog->Companions, std::vector<std::string>{"C:\\a"});
        Dialog->btnDelete->click();
    });
    Form->FileListView1DblClick();
    EXPECT_FALSE(Exists("b"));
    EXPECT_EQ(Picture(), (Pic{"H", "c", "d"}));
}

TEST_F(ResultsWindow, ReviewOfAVanishedFileRemovesItsRowSilently)
{
    ListGroups({{"a", "b", "c"}});
    fs::remove(FTree.Path("c/c"));
    Form->FileListView1->SelectRow(RowOf("c"));
    Form->FileListView1DblClick();  // no dialog: it would block this test
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b"}));
}

TEST_F(ResultsWindow, EnterReviewsOnceAFileWasClicked)
{
    ListGroups({{"a", "b"}});
    Form->show();
    Form->FileListView1->SelectRow(RowOf("a"));
    Form->FileListView1Click();
    std::string reviewed;
    QTimer::singleShot(0, Dialog.get(), [&] {
        if (Dialog->isVisible())
            reviewed = Dialog->FileName;
        Dialog->btnOK->click();
    });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Form->FileListView1, &enter);
    EXPECT_EQ(reviewed, "C:\\a");
}

TEST_F(ResultsWindow, NoRowIsSelectedAfterADeletion)
{
    ListGroups({{"a", "b", "c"}});
    DeleteKey("a");
    EXPECT_EQ(Picture(), (Pic{"H", "b", "c"}));
    // A second Delete right away finds no row instead of a neighbour.
    Press(Form->FileListView1->SelectedIndex(), Qt::Key_Delete);
    EXPECT_EQ(TMessageBox::History().size(), 1);
    EXPECT_EQ(Picture(), (Pic{"H", "b", "c"}));
}

TEST_F(ResultsWindow, EnterAfterAClickOnAHeaderPressesFindNow)
{
    // A reloaded list of files that are not on this drive: a new search replaces it.
    Form->AddRow(kGroupHeaderCaption);
    Form->AddRow("C:\\not-here-1");
    Form->AddRow("C:\\not-here-2");
    FTree.WriteSized("c/x1", 50, 9);
    FTree.WriteSized("c/x2", 50, 9);
    FTree.SetTime("c/x1", 1700000000);
    FTree.SetTime("c/x2", 1700000000);
    Form->Timer1Timer();  // fills and preselects the drives
    Form->show();
    Form->FileListView1->SelectRow(0);
    Form->FileListView1Click();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Form->FileListView1, &enter);
    Pic found = Picture();
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (Pic{"H", "x1", "x2"}));
}

TEST_F(ResultsWindow, AHandEditedListStartingWithAFileIsHandled)
{
    FTree.WriteSized("c/a", 10, 1);
    FTree.WriteSized("c/b", 10, 1);
    Form->AddRow("C:\\a");
    Form->AddRow("C:\\b");
    DeleteKey("a");
    EXPECT_EQ(Picture(), (Pic{"b"}));
    EXPECT_TRUE(InTrash("a"));
    Form->FileListView1->SelectRow(0);
    QTimer::singleShot(0, Dialog.get(), [this] { Dialog->btnOK->click(); });
    Form->FileListView1DblClick();
    EXPECT_EQ(Picture(), (Pic{"b"}));
}

}  // namespace
