#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DriveFixture.h"
#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "support/Privileges.h"

class FileContentTest : public TDriveFixture {};

TEST_F(FileContentTest, ReadsTheWholeFileAndStopsAtItsEnd)
{
    Tree.WriteFile("a.txt", "0123456789");
    TFileContent content;
    ASSERT_TRUE(content.Open("C:\\a.txt"));
    EXPECT_EQ(content.Size(), 10);
    char buffer[16] = {};
    EXPECT_EQ(content.ReadAt(8, buffer, 16), 2);
    EXPECT_EQ(std::string(buffer, 2), "89");
    EXPECT_EQ(content.ReadAt(-1, buffer, 1), -1);
    content.Close();
    EXPECT_EQ(content.ReadAt(0, buffer, 1), -1);
}

TEST_F(FileContentTest, OnlyRegularFilesOpenAndNothingBlocks)
{
    Tree.WriteFile("real.txt", "r");
    Tree.MakeDir("folder");
    symlink("real.txt", Tree.Path("link.txt").c_str());
    // A FIFO swapped in under a name the walk saw as a file: without a writer, a plain open
    // would block for ever, so the body runs where a hang is caught.
    std::string victim = Tree.WriteFile("victim.dat", "data");
    TSearchRec rec;
    ASSERT_TRUE(FindFile("C:\\victim.dat", rec));
    unlink(victim.c_str());
    ASSERT_EQ(mkfifo(victim.c_str(), 0600), 0);
    int result = RunInChild(
        [] {
            TFileContent content;
            int failures = !content.Open("C:\\real.txt");
            for (const char* name :
                 {"C:\\victim.dat", "C:\\link.txt", "C:\\folder", "C:\\missing", "Q:\\real.txt"})
                failures += content.Open(name);
            return failures;
        },
        10);
    EXPECT_EQ(result, 0);
}

TEST_F(FileContentTest, ComparesWholeFilesInBlocks)
{
    const std::int64_t size = 700 * 1024 + 3;  // several blocks and a ragged end
    Tree.WriteSized("a.bin", size, 7);
    Tree.WriteSized("b.bin", size, 7);
    int fd = open(Tree.WriteSized("c.bin", size, 7).c_str(), O_RDWR);
    char last = 0;
    ASSERT_EQ(pread(fd, &last, 1, size - 1), 1);
    last = static_cast<char>(last ^ 0x5A);
    ASSERT_EQ(pwrite(fd, &last, 1, size - 1), 1);
    close(fd);

    link(Tree.Path("a.bin").c_str(), Tree.Path("hard.bin").c_str());
    TFileContent a, b, c, hard, closed;
    ASSERT_TRUE(a.Open("C:\\a.bin") && b.Open("C:\\b.bin") && c.Open("C:\\c.bin"));
    ASSERT_TRUE(hard.Open("C:\\hard.bin"));
    int pumps = 0;
    auto pump = [](void* count) { ++*static_cast<int*>(count); };
    EXPECT_TRUE(SameContents(a, b, size, pump, &pumps));
    EXPECT_GE(pumps, 2);
    EXPECT_FALSE(SameContents(a, c, size));
    EXPECT_TRUE(SameContents(a, c, size - 1));
    EXPECT_FALSE(SameContents(a, b, size + 1));  // neither holds that much
    EXPECT_FALSE(SameContents(a, closed, 1));
    EXPECT_FALSE(SameContents(a, hard, size) || SameContents(a, a, size));  // one file, not two
}

TEST_F(FileContentTest, AFileThatShrinksOrGrowsIsReadAsItIsNow)
{
    const std::int64_t size = 300 * 1024;
    std::string pathA = Tree.WriteSized("a.bin", size, 3);
    Tree.WriteSized("b.bin", size, 3);
    TFileContent a, b;
    ASSERT_TRUE(a.Open("C:\\a.bin") && b.Open("C:\\b.bin"));
    EXPECT_TRUE(a.Unchanged(size));
    ASSERT_EQ(truncate(pathA.c_str(), size / 2), 0);
    EXPECT_FALSE(a.Unchanged(size));
    EXPECT_FALSE(SameContents(a, b, size));
    EXPECT_TRUE(SameContents(a, b, size / 2));
    ASSERT_EQ(truncate(pathA.c_str(), 0), 0);
    EXPECT_FALSE(SameContents(a, b, size));
    ASSERT_EQ(truncate(pathA.c_str(), size * 2), 0);  // grown, with zeros
    EXPECT_FALSE(SameContents(a, b, size));
}
