// Deleting a listed file: by the bytes of its name, through no link, only a regular file.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "DriveFixture.h"
#include "platform/Paths.h"
#include "platform/ShellOps.h"
#include "platform/Trash.h"

namespace {

namespace fs = std::filesystem;

class ShellOpsTest : public TDriveFixture {
protected:
    TEnvGuard FData{"XDG_DATA_HOME", Tree.Path("share")};
    bool Exists(const std::string& relative) const
    {
        return fs::symlink_status(Tree.Path(relative)).type() != fs::file_type::not_found;
    }
};

TEST_F(ShellOpsTest, ANameThatIsNoUtf8IsTrashedAndDeletedByItsBytesNeverItsDecoy)
{
    const std::string bad = "bad\xff\xfename", decoy = "bad\xef\xbf\xbd\xef\xbf\xbdname";
    Tree.WriteFile(decoy, "decoy");
    for (int round = 1; round <= 2; ++round) {
        Tree.WriteFile(bad, "listed");
        EXPECT_EQ(MoveToTrash(OnC(bad)).Outcome, TDeleteOutcome::doDeleted);
    }
    EXPECT_TRUE(Exists(decoy) && !Exists(bad));
    EXPECT_TRUE(Exists("share/Trash/files/" + bad) && Exists("share/Trash/files/" + bad + ".2"));
    std::ifstream info(Tree.Path("share/Trash/info/" + bad + ".trashinfo"));
    const std::string text{std::istreambuf_iterator<char>(info), {}};
    const std::string path = "Path=" + TrashInfoPath(Tree.Root()) + "/bad%FF%FEname\n";
    EXPECT_EQ(text.rfind("[Trash Info]\n" + path + "DeletionDate=20", 0), 0u) << text;

    Tree.WriteFile(bad, "listed");
    EXPECT_EQ(DeletePermanently(OnC(bad)).Outcome, TDeleteOutcome::doDeleted);
    EXPECT_TRUE(Exists(decoy) && !Exists(bad));
}

TEST_F(ShellOpsTest, ALinkOnTheWayOrAnythingButARegularFileIsRefusedAndKept)
{
    Tree.WriteFile("real/f.txt", "x");
    fs::create_directory_symlink(Tree.Path("real"), Tree.Path("via"));
    fs::create_symlink(Tree.Path("real/f.txt"), Tree.Path("link.txt"));
    ASSERT_EQ(mkfifo(Tree.Path("fifo").c_str(), 0600), 0);
    const std::pair<const char*, TListedState> cases[] = {
        {"real\\f.txt", TListedState::lsFile},        {"via\\f.txt", TListedState::lsLinkOnTheWay},
        {"link.txt", TListedState::lsLinkOnTheWay},   {"fifo", TListedState::lsNotAFile},
        {"real", TListedState::lsNotAFile},           {"real\\f.txt\\x", TListedState::lsNotAFile},
        {"real\\none.txt", TListedState::lsNotFound}, {"none\\f.txt", TListedState::lsNotFound},
    };
    for (const auto& [path, state] : cases) {
        TListedFile listed;
        EXPECT_EQ(listed.Open(OnC(path)), state) << path;
    }
    for (auto erase : {MoveToTrash, DeletePermanently}) {
        for (const char* path : {"via\\f.txt", "link.txt"}) {
            const TDeleteResult result = erase(OnC(path));
            EXPECT_EQ(result.Outcome, TDeleteOutcome::doFailed) << path;
            EXPECT_NE(result.Error.find("symbolic link"), std::string::npos) << result.Error;
        }
        EXPECT_EQ(erase(OnC("fifo")).Outcome, TDeleteOutcome::doNotAFile);
    }
    EXPECT_TRUE(Exists("real/f.txt") && Exists("link.txt") && Exists("via") && Exists("fifo"));
}

TEST_F(ShellOpsTest, NoTrashFolderKeepsTheFileAndProgramsAreToldFromDocuments)
{
    Tree.WriteFile("blocker", "a file where a folder should be");
    Tree.WriteFile("a.txt", "x");
    TEnvGuard data("XDG_DATA_HOME", Tree.Path("blocker/share"));
    EXPECT_EQ(MoveToTrash(OnC("a.txt")).Outcome, TDeleteOutcome::doFailed);
    EXPECT_TRUE(Exists("a.txt"));

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

TEST_F(ShellOpsTest, AViewerIsStartedWithTheFileNameByItsBytes)
{
    Tree.WriteFile("viewer", "#!/bin/sh\ntouch \"$1.seen\"\n");
    chmod(Tree.Path("viewer").c_str(), 0755);
    const std::string bad = "bad\xff\xfename";
    ASSERT_TRUE(StartDetached(OnC("viewer"), OnC(bad)));
    for (int i = 0; i < 500 && !Exists(bad + ".seen"); ++i) usleep(10000);
    EXPECT_TRUE(Exists(bad + ".seen"));
    EXPECT_FALSE(StartDetached(OnC("no-viewer"), OnC(bad)));
}

}  // namespace
