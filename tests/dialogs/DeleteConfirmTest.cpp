#include "dialogs/DeleteConfirm.h"
#include "dialogs/DialogFixture.h"

namespace {

using DeleteConfirmTest = DialogFixture;

TEST_F(DeleteConfirmTest, TrashDefaultsToYesAFailureIsToldAndKeepsTheFile)
{
    Tree.WriteFile("dir/a b.txt", "x");
    Tree.WriteFile("b.txt", "x");
    EXPECT_TRUE(ConfirmAndDelete(nullptr, OnC("dir/a b.txt"), false, {OnC("b.txt")}));
    EXPECT_EQ(OnlyBox().Request.DefaultButton, mrYes);
    EXPECT_TRUE(Exists(".local/share/Trash/files/a b.txt"));

    TMessageBox::ClearHistory();
    Tree.WriteFile("folder/keep", "k");
    TMessageBox::AnswerNext(mrYes);
    EXPECT_FALSE(ConfirmAndDelete(nullptr, OnC("folder"), false, {}));
    ASSERT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(TMessageBox::History()[1].Request.Icon, TMsgIcon::Critical);
    EXPECT_TRUE(Exists("folder/keep"));
}

}  // namespace
