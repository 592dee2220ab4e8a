#include <QClipboard>
#include <QTimer>

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
    rows.Append({"xx Duplicate files ..... xx", {}});
    EXPECT_EQ(SelectedFilePath(rows, 0), "");
    EXPECT_EQ(SelectedFilePath(rows, 3), "") << "a caption containing the header text";
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
}

// Through the real keys: Shift+Delete asks with No as its default, names the native path
// too, and leaves nothing selected; Delete with Ctrl goes to the trash; the last copy is
// warned of with No; Escape while the copy check reads cancels.
TEST_F(ResultsWindow, DeleteKeysConfirmAndLeaveNothingSelected)
{
    ListGroups({{"a", "b"}, {"c", "d"}, {"e", "f", "g", "h"}});
    Form->show();
    Select("e");
    Press(Qt::Key_Delete, Qt::ShiftModifier);  // unattended: No
    const TMessageBoxRequest asked = TMessageBox::History().value(0).Request;
    EXPECT_EQ(asked.DefaultButton, mrNo);
    EXPECT_TRUE(asked.Text.endsWith(QString::fromStdString("C:\\e\n" + FTree.Path("c/e"))));
    DeleteKey("e", Qt::ShiftModifier);
    EXPECT_FALSE(Exists("e") || InTrash("e"));
    EXPECT_EQ(Form->FileListView1->SelectedIndex(), -1);
    Press(Qt::Key_Delete);
    EXPECT_EQ(TMessageBox::History().size(), 2) << "a second Delete finds nothing selected";
    DeleteKey("d", Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(InTrash("d") && Exists("c"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b", "", "H", "f", "g", "h"}));

    TMessageBox::ClearHistory();
    FTree.WriteFile("c/g", "changed after the search");
    FTree.WriteFile("c/h", "changed too");
    Select("f");
    Press(Qt::Key_Delete);  // unattended: No
    EXPECT_TRUE(TMessageBox::History().value(0).Request.Text.contains("last copy"));
    EXPECT_EQ(TMessageBox::History().value(0).Request.DefaultButton, mrNo);
    TMessageBox::ClearHistory();
    QCoreApplication::postEvent(Form->FileListView1,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    Press(Qt::Key_Delete);
    EXPECT_TRUE(TMessageBox::History().isEmpty()) << "cancelled before the question";
    EXPECT_TRUE(Exists("f"));
}

TEST_F(ResultsWindow, ContextMenuOffersFileEntriesOnFileRowsOnly)
{
    ListGroups({{"a", "b"}, {"c", "d"}});
    Form->show();
    const auto saved = TfrmFileProperties1::Launcher();
    std::string opened;
    TfrmFileProperties1::Launcher().OpenFolder = [&](const std::string& folder) {
        opened = folder;
        return true;
    };
    auto menuFor = [&](int row) {
        Form->FileListView1->SelectRow(row);
        QStringList texts;
        for (QAction* action : MenuActions()) texts << action->text();
        return texts;
    };
    const QStringList bulk{"Select all but the first file of each group",
                           "Select all but the newest file of each group",
                           "Select all but the oldest file of each group",
                           "Invert selection within groups"};
    EXPECT_EQ(menuFor(RowOf("C:\\a")),
              (QStringList{"Review\u2026", "Delete to trash", "Delete permanently\u2026",
                           "Open containing folder", "Copy path"}
               << bulk << "Delete selected files\u2026"
               << "Delete selected files permanently\u2026"));
    EXPECT_EQ(menuFor(0), bulk) << "a header row: nothing that acts on a file";
    EXPECT_EQ(menuFor(RowOf("")), bulk) << "an empty row";
    Select("a");
    Choose("Copy path");
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), FTree.Path("c/a"));
    Choose("Open containing folder");
    EXPECT_EQ(opened, "C:\\");
    Select("c");
    TMessageBox::AnswerNext(mrYes);
    Choose("Delete to trash");
    EXPECT_TRUE(InTrash("c"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "b", ""}));
    TfrmFileProperties1::Launcher() = saved;
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
    std::filesystem::remove(FTree.Path("c/c"));
    Select("c");
    Form->FileListView1DblClick();
    std::filesystem::remove(FTree.Path("c/b"));
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
