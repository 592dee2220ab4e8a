#include <QKeyEvent>
#include <QTimer>
#include <filesystem>

#include "WindowFixture.h"

namespace {

TResultRows Layout(const Pic& captions)
{
    TResultRows rows;
    for (const std::string& c : captions)
        rows.Append({c == "H" ? kGroupHeaderCaption : c, c.empty() || c == "H" ? Pic{} : Pic{"1"}});
    return rows;
}

TEST(ResultsHandling, SelectedFilePathAndGroupCompanions)
{
    TResultRows rows = Layout({"H", "C:\\a", ""});
    rows.Append({"  C:\\padded  ", {}});
    rows.Append({"xx Duplicate files ..... xx", {}});
    EXPECT_EQ(SelectedFilePath(rows, 0), "");
    EXPECT_EQ(SelectedFilePath(rows, 3), "  C:\\padded  ") << "the caption exactly";
    EXPECT_EQ(SelectedFilePath(rows, 4), "") << "a caption containing the header text";
    EXPECT_EQ(SelectedFilePath(rows, 99), "");
    EXPECT_EQ(GroupCompanions(Layout({"H", "a", "b", "c", "", "H", "d"}), 2), (Pic{"a", "c"}));
    const TResultRows edited = Layout({"x", "y", "H", "z"});  // hand-edited: no header first
    EXPECT_EQ(GroupCompanions(edited, 0), (Pic{"y"}));
    EXPECT_TRUE(GroupCompanions(edited, 3).empty());
}

TEST(ResultsHandling, TidyGroupRemovesOnlyAGroupFallenToOneFile)
{
    const struct {
        const char* what;
        Pic before;
        std::ptrdiff_t row;  // the row above the removed one
        Pic after;
    } cases[] = {
        {"last group", {"H", "a", "b", "", "H", "c"}, 5, {"H", "a", "b", ""}},
        {"first file removed", {"H", "b", "", "H", "d", "e"}, 0, {"H", "d", "e"}},
        {"two files left", {"H", "a", "c", "", "H", "d"}, 1, {"H", "a", "c", "", "H", "d"}},
        {"no header above", {"a", "b", "", "H", "c"}, 0, {"a", "b", "", "H", "c"}},
        {"no row", {"H", "a", "", "H", "b"}, kNoRow, {"H", "a", "", "H", "b"}},
        {"header without files", {"H", "", "H", "a", "b"}, 0, {"H", "", "H", "a", "b"}},
        {"up past empty rows", {"H", "a", "", ""}, 3, {""}},
    };
    for (const auto& c : cases) {
        TResultRows rows = Layout(c.before);
        TidyGroup(rows, c.row);
        EXPECT_EQ(PictureOf(rows), c.after) << c.what;
    }
}

namespace fs = std::filesystem;

class ResultsWindow : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        Open();
        Form->Timer1->stop();
    }

    void ListGroups(std::initializer_list<std::initializer_list<const char*>> groups)
    {
        unsigned seed = 1;
        for (const auto& group : groups) {
            if (Form->RowCount() > 0)
                Form->AddRow("");
            Form->AddRow(kGroupHeaderCaption);
            for (const char* name : group) {
                File(std::string("c/") + name, 100, seed);
                std::int64_t size = 0;
                ASSERT_TRUE(Form->AddFile(std::string("C:\\") + name, size)) << name;
            }
            ++seed;
        }
    }
    void Select(const std::string& name) { Form->FileListView1->SelectRow(RowOf("C:\\" + name)); }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        Form->FileListView1KeyDown(&event);
    }
    void DeleteKey(const std::string& name, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        TMessageBox::AnswerNext(mrYes);
        Select(name);
        Press(Qt::Key_Delete, modifiers);
    }
    bool Exists(const std::string& name) const { return fs::exists(FTree.Path("c/" + name)); }
    bool InTrash(const std::string& n) const
    {
        return fs::exists(FTree.Path("data/Trash/files/" + n));
    }
};

