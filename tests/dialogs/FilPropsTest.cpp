#include <sys/stat.h>

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "dialogs/DialogFixture.h"
#include "dialogs/FilProps.h"

namespace {

class ReviewDialog : public DialogFixture {
protected:
    TfrmFileProperties1 Dialog;
    std::vector<std::string> Opened;
    std::function<void()> ReportFailure;  // what the launcher calls when it fails later
    TfrmFileProperties1::TLauncher Saved = TfrmFileProperties1::Launcher();

    void SetUp() override
    {
        DialogFixture::SetUp();
        TfrmFileProperties1::Launcher().OpenFile = [this](const std::string& file,
                                                          std::function<void()> failed) {
            Opened.push_back(file);
            ReportFailure = std::move(failed);
            return true;
        };
        TfrmFileProperties1::Launcher().StartViewer = [](const std::string&, const std::string&) {
            ADD_FAILURE() << "no quick viewer on this system";
            return false;
        };
    }
    void TearDown() override
    {
        TfrmFileProperties1::Launcher() = Saved;
        DialogFixture::TearDown();
    }

    int Delete(const std::string& relative)
    {
        Dialog.FileName = OnC(relative);
        QTimer::singleShot(0, Dialog.btnDelete, [this] { Dialog.btnDelete->click(); });
        return Dialog.exec();
    }
    bool View(const std::string& relative)
    {
        Dialog.FileName = OnC(relative);
        Dialog.show();
        Dialog.btnView->click();
        return Dialog.btnView->isEnabled();
    }
};

// Yes only when the file is gone; the trash defaults to Yes, and a failure is told and keeps
// the file.
TEST_F(ReviewDialog, DeleteAnswersYesOnlyWhenTheFileIsGone)
{
    Tree.WriteFile("My Files/a copy.txt", "contents");
    Tree.WriteFile("b.txt", "contents");
    Dialog.Companions = {OnC("b.txt")};
    TMessageBox::AnswerNext(mrNo);
    EXPECT_EQ(Delete("My Files/a copy.txt"), mrCancel);
    EXPECT_TRUE(Exists("My Files/a copy.txt"));
    EXPECT_EQ(Delete("My Files/a copy.txt"), mrYes);  // unattended: the default
    EXPECT_EQ(TMessageBox::History().value(1).Request.DefaultButton, mrYes);
    EXPECT_TRUE(Exists(".local/share/Trash/files/a copy.txt"));
    TMessageBox::ClearHistory();
    EXPECT_EQ(Delete("gone.txt"), mrYes);
    EXPECT_TRUE(TMessageBox::History().isEmpty());

    Tree.WriteFile("folder/keep", "k");
    TMessageBox::AnswerNext(mrYes);
    EXPECT_EQ(Delete("folder"), mrCancel);
    ASSERT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(TMessageBox::History()[1].Request.Icon, TMsgIcon::Critical);
    EXPECT_TRUE(Exists("folder/keep"));

    // Replaced while the user was asked: what was checked is not what is there now.
    Tree.WriteFile("c.txt", "contents");
    TMessageBox::SetWhileShown([this](const TMessageBoxRequest&) {
        std::filesystem::remove(Tree.Path("c.txt"));
        Tree.WriteFile("c.txt", "only copy");
    });
    TMessageBox::AnswerNext(mrYes);
    EXPECT_EQ(Delete("c.txt"), mrCancel);
    TMessageBox::SetWhileShown({});
    EXPECT_TRUE(Exists("c.txt"));
    EXPECT_TRUE(TMessageBox::History().last().Request.Text.startsWith("This file was changed"));
}

TEST_F(ReviewDialog, ViewOpensDocumentsOnlyAndAFailureDisablesItUntilTheNextShowing)
{
    Tree.WriteFile("dir/a b.txt", "x");
    Tree.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    chmod(Tree.Path("run.sh").c_str(), 0755);
    EXPECT_TRUE(View("dir/a b.txt"));
    EXPECT_EQ(Opened, std::vector<std::string>{OnC("dir/a b.txt")});
    EXPECT_EQ(Dialog.lblLocation->toolTip().toStdString(), "C:\\dir\\\n" + Tree.Path("dir/"));
    ReportFailure();  // the launcher exits with a status other than 0
    EXPECT_FALSE(Dialog.btnView->isEnabled());
    Dialog.hide();
    Dialog.show();
    EXPECT_TRUE(Dialog.btnView->isEnabled());
    ReportFailure();  // late news of an earlier showing
    EXPECT_TRUE(Dialog.btnView->isEnabled());
    Dialog.hide();

    EXPECT_FALSE(View("run.sh")) << "View never runs a program";
    EXPECT_EQ(Opened.size(), 1u);
    EXPECT_TRUE(
        TMessageBox::History().value(0).Request.Text.startsWith("Zarvex does not open programs: "));
    Dialog.hide();
    std::filesystem::create_directory_symlink(Tree.Path("dir"), Tree.Path("via"));
    TMessageBox::ClearHistory();
    EXPECT_FALSE(View("via/a b.txt")) << "a link on the way: refused and told";
    EXPECT_TRUE(
        TMessageBox::History().value(0).Request.Text.startsWith("Zarvex does not open this file:"));
    EXPECT_EQ(Opened.size(), 1u);
}

}  // namespace
