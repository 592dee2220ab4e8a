#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Settings.h"
#include "support/TempTree.h"

namespace {

namespace fs = std::filesystem;

class SettingsTest : public testing::Test {
protected:
    TTempTree FTree;
    TEnvGuard FConfig{"XDG_CONFIG_HOME", FTree.Path("config")};
    void WriteKeyFile(const std::string& text)
    {
        FTree.WriteFile("config/Quillmoor/Zarvex.conf", text);
    }
};

// Opening creates the key empty; texts come back byte for byte, an empty one told apart from
// an absent one; a hand-edited value with commas stays one text.
TEST_F(SettingsTest, TextsComeBackByteForByteAndEmptyIsNotAbsent)
{
    std::string value = "untouched";
    EXPECT_FALSE(TSettingsKey().ReadString("FileMask", value));
    EXPECT_EQ(value, "untouched");
    const std::string file = FTree.Path("config/Quillmoor/Zarvex.conf");
    EXPECT_TRUE(TSettingsKey::FilePath() == file && fs::file_size(file) == 0);

    const std::string texts[] = {"",
                                 "\\",
                                 "\\docs\\,\"\\my files\\\"",
                                 "  leading and trailing  ",
                                 "*.txt, *.doc;x=y # not a comment",
                                 "\xC3\x9Cn\xC3\xAF \xE2\x82\xAC",
                                 "[General]\nFileMask=evil"};
    {
        TSettingsKey key;
        for (std::size_t i = 0; i < std::size(texts); ++i)
            key.WriteString("Value" + std::to_string(i), texts[i]);
        EXPECT_TRUE(key.Close());
    }
    TSettingsKey key;
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_TRUE(key.ReadString("Value" + std::to_string(i), value) && value == texts[i]) << i;
    EXPECT_FALSE(key.ReadString("FileMask", value)) << "a value's text became a value";

    WriteKeyFile("[General]\nFoldersToIgnore=sp3, temp\n");
    EXPECT_TRUE(TSettingsKey().ReadString("FoldersToIgnore", value) && value == "sp3,temp");
}

TEST_F(SettingsTest, StoredBooleanTexts)
{
    struct {
        const char* text;
        bool whenDefaultFalse, whenDefaultTrue;
    } const cases[] = {
        {"0", false, false},  {"-3", true, true},
        {"00", false, false}, {" 1 ", true, true},
        {"", false, true},    {"yes", false, true},
        {"1.0", false, true}, {"99999999999999999999999", true, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TSettingsKey::BoolOfText(c.text, false), c.whenDefaultFalse) << c.text;
        EXPECT_EQ(TSettingsKey::BoolOfText(c.text, true), c.whenDefaultTrue) << c.text;
    }
}

// The key file as found: garbage reads as absent and is replaced by the write; a folder, or a
// link to a FIFO, is neither read nor written; a link to a regular file elsewhere is followed.
TEST_F(SettingsTest, KeyFilesAsFound)
{
    const std::string conf = FTree.Path("config/Quillmoor/Zarvex.conf");
    ASSERT_EQ(mkfifo(FTree.Path("fifo").c_str(), 0600), 0);
    FTree.WriteFile("elsewhere/real.conf", "[General]\nFileMask=*.doc\n");
    const struct {
        const char* link;  // nullptr: a garbage file; "": a folder
        bool read, written;
    } cases[] = {{nullptr, false, true},
                 {"", false, false},
                 {"fifo", false, false},
                 {"elsewhere/real.conf", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link ? c.link : "garbage");
        fs::remove_all(conf);
        if (!c.link)
            WriteKeyFile(std::string("\x01\x02\xff garbage [[[ \n=\n\0\0\0", 23));
        else if (*c.link)
            fs::create_symlink(FTree.Path(c.link), conf);
        else
            FTree.MakeDir("config/Quillmoor/Zarvex.conf");
        std::string value;
        {
            TSettingsKey key;
            EXPECT_EQ(key.ReadString("FileMask", value), c.read);
            key.WriteString("FileMask", "*.txt");
            EXPECT_EQ(key.Close(), c.written);
        }
        EXPECT_EQ(TSettingsKey().ReadString("FileMask", value) && value == "*.txt", c.written);
    }
    EXPECT_TRUE(fs::is_fifo(FTree.Path("fifo")) && fs::is_symlink(conf));
}

}  // namespace