TEST_F(ResultsWindow, AClickedFileTakesEnterAClickedHeaderGivesItBackToFindNow)
{
    ListGroups({{"x1", "x2"}});
    Form->Timer1Timer();
    Form->show();
    Select("x1");
    Form->FileListView1Click();
    EXPECT_EQ(Form->FileListView1->Hint(), "C:\\x1");
    std::string reviewed;
    QTimer::singleShot(0, Dialog.get(), [&] {
        reviewed = Dialog->FileName;
        Dialog->btnOK->click();
    });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(Form->FileListView1, &enter);
    EXPECT_EQ(reviewed, "C:\\x1");

    Form->FileListView1->SelectRow(0);
    Form->FileListView1Click();
    EXPECT_EQ(Form->FileListView1->Hint(), "Double-click a file to review");
    EXPECT_EQ(Form->DefaultButton(), Form->btnSearch);
    QApplication::sendEvent(Form->FileListView1, &enter);
    EXPECT_EQ(Panel(0), "Duplicates found....") << "Enter pressed Find Now";
}

TEST_F(ResultsWindow, DeletingAFileOfAPairRemovesTheGroupShiftAloneDeletesForGood)
{
    ListGroups({{"a", "b"}, {"c", "d"}, {"e", "f", "g", "h"}});
    DeleteKey("d");
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b", "", "H", "e", "f", "g", "h"}));
    EXPECT_TRUE(InTrash("d") && Exists("c"));
    DeleteKey("e", Qt::ShiftModifier);
    EXPECT_FALSE(Exists("e") || InTrash("e"));
    // Regression: the next Delete fell on a neighbour; no row stays selected.
    Press(Qt::Key_Delete);
    EXPECT_EQ(TMessageBox::History().size(), 2);
    DeleteKey("f", Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(InTrash("f"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b", "", "H", "g", "h"}));
}

TEST_F(ResultsWindow, ARefusalOrTheLastCopyKeepsFileAndRows)
{
    ListGroups({{"a", "b"}});
    TMessageBox::AnswerNext(mrNo);
    Select("a");
    Press(Qt::Key_Delete);
    EXPECT_TRUE(Exists("a"));

    TMessageBox::ClearHistory();
    FTree.WriteFile("c/b", "changed after the search");
    Select("a");
    Press(Qt::Key_Delete);  // unattended: the default answer, No
    ASSERT_EQ(TMessageBox::History().size(), 1);
    EXPECT_TRUE(TMessageBox::History()[0].Request.Text.contains("last copy"));
    EXPECT_TRUE(Exists("a"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b"}));

    // A hand-edited list starting with a file.
    Form->ClearRows();
    FTree.WriteFile("c/b", "x");
    FTree.WriteFile("c/a", "x");
    Form->AddRow("C:\\a");
    Form->AddRow("C:\\b");
    DeleteKey("a");
    EXPECT_EQ(Picture(), (Pic{"b"}));
    EXPECT_TRUE(InTrash("a"));
}

// Names may end in blanks: the row's file is deleted, never the one of the trimmed name, and
// a trimmed name that names nothing does not pass for a file already gone.
TEST_F(ResultsWindow, ARowNamesItsFileExactlyTrailingBlanksIncluded)
{
    ListGroups({{"t ", "u"}, {"v ", "w"}});
    FTree.WriteFile("c/t", "decoy");
    DeleteKey("t ");
    EXPECT_TRUE(InTrash("t ") && Exists("t"));
    TMessageBox::AnswerNext(mrNo);
    Select("v ");
    Press(Qt::Key_Delete);
    EXPECT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(Picture(), (Pic{"H", "v ", "w"}));
}

TEST_F(ResultsWindow, ReviewOrDeletionRemovesTheRowOfAFileGone)
{
    ListGroups({{"a", "b", "c"}, {"d", "e"}, {"f", "g"}});
    // A vanished file loses its row without a question or a dialog.
    fs::remove(FTree.Path("c/c"));
    Select("c");
    Form->FileListView1DblClick();
    fs::remove(FTree.Path("c/b"));
    Select("b");
    Press(Qt::Key_Delete);
    EXPECT_TRUE(TMessageBox::History().isEmpty());
    EXPECT_EQ(Picture(), (Pic{"H", "d", "e", "", "H", "f", "g"}));

    Select("e");
    TMessageBox::AnswerNext(mrYes);
    QTimer::singleShot(0, Dialog.get(), [this] {
        EXPECT_EQ(Dialog->FileName, "C:\\e");
        EXPECT_EQ(Dialog->Companions, std::vector<std::string>{"C:\\d"});
        Dialog->btnDelete->click();
    });
    Form->FileListView1DblClick();
    EXPECT_FALSE(Exists("e"));
    EXPECT_EQ(Picture(), (Pic{"H", "f", "g"}));
}

}  // namespace
