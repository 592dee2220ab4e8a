// Choosing and deleting many copies through the window: the selection entries and their keys,
// one confirmation, the rows of the files gone, the summary, and Cancel in the progress.
#include <QMenu>
#include <QProgressDialog>

#include "WindowFixture.h"
#include "app/BulkCleanup.h"

namespace {

class BulkWindow : public ResultsWindow {
protected:
    Pic Selected() const
    {
        Pic names;
        for (std::size_t row : SelectedFileRows(*Form))
            names.push_back(Form->FileListView1->Rows().Row(row).Caption.substr(3));
        return names;
    }
    // Opens the context menu on the current row and triggers the entry of that text.
    void Choose(const QString& text)
    {
        Press(Qt::Key_F10, Qt::ShiftModifier);
        auto* menu = Form->FileListView1->findChild<QMenu*>("mnuResults");
        ASSERT_TRUE(menu && menu->isVisible());
        menu->close();
        for (QAction* action : menu->actions())
            if (action->text() == text)
                action->trigger();
        QApplication::processEvents();
    }
    QString Asked(int i) const { return TMessageBox::History().value(i).Request.Text; }
};

TEST_F(BulkWindow, SelectionEntriesKeepOneFileOfEachGroupAndKeysStayOnTheCurrentRow)
{
    ListGroups({{"a", "b@3", "c@2"}, {"d@2", "e"}});
    Form->show();
    Press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"b", "c", "e"}));
    Press(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"a", "c", "e"})) << "all but the newest";
    Choose("Select all but the oldest file of each group");
    EXPECT_EQ(Selected(), (Pic{"b", "c", "d"}));
    Press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"a", "e"}));

    // Several rows selected: Delete still asks for one file, the current one.
    auto* view = Form->FileListView1;
    view->selectionModel()->setCurrentIndex(view->model()->index(RowOf("C:\\e"), 0),
                                            QItemSelectionModel::NoUpdate);
    TMessageBox::AnswerNext(mrNo);
    Press(Qt::Key_Delete);
    EXPECT_TRUE(Asked(0).endsWith(QString::fromStdString("C:\\e\n" + FTree.Path("c/e"))));
    EXPECT_EQ(TMessageBox::History().size(), 1);
}

TEST_F(BulkWindow, DeleteSelectedFilesAsksOnceRemovesTheRowsAndTellsTheOutcome)
{
    ListGroups({{"a", "b", "c"}, {"d", "e"}, {"f", "g"}, {"h", "i"}});
    FTree.WriteFile("c/g", std::string(100, 'x'));  // changed after the search: f has no copy
    Form->show();
    SelectFileRows(*Form, {2u, 3u, 6u, 7u, 10u});       // b, c, the whole group d e, and f
    Choose("Delete selected files permanently\u2026");  // unattended: No
    const TMessageBoxRequest permanent = TMessageBox::History().value(0).Request;
    EXPECT_EQ(permanent.DefaultButton, mrNo);
    EXPECT_TRUE(Exists("b"));

    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    Choose("Delete selected files\u2026");
    const TMessageBoxRequest asked = TMessageBox::History().value(0).Request;
    EXPECT_TRUE(
        asked.Text.startsWith("Are you sure you want to send 4 files (400 bytes) to the "
                              "trash?"));
    EXPECT_TRUE(
        asked.Text.endsWith("1 group has every file selected: the first file of each "
                            "stays."));
    EXPECT_TRUE(asked.Details.contains(QString::fromStdString("C:\\b\n    " + FTree.Path("c/b"))));
    EXPECT_TRUE(asked.Details.contains("Kept as the first file of a fully selected group:\nC:\\d"));
    EXPECT_EQ(Asked(1),
              "Removed: 3 files (300 bytes).\nKept because no other copy was left: 1.\n"
              "Failed: 0.");
    EXPECT_TRUE(InTrash("b") && InTrash("c") && InTrash("e") && Exists("d") && Exists("f"));
    EXPECT_EQ(Picture(), (Pic{"H", "f", "g", "", "H", "h", "i"}));
    EXPECT_TRUE(SelectedFileRows(*Form).empty());
}

TEST_F(BulkWindow, CancelInTheProgressStopsAfterTheCurrentFile)
{
    ListGroups({{"a", "b"}, {"c", "d"}, {"e", "f"}});
    Form->show();
    Press(Qt::Key_1, Qt::ControlModifier);
    QString shown;
    Form->OnProcessMessages = [&] {
        auto* progress = Form->findChild<QProgressDialog*>("dlgCleanupProgress");
        if (progress && progress->value() == 1 && !progress->wasCanceled()) {
            shown = progress->labelText();
            progress->cancel();
        }
    };
    TMessageBox::AnswerNext(mrYes);
    Choose("Delete selected files\u2026");
    EXPECT_TRUE(shown.startsWith("Files: 1 of 3\nBytes: 100 of 300\nC:\\d")) << shown.toStdString();
    EXPECT_TRUE(InTrash("b") && Exists("d") && Exists("f"));
    EXPECT_EQ(Picture(), (Pic{"H", "c", "d", "", "H", "e", "f"}));
    EXPECT_EQ(Asked(1),
              "Removed: 1 file (100 bytes).\nKept because no other copy was left: 0.\n"
              "Not reached, cancelled: 2.\nFailed: 0.");
}

}  // namespace
