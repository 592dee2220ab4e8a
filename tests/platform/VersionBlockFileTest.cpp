// Version blocks of files on disk, named in the program's path form, and the strings the
// results rows show for them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "platform/Drives.h"
#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"
#include "support/TempTree.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

class VersionFile : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({FTree.Root()})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // Writes a PE file holding `block`; returns its name in the program's form.
    std::string WritePe(const std::string& name, const TBytes& block)
    {
        TBytes image = BuildPeImage({{0x0409, block}}, true).Bytes;
        FTree.WriteFile(name, std::string(image.begin(), image.end()));
        return "C:\\" + name;
    }

    TTempTree FTree;
};

TBytes Block(std::optional<TBytes> translation, std::vector<TVersionStringTable> tables)
{
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(3, 1, 4, 1);
    content.Tables = std::move(tables);
    content.Translation = std::move(translation);
    return BuildVersionBlock(content);
}

}  // namespace

TEST_F(VersionFile, SizeBlockAndStringOfAPeFile)
{
    TBytes block = Block(TranslationBytes({{0x0409, 0x04E4}}),
                         {{"040904E4", {{"FileVersion", " 3.1 (beta) "}, {"ProductVersion", "3.1"}}}});
    std::string file = WritePe("tool.exe", block);

    EXPECT_EQ(GetFileVersionInfoSize(file), block.size());
    TBytes read = {1, 2, 3};
    ASSERT_TRUE(GetFileVersionInfo(file, read));
    EXPECT_EQ(read, block);
    // Not trimmed, not reformatted.
    EXPECT_EQ(ReadVersionString(file, "FileVersion"), " 3.1 (beta) ");
    EXPECT_EQ(ReadVersionString(file, "ProductVersion"), "3.1");
    EXPECT_EQ(ReadVersionString(file, "CompanyName"), "");
    // "/" is a separator too.
    EXPECT_EQ(ReadVersionString("C:/tool.exe", "ProductVersion"), "3.1");
}

TEST_F(VersionFile, StringsComeFromTheFirstTranslationOnly)
{
    // The strings sit under the second translation: the rows show nothing.
    std::string second = WritePe("second.dll", Block(TranslationBytes({{0x0407, 0x04B0}, {0x0409, 0x04E4}}),
                                                     {{"040904E4", {{"FileVersion", "1.0"}}}}));
    EXPECT_EQ(ReadVersionString(second, "FileVersion"), "");

    // Zeros are not replaced: language 0 and code page 0 name the table "00000000".
    std::string zeros = WritePe("zeros.dll", Block(TranslationBytes({{0, 0}}),
                                                   {{"040904E4", {{"FileVersion", "wrong"}}},
                                                    {"00000000", {{"FileVersion", "right"}}}}));
    EXPECT_EQ(ReadVersionString(zeros, "FileVersion"), "right");

    // A language without code page.
    std::string shortTranslation = WritePe("short.dll", Block(TBytes{0x09, 0x04}, {{"04090000", {{"FileVersion", "2.0"}}}}));
    EXPECT_EQ(ReadVersionString(shortTranslation, "FileVersion"), "2.0");

    // No translation table: nothing, even where the usual table exists.
    std::string none = WritePe("none.dll", Block(std::nullopt, {{"040904E4", {{"FileVersion", "1.0"}}}}));
    EXPECT_GT(GetFileVersionInfoSize(none), 0u);
    EXPECT_EQ(ReadVersionString(none, "FileVersion"), "");
}

TEST_F(VersionFile, FilesWithoutABlock)
{
    FTree.WriteFile("empty.dll", "");
    FTree.WriteFile("text.exe", "MZ but nothing else");
    FTree.MakeDir("folder.dll");
    std::string elf = FTree.WriteFile("elf", "");
    {
        std::ifstream in("/bin/sh", std::ios::binary);
        std::ofstream out(elf, std::ios::binary);
        out << in.rdbuf();
    }
    ASSERT_EQ(::mkfifo(FTree.Path("pipe.dll").c_str(), 0600), 0);  // must not hang

    for (const char* name : {"C:\\empty.dll", "C:\\text.exe", "C:\\folder.dll", "C:\\folder.dll\\",
                             "C:\\elf", "C:\\pipe.dll", "C:\\missing.dll", "Q:\\tool.exe", "", "tool.exe"}) {
        TBytes block = {1};
        EXPECT_EQ(GetFileVersionInfoSize(name), 0u) << name;
        EXPECT_FALSE(GetFileVersionInfo(name, block)) << name;
        EXPECT_TRUE(block.empty()) << name;
        EXPECT_EQ(ReadVersionString(name, "FileVersion"), "") << name;
    }
}

// The kernel refuses paths of PATH_MAX bytes and more in one piece; such a tree is made and
// removed here one folder at a time.
TEST_F(VersionFile, ReachesFilesInVeryDeepFolders)
{
    const std::string folder(200, 'd');
    const int levels = 25;
    std::vector<int> fds = {::open(FTree.Root().c_str(), O_RDONLY | O_DIRECTORY)};
    for (int i = 0; i < levels; ++i) {
        ASSERT_EQ(::mkdirat(fds.back(), folder.c_str(), 0700), 0);
        fds.push_back(::openat(fds.back(), folder.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(fds.back(), 0);
    }
    TBytes block = Block(TranslationBytes({{0x0409, 0x04E4}}), {{"040904E4", {{"FileVersion", "deep"}}}});
    TBytes image = BuildPeImage({{0x0409, block}}, false).Bytes;
    int out = ::openat(fds.back(), "deep.dll", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(out, 0);
    ASSERT_EQ(::write(out, image.data(), image.size()), ssize_t(image.size()));
    ::close(out);

    std::string file = "C:";
    for (int i = 0; i < levels; ++i) file += "\\" + folder;
    file += "\\deep.dll";
    EXPECT_GT(file.size(), 5000u);
    EXPECT_EQ(ReadVersionString(file, "FileVersion"), "deep");

    ::unlinkat(fds.back(), "deep.dll", 0);
    for (int i = levels; i > 0; --i) {
        ::close(fds[std::size_t(i)]);
        ::unlinkat(fds[std::size_t(i) - 1], folder.c_str(), AT_REMOVEDIR);
    }
    ::close(fds[0]);
}
