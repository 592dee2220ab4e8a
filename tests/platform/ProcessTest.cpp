#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include "DriveFixture.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "support/Privileges.h"

namespace {

// Lowers to idle and back; 0 when every step behaves, a distinct code per fault.
int LowerAndRestore(bool expectLowering)
{
    const int saved = TProcessPriority::GetPriorityClass();
    if (saved == 0 || TProcessPriority::CanRestore() != expectLowering)
        return 1;
    if (TProcessPriority::SetPriorityClass(TProcessPriority::IdleClass()) != expectLowering)
        return 2;
    const int during = TProcessPriority::GetPriorityClass();
    if (!expectLowering)
        return during == saved ? 0 : 3;
    if (during != TProcessPriority::IdleClass() || sched_getscheduler(0) != SCHED_IDLE)
        return 4;
    const bool restored = TProcessPriority::SetPriorityClass(saved);
    return restored && TProcessPriority::GetPriorityClass() == saved ? 0 : 5;
}

}  // namespace

TEST(ProcessPriority, LowersOnlyWhatItCanRestoreAndTakesOnlyItsOwnClasses)
{
    // In children, so that nothing leaks into the other tests whatever happens.
    if (geteuid() == 0) {
        EXPECT_EQ(RunInChild([] { return LowerAndRestore(true); }), 0);
        // Without privileges and with no room in RLIMIT_NICE, going back would be refused.
        EXPECT_EQ(RunUnprivileged([] {
                      struct rlimit none = {0, 0};
                      setrlimit(RLIMIT_NICE, &none);
                      return LowerAndRestore(false);
                  }),
                  0);
    }

    int saved = TProcessPriority::GetPriorityClass();
    for (int bogus : {0, -5, 1 + SCHED_FIFO * 64 + 20, 1 + 63})
        EXPECT_FALSE(TProcessPriority::SetPriorityClass(bogus)) << bogus;
    EXPECT_EQ(TProcessPriority::GetPriorityClass(), saved);
}

TEST(ProcessFolders, TheExecutableAndTheSystemDirectory)
{
    std::string folder = ExecutableFolder();
    EXPECT_EQ(folder + "/platform_tests", ExecutablePath());

    std::string parent = folder.substr(0, folder.rfind('/'));
    EXPECT_EQ(NativeSystemDirectory(), (parent.empty() ? "" : parent) + "/lib/zarvex");
    TDriveTable::SetCurrent(TDriveTable::FromFolders({parent}));
    EXPECT_EQ(SystemDirectory(), "C:\\lib\\zarvex");
    TDriveTable::SetCurrent(TDriveTable::FromFolders({folder + "/elsewhere"}));
    EXPECT_EQ(SystemDirectory(), "");  // on no drive
    TDriveTable::ResetCurrent();
}

class CompressionTest : public TDriveFixture {};

TEST_F(CompressionTest, ReportsFlagAndAllocatedSize)
{
    Tree.WriteSized("dense.bin", 64 * 1024);
    std::string sparse = Tree.WriteFile("sparse.bin", "");
    ASSERT_EQ(truncate(sparse.c_str(), 1LL << 30), 0);
    symlink("dense.bin", Tree.Path("link").c_str());

    bool compressed = true;
    std::int64_t allocated = -1;
    ASSERT_TRUE(GetCompressionInfo("C:\\dense.bin", compressed, allocated));
    EXPECT_GE(allocated, 64 * 1024);
    EXPECT_FALSE(compressed);  // no test file system here compresses by itself
    ASSERT_TRUE(GetCompressionInfo("C:\\sparse.bin", compressed, allocated));
    EXPECT_LT(allocated, 1LL << 20);
    for (const char* refused : {"C:\\link", "C:\\missing"})
        EXPECT_FALSE(GetCompressionInfo(refused, compressed, allocated)) << refused;
}

namespace {

int ExitOf(pid_t pid)
{
    std::optional<int> status;
    while (!(status = ProgramExitStatus(pid))) usleep(1000);
    return *status;
}

TEST(StartProgramTest, ArgumentsArriveByteForByteAndTheExitStatusIsTold)
{
    TTempTree tree;
    const std::string bad = tree.Path("bad\xff\xfename");
    const pid_t touch = StartProgram({"touch", bad});
    ASSERT_GT(touch, 0);
    EXPECT_EQ(ExitOf(touch), 0);
    EXPECT_EQ(access(bad.c_str(), F_OK), 0) << "the name as it was given";
    EXPECT_EQ(ExitOf(StartProgram({"sh", "-c", "exit 3"})), 3);
    EXPECT_EQ(ExitOf(StartProgram({"sh", "-c", "kill -9 $$"})), -1);
    EXPECT_EQ(StartProgram({"zarvex-no-such-program"}), 0);
}

}  // namespace
