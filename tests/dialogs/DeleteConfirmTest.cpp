#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "dialogs/DeleteConfirm.h"
#include "dialogs/DialogFixture.h"
#include "platform/ShellOps.h"

namespace {

namespace fs = std::filesystem;

class ShellOpsTest : public DialogFixture {
protected:
    // Where the trash keeps a file by name.
    std::string Trashed(const std::string& name)
    {
        return Tree.Path(".local/share/Trash/files/" + name);
    }
};

TEST_F(ShellOpsTest, TrashKeepsTheFileAndItsContents)
{
    Tree.WriteFile("my files/a b.txt", "hello");
    const TDeleteResult result = MoveToTrash(OnC("my files/a b.txt"));
    EXPECT_EQ(result.Outcome, TDeleteOutcome::doDeleted) << result.Error;
    EXPECT_FALSE(fs::exists(Tree.Path("my files/a b.txt")));
    EXPECT_TRUE(fs::exists(Trashed("a b.txt")));
    EXPECT_TRUE(fs::exists(Tree.Path(".local/share/Trash/info/a b.txt.trashinfo")));
}

TEST_F(ShellOpsTest, NoTrashFolderMeansTheFileStaysWhereItWas)
{
    // With no way to set up a trash, the file must neither vanish nor land in the working
    // folder.
    Tree.WriteFile("blocker", "a file where a folder should be");
    Tree.WriteFile("a.txt", "x");
    TEnvGuard data("XDG_DATA_HOME", Tree.Path("blocker/share"));
    const fs::path before = fs::current_path();
    fs::current_path(Tree.MakeDir("work"));
    const TDeleteResult result = MoveToTrash(OnC("a.txt"));
    fs::current_path(before);
    EXPECT_EQ(result.Outcome, TDeleteOutcome::doFailed);
    EXPECT_FALSE(result.Error.empty());
    EXPECT_TRUE(fs::exists(Tree.Path("a.txt")));
    EXPECT_FALSE(fs::exists(Tree.Path("work/files/a.txt")));
}

TEST_F(ShellOpsTest, PermanentDeleteRemovesTheFile)
{
    Tree.WriteFile("a.txt", "x");
    chmod(Tree.Path("a.txt").c_str(), 0444);
    EXPECT_EQ(DeletePermanently(OnC("a.txt")).Outcome, TDeleteOutcome::doDeleted);
    EXPECT_FALSE(fs::exists(Tree.Path("a.txt")));
    EXPECT_FALSE(fs::exists(Tree.Path(".local/share/Trash")));
}

TEST_F(ShellOpsTest, NothingButFilesIsEverDeleted)
{
    Tree.WriteFile("folder/inside.txt", "keep");
    for (bool permanent : {false, true}) {
        const TDeleteResult result =
            permanent ? DeletePermanently(OnC("folder")) : MoveToTrash(OnC("folder"));
        EXPECT_EQ(result.Outcome, TDeleteOutcome::doNotAFile);
        EXPECT_TRUE(fs::exists(Tree.Path("folder/inside.txt")));
    }
    EXPECT_EQ(MoveToTrash(OnC("none.txt")).Outcome, TDeleteOutcome::doNotFound);
    EXPECT_EQ(DeletePermanently(OnC("none.txt")).Outcome, TDeleteOutcome::doNotFound);
    EXPECT_EQ(DeletePermanently("Q:\\off-drive.txt").Outcome, TDeleteOutcome::doNotFound);

    // A link standing where a file was listed goes, its target stays.
    Tree.WriteFile("target.txt", "t");
    fs::create_symlink(Tree.Path("target.txt"), Tree.Path("link.txt"));
    EXPECT_EQ(DeletePermanently(OnC("link.txt")).Outcome, TDeleteOutcome::doDeleted);
    EXPECT_TRUE(fs::exists(Tree.Path("target.txt")));
}

TEST_F(ShellOpsTest, ProgramsAreToldFromDocuments)
{
    Tree.WriteFile("notes.txt", "just text\n");
    Tree.WriteFile("script.sh", "#!/bin/sh\necho hi\n");
    Tree.WriteFile("run.sh", "#!/bin/sh\necho hi\n");
    chmod(Tree.Path("run.sh").c_str(), 0755);
    Tree.WriteFile("launcher.desktop", "[Desktop Entry]\nType=Application\nExec=true\n");
    Tree.WriteFile("tool.exe", std::string("MZ\x90\0\x03\0\0\0", 8) + std::string(200, '\0'));
    fs::copy_file("/bin/true", Tree.Path("elf-copy"));
    chmod(Tree.Path("elf-copy").c_str(), 0644);

    EXPECT_FALSE(IsProgramFile(OnC("notes.txt")));
    EXPECT_FALSE(IsProgramFile(OnC("script.sh")));  // opens in an editor
    EXPECT_TRUE(IsProgramFile(OnC("run.sh")));
    EXPECT_TRUE(IsProgramFile(OnC("launcher.desktop")));
    EXPECT_TRUE(IsProgramFile(OnC("tool.exe")));
    EXPECT_TRUE(IsProgramFile(OnC("elf-copy")));
    EXPECT_FALSE(IsProgramFile(OnC("none.txt")));
}

class DeleteConfirmTest : public DialogFixture {};

TEST_F(DeleteConfirmTest, AnIdenticalOtherFileIsACopy)
{
    Tree.WriteFile("a", "same contents");
    Tree.WriteFile("b", "same contents");
    Tree.WriteFile("c", "same contentz");
    Tree.WriteFile("d", "same contents and more");
    EXPECT_TRUE(HasIdenticalCopy(OnC("a"), {OnC("c"), OnC("b")}));
    EXPECT_FALSE(HasIdenticalCopy(OnC("a"), {OnC("c"), OnC("d"), OnC("gone")}));
    EXPECT_FALSE(HasIdenticalCopy(OnC("a"), {OnC("a")}));
    EXPECT_FALSE(HasIdenticalCopy(OnC("gone"), {OnC("a")}));
    // A hard link is the same file, not a copy.
    fs::create_hard_link(Tree.Path("a"), Tree.Path("hard"));
    EXPECT_FALSE(HasIdenticalCopy(OnC("a"), {OnC("hard")}));
}

TEST_F(DeleteConfirmTest, ConfirmedDeletionNamesTheFileAndDefaultsToYes)
{
    Tree.WriteFile("dir/a b.txt", "x");
    Tree.WriteFile("b.txt", "x");
    TMessageBox::AnswerNext(mrYes);
    EXPECT_TRUE(ConfirmAndDelete(nullptr, OnC("dir/a b.txt"), false, {OnC("b.txt")}));
    const TMessageBoxRecord& box = OnlyBox();
    EXPECT_TRUE(box.Request.Text.endsWith(QString::fromStdString(OnC("dir/a b.txt"))));
    EXPECT_TRUE(box.Request.Text.contains("trash"));
    EXPECT_EQ(box.Request.DefaultButton, mrYes);
    EXPECT_FALSE(fs::exists(Tree.Path("dir/a b.txt")));
}

TEST_F(DeleteConfirmTest, TheLastCopyIsSaidPlainlyAndDefaultsToNo)
{
    Tree.WriteFile("a", "only one");
    Tree.WriteFile("b", "another!");
    // Unattended, the box gives its default: No, so the file stays.
    EXPECT_FALSE(ConfirmAndDelete(nullptr, OnC("a"), true, {OnC("b"), OnC("gone")}));
    const TMessageBoxRecord& box = OnlyBox();
    EXPECT_TRUE(box.Request.Text.contains("last copy"));
    EXPECT_TRUE(box.Request.Text.contains("permanently"));
    EXPECT_EQ(box.Request.DefaultButton, mrNo);
    EXPECT_EQ(box.Answer, mrNo);
    EXPECT_TRUE(fs::exists(Tree.Path("a")));
}

TEST_F(DeleteConfirmTest, RefusedOrFailedDeletionsLeaveEverythingInPlace)
{
    Tree.WriteFile("a", "x");
    Tree.WriteFile("b", "x");
    TMessageBox::AnswerNext(mrNo);
    EXPECT_FALSE(ConfirmAndDelete(nullptr, OnC("a"), false, {OnC("b")}));
    EXPECT_TRUE(fs::exists(Tree.Path("a")));

    // A folder where a file was listed: refused, and said so.
    Tree.WriteFile("folder/keep", "k");
    TMessageBox::ClearHistory();
    TMessageBox::AnswerNext(mrYes);
    EXPECT_FALSE(ConfirmAndDelete(nullptr, OnC("folder"), false, {}));
    ASSERT_EQ(TMessageBox::History().size(), 2);
    EXPECT_EQ(TMessageBox::History()[1].Request.Icon, TMsgIcon::Critical);
    EXPECT_TRUE(fs::exists(Tree.Path("folder/keep")));
}

}  // namespace
