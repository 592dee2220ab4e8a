#include <sys/stat.h>

#include "DriveFixture.h"
#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

class VersionFile : public TDriveFixture {
protected:
    std::string WritePe(const std::string& name, std::optional<TBytes> translation,
                        std::vector<TVersionStringTable> tables)
    {
        TVersionBlockContent content;
        content.Fixed = MakeFixedFileInfo(3, 1, 4, 1);
        content.Tables = std::move(tables);
        content.Translation = std::move(translation);
        TBytes image = BuildPeImage({{0x0409, BuildVersionBlock(content)}}, true).Bytes;
        Tree.WriteFile(name, std::string(image.begin(), image.end()));
        return OnC(name);
    }
};

}  // namespace

// The file rows read one string, from the first translation's table only.
TEST_F(VersionFile, StringsComeFromTheFirstTranslationOnlyAndNeverFromANonPeFile)
{
    std::string first = WritePe("tool.exe", TranslationBytes({{0x0409, 0x04E4}}),
                                {{"040904E4", {{"FileVersion", " 3.1 (beta) "}}}});
    EXPECT_EQ(ReadVersionString(first, "FileVersion"), " 3.1 (beta) ");  // not trimmed
    EXPECT_EQ(ReadVersionString("C:/tool.exe", "FileVersion"), " 3.1 (beta) ");
    // The strings sit under the second translation: the rows show nothing.
    std::string second =
        WritePe("second.dll", TranslationBytes({{0x0407, 0x04B0}, {0x0409, 0x04E4}}),
                {{"040904E4", {{"FileVersion", "1.0"}}}});
    EXPECT_EQ(ReadVersionString(second, "FileVersion"), "");
    // Zeros are not replaced: language 0 and code page 0 name the table "00000000".
    std::string zeros = WritePe(
        "zeros.dll", TranslationBytes({{0, 0}}),
        {{"040904E4", {{"FileVersion", "wrong"}}}, {"00000000", {{"FileVersion", "right"}}}});
    EXPECT_EQ(ReadVersionString(zeros, "FileVersion"), "right");
    // No translation table: nothing, even where the usual table exists.
    std::string none = WritePe("none.dll", std::nullopt, {{"040904E4", {{"FileVersion", "1.0"}}}});
    EXPECT_GT(GetFileVersionInfoSize(none), 0u);
    EXPECT_EQ(ReadVersionString(none, "FileVersion"), "");

    // Files without a block.
    Tree.WriteFile("empty.dll", "");
    Tree.WriteFile("text.exe", "MZ but nothing else");
    Tree.MakeDir("folder.dll");
    ASSERT_EQ(::mkfifo(Tree.Path("pipe.dll").c_str(), 0600), 0);  // must not hang
    for (const char* name : {"C:\\empty.dll", "C:\\text.exe", "C:\\folder.dll", "C:\\pipe.dll",
                             "C:\\missing.dll", "tool.exe"}) {
        TBytes block = {1};
        EXPECT_EQ(GetFileVersionInfoSize(name), 0u) << name;
        EXPECT_FALSE(GetFileVersionInfo(name, block)) << name;
        EXPECT_TRUE(block.empty()) << name;
        EXPECT_EQ(ReadVersionString(name, "FileVersion"), "") << name;
    }
}
