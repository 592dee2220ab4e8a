#include <sys/stat.h>

#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/FilProps.h"

namespace {

namespace fs = std::filesystem;

class ReviewDialog : public DialogFixture {
protected:
    TfrmFileProperties1 Dialog;
    std::vector<std::string> Opened;
    bool OpenSucceeds = true;
    TfrmFileProperties1::TLauncher Saved = TfrmFileProperties1::Launcher();

    void SetUp() override
    {
        DialogFixture::SetUp();
        TfrmFileProperties1::Launcher().OpenFile = [this](const std::string& file) {
            Opened.push_back(file);
            return OpenSucceeds;
        };
        TfrmFileProperties1::Launcher().StartViewer = [this](const std::string&,
                                                             const std::string&) {
            ADD_FAILURE() << "no quick viewer on this system";
            return false;
        };
    }
    void TearDown() override
    {
        TfrmFileProperties1::Launcher() = Saved;
        DialogFixture::TearDown();
    }

    // Runs the dialog modally and presses `button` once it is up.
    int ExecPressing(QPushButton* button)
    {
        QTimer::singleShot(0, button, [button] { button->click(); });
        return Dialog.exec();
    }
};

TEST_F(ReviewDialog, DeleteSendsTheFileToTheTrashAndAnswersYes)
{
    Tree.WriteFile("My Files/a copy.txt", "contents");
    Tree.WriteFile("b.txt", "contents");
    Dialog.FileName = OnC("My Files/a copy.txt");
    Dialog.Companions = {OnC("b.txt")};
    TMessageBox::AnswerNext(mrYes);
    EXPECT_EQ(ExecPressing(Dialog.btnDelete), mrYes);
    EXPECT_FALSE(fs::exists(Tree.Path("My Files/a copy.txt")));
    EXPECT_TRUE(fs::exists(Tree.Path(".local/share/Trash/files/a copy.txt")));
    EXPECT_TRUE(OnlyBox().Request.Text.endsWith("C:\\My Files\\a copy.txt"));
    EXPECT_EQ(OnlyBox().Request.DefaultButton, mrYes);
}

TEST_F(ReviewDialog, ARefusedDeleteAnswersCancelAndKeepsTheFile)
{
    Tree.WriteFile("a.txt", "contents");
    Tree.WriteFile("b.txt", "contents");
    Dialog.FileName = OnC("a.txt");
    Dialog.Companions = {OnC("b.txt")};
    TMessageBox::AnswerNext(mrNo);
    EXPECT_EQ(ExecPressing(Dialog.btnDelete), mrCancel);
    EXPECT_TRUE(fs::exists(Tree.Path("a.txt")));
}

TEST_F(ReviewDialog, DeleteOnAFileAlreadyGoneAnswersYes)
{
    Dialog.FileName = OnC("gone.txt");
    EXPECT_EQ(ExecPressing(Dialog.btnDelete), mrYes);
    EXPECT_TRUE(TMessageBox::History().isEmpty());
}

TEST_F(ReviewDialog, ViewOpensTheFileAndStaysOpen)
{
    Tree.WriteFile("dir/a b.txt", "x");
    Dialog.FileName = OnC("dir/a b.txt");
    Dialog.show();
    Dialog.btnView->click();
    EXPECT_EQ(Opened, std::vector<std::string>{OnC("dir/a b.txt")});
    EXPECT_TRUE(Dialog.btnView->isEnabled());
    EXPECT_TRUE(Dialog.isVisible());
    Dialog.hide();
}

TEST_F(ReviewDialog, AFailedViewDisablesViewUntilTheNextShowing)
{
    Tree.WriteFile("a.txt", "x");
    Dialog.FileName = OnC("a.txt");
    OpenSucceeds = false;
    Dialog.show();
    Dialog.btnView->click();
    EXPECT_FALSE(Dialog.btnView->isEnabled());
    Dialog.hide();
    Dialog.show();
    EXPECT_TRUE(Dialog.btnView->isEnabled());
    Dialog.hide();

    // A file that vanished cannot be opened either.
    OpenSucceeds = true;
    Dialog.FileName = OnC("gone.txt");
    Dialog.show();
    Dialog.btnView->click();
    EXPECT_FALSE(Dialog.btnView->isEnabled());
    Dialog.hide();
}

TEST_F(ReviewDialog, ViewNeverRunsAProgram)
{
    Tree.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    chmod(Tree.Path("run.sh").c_str(), 0755);
    Dialog.FileName = OnC("run.sh");
    Dialog.show();
    Dialog.btnView->click();
    EXPECT_FALSE(Dialog.btnView->isEnabled());
    EXPECT_TRUE(Opened.empty());
    Dialog.hide();
}

}  // namespace
