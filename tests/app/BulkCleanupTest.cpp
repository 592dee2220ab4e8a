// Choosing and deleting many copies through the window, in one walk: the selection entries and
// their keys, one confirmation, the rows of the files gone, the summary, Cancel in the progress.
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
    QString Asked(int i) const { return TMessageBox::History().value(i).Request.Text; }
};

TEST_F(BulkWindow, SelectTheRedundantCopiesDeleteThemAfterOneQuestionAndCancel)
{
    // c and c2 are equally old: the first of them stays.
    ListGroups({{"a@1", "b@3", "c", "c2"}, {"d@2", "e"}, {"f", "g"}, {"h", "i"}});
    Form->show();
    Press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"b", "c", "c2", "e", "g", "i"}));
    Press(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"a", "c", "c2", "e", "g", "i"})) << "all but the newest";
    Choose("Select all but the oldest file of each group");
    EXPECT_EQ(Selected(), (Pic{"a", "b", "c2", "d", "g", "i"}));
    Press(Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(Selected(), (Pic{"c", "e", "f", "h"}));

    // Several rows selected: Delete still asks for one file, the current one.
    auto* view = Form->FileListView1;
    view->selectionModel()->setCurrentIndex(view->model()->index(RowOf("C:\\e"), 0),
                                            QItemSelectionModel::NoUpdate);
    TMessageBox::AnswerNext(mrNo);
    Press(Qt::Key_Delete);
    EXPECT_TRUE(Asked(0).endsWith(QString::fromStdString("C:\\e\n" + FTree.Path("c/e"))));

    // b, c2, the whole group d e, and f, whose only other copy changed after the search.
    FTree.WriteFile("c/g", std::string(100, 'x'));
    TMessageBox::ClearHistory();
    SelectFileRows(*Form, {2u, 4u, 7u, 8u, 11u});
    Choose("Delete selected files permanently\u2026");  // unattended: No
    EXPECT_EQ(TMessageBox::History().value(0).Request.DefaultButton, mrNo);
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    Choose("Delete selected files\u2026");
    const TMessageBoxRequest asked = TMessageBox::History().value(0).Request;
    EXPECT_TRUE(asked.Text.startsWith("Are you sure you want to send 4 files (400 bytes) to"));
    EXPECT_TRUE(
        asked.Text.endsWith("1 group has every file selected: the first file of each "
                            "stays."));
    EXPECT_TRUE(asked.Details.contains(QString::fromStdString("C:\\b\n    " + FTree.Path("c/b"))));
    EXPECT_TRUE(asked.Details.contains("Kept as the first file of a fully selected group:\nC:\\d"));
    EXPECT_EQ(Asked(1),
              "Removed: 3 files (300 bytes).\nKept because no other copy was left: 1.\n"
              "Failed: 0.");
    EXPECT_TRUE(InTrash("b") && InTrash("c2") && InTrash("e") && Exists("d") && Exists("f"));
    EXPECT_EQ(Picture(), (Pic{"H", "a", "c", "", "H", "f", "g", "", "H", "h", "i"}));
    EXPECT_TRUE(SelectedFileRows(*Form).empty());

    // Cancel in the progress: the file being handled is the last one.
    QString shown;
    Form->OnProcessMessages = [&] {
        auto* progress = Form->findChild<QProgressDialog*>("dlgCleanupProgress");
        if (progress && progress->value() == 1 && !progress->wasCanceled()) {
            shown = progress->labelText();
            progress->cancel();
        }
    };
    Press(Qt::Key_1, Qt::ControlModifier);
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    Choose("Delete selected files\u2026");
    EXPECT_TRUE(shown.startsWith("Files: 1 of 3\nBytes: 100 of 300\nC:\\g")) << shown.toStdString();
    EXPECT_TRUE(InTrash("c") && Exists("i"));
    EXPECT_EQ(Picture(), (Pic{"H", "f", "g", "", "H", "h", "i"}));
    EXPECT_EQ(Asked(1),
              "Removed: 1 file (100 bytes).\nKept because no other copy was left: 0.\n"
              "Not reached, cancelled: 2.\nFailed: 0.");
}

}  // namespace
