#include <sys/stat.h>

#include <filesystem>

#include "dialogs/DeleteConfirm.h"
#include "dialogs/DialogFixture.h"
#include "platform/ShellOps.h"

namespace {

namespace fs = std::filesystem;

using ShellOpsTest = DialogFixture;

TEST_F(ShellOpsTest, TrashKeepsTheFilePermanentDeleteDoesNot)
{
    Tree.WriteFile("my files/a b.txt", "hello");
    const TDeleteResult result = MoveToTrash(OnC("my files/a b.txt"));
    EXPECT_EQ(result.Outcome, TDeleteOutcome::doDeleted) << result.Error;
    EXPECT_FALSE(Exists("my files/a b.txt"));
    EXPECT_TRUE(Exists(".local/share/Trash/files/a b.txt"));

    Tree.WriteFile("a.txt", "x");
    chmod(Tree.Path("a.txt").c_str(), 0444);
    EXPECT_EQ(DeletePermanently(OnC("a.txt")).Outcome, TDeleteOutcome::doDeleted);
    EXPECT_FALSE(Exists("a.txt"));
    EXPECT_FALSE(Exists(".local/share/Trash/files/a.txt"));
}

TEST_F(ShellOpsTest, NoTrashFolderMeansTheFileStaysWhereItWas)
{
    Tree.WriteFile("blocker", "a file where a folder should be");
    Tree.WriteFile("a.txt", "x");
    TEnvGuard data("XDG_DATA_HOME", Tree.Path("blocker/share"));
    const fs::path before = fs::current_path();
    fs::current_path(Tree.MakeDir("work"));
    const TDeleteResult result = MoveToTrash(OnC("a.txt"));
    fs::current_path(before);
    EXPECT_EQ(result.Outcome, TDeleteOutcome::doFailed);
    EXPECT_TRUE(Exists("a.txt"));
    EXPECT_FALSE(Exists("work/files/a.txt"));
}

TEST_F(ShellOpsTest, NothingButFilesIsEverDeleted)
{
    Tree.WriteFile("folder/inside.txt", "keep");
    for (bool permanent : {false, true}) {
        SCOPED_TRACE(permanent);
        auto erase = permanent ? DeletePermanently : MoveToTrash;
        EXPECT_EQ(erase(OnC("folder")).Outcome, TDeleteOutcome::doNotAFile);
        EXPECT_TRUE(Exists("folder/inside.txt"));
        EXPECT_EQ(erase(OnC("none.txt")).Outcome, TDeleteOutcome::doNotFound);
        EXPECT_EQ(erase("Q:\\off-drive.txt").Outcome, TDeleteOutcome::doNotFound);
    }

    // Programs are told from documents.
    Tree.WriteFile("notes.txt", "just text\n");
    Tree.WriteFile("script.sh", "#!/bin/sh\necho hi\n");  // not executable: opens in an editor
    Tree.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    chmod(Tree.Path("run.sh").c_str(), 0755);
    Tree.WriteFile("tool.exe", std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(200, '\0'));
    fs::copy_file("/bin/true", Tree.Path("elf-copy"));
    chmod(Tree.Path("elf-copy").c_str(), 0644);
    for (const char* name : {"notes.txt", "script.sh"})
        EXPECT_FALSE(IsProgramFile(OnC(name))) << name;
    for (const char* name : {"run.sh", "tool.exe", "elf-copy"})
        EXPECT_TRUE(IsProgramFile(OnC(name))) << name;
}

using DeleteConfirmTest = DialogFixture;

TEST_F(DeleteConfirmTest, AnIdenticalOtherFileIsACopyAndThePumpCanCancel)
{
    Tree.WriteFile("a", "same contents");
    Tree.WriteFile("b", "same contents");
    Tree.WriteFile("c", "same contentz");
    Tree.WriteFile("d", "same contents and more");
    fs::create_hard_link(Tree.Path("a"), Tree.Path("hard"));
    const struct {
        const char* path;
        std::vector<std::string> others;
        TCopyCheck expected;
    } cases[] = {
        {"a", {OnC("c"), OnC("b")}, TCopyCheck::ccCopyFound},
        {"a", {OnC("c"), OnC("d"), OnC("gone"), OnC("a")}, TCopyCheck::ccNoCopy},
        {"gone", {OnC("a")}, TCopyCheck::ccNoCopy},
        {"a", {OnC("hard")}, TCopyCheck::ccNoCopy},  // a hard link is no copy
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindIdenticalCopy(OnC(c.path), c.others), c.expected) << c.path;
    int pumped = 0;
    EXPECT_EQ(FindIdenticalCopy(OnC("a"), {OnC("c"), OnC("b")}, [&] { return ++pumped < 2; }),
              TCopyCheck::ccCancelled);
}

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
