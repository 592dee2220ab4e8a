#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "DriveFixture.h"
#include "platform/FileContent.h"

class FileContentTest : public TDriveFixture {};

// Links, folders and FIFOs (a plain open without a writer would block) are not opened.
TEST_F(FileContentTest, OnlyRegularFilesOpen)
{
    Tree.WriteFile("real.txt", "r");
    Tree.MakeDir("folder");
    symlink("real.txt", Tree.Path("link.txt").c_str());
    ASSERT_EQ(mkfifo(Tree.Path("fifo").c_str(), 0600), 0);
    TFileContent content;
    EXPECT_TRUE(content.Open("C:\\real.txt"));
    for (const char* name : {"C:\\fifo", "C:\\link.txt", "C:\\folder", "C:\\none", "Q:\\real.txt"})
        EXPECT_FALSE(content.Open(name)) << name;
    char buffer[4];
    EXPECT_EQ(content.ReadAt(0, buffer, 1), -1);
}

// Files of several blocks and a ragged end; c differs in its last byte; a file that shrinks
// or grows after opening is read as it is now.
TEST_F(FileContentTest, ComparesWholeFilesInBlocksAsTheyAreNow)
{
    const std::int64_t size = 700 * 1024 + 3;
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"}) Tree.WriteSized(name, size, 7);
    const int fd = open(Tree.Path("c.bin").c_str(), O_WRONLY);
    ASSERT_EQ(pwrite(fd, "\x99", 1, size - 1), 1);
    close(fd);
    link(Tree.Path("a.bin").c_str(), Tree.Path("hard.bin").c_str());
    TFileContent a, b, c, d, hard, closed;
    ASSERT_TRUE(a.Open("C:\\a.bin") && b.Open("C:\\b.bin") && c.Open("C:\\c.bin"));
    ASSERT_TRUE(d.Open("C:\\d.bin") && hard.Open("C:\\hard.bin"));
    int pumps = 0;
    EXPECT_TRUE(SameContents(
        a, b, size, [](void* n) { ++*static_cast<int*>(n); }, &pumps));
    EXPECT_GE(pumps, 2);
    EXPECT_FALSE(SameContents(a, c, size));
    EXPECT_TRUE(SameContents(a, c, size - 1));
    EXPECT_FALSE(SameContents(a, b, size + 1));  // neither holds that much
    EXPECT_FALSE(SameContents(a, closed, 1));
    EXPECT_FALSE(SameContents(a, hard, size) || SameContents(a, a, size));  // one file, not two

    EXPECT_TRUE(d.Unchanged(size));
    for (const std::int64_t now : {size / 2, std::int64_t{0}, size * 2}) {
        ASSERT_EQ(truncate(Tree.Path("d.bin").c_str(), now), 0);
        EXPECT_FALSE(d.Unchanged(size));
        EXPECT_FALSE(SameContents(a, d, size));
        EXPECT_EQ(SameContents(a, d, size / 2), now == size / 2);  // grown with zeros
    }
}
