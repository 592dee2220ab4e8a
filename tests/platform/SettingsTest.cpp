#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

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

TEST_F(SettingsTest, OpeningCreatesTheKeyEmptyUnderTheConfigHomeOfTheMoment)
{
    const std::string file = FTree.Path("config/Quillmoor/Zarvex.conf");
    EXPECT_EQ(TSettingsKey::FilePath(), file);
    {
        TSettingsKey key;
        std::string value = "untouched";
        EXPECT_FALSE(key.ReadString("FileMask", value));
        EXPECT_EQ(value, "untouched");
    }
    std::ifstream created(file);
    EXPECT_TRUE(created.good());
    EXPECT_EQ(created.peek(), std::ifstream::traits_type::eof());

    TSettingsKey().WriteString("FileMask", "first");
    TEnvGuard other("XDG_CONFIG_HOME", FTree.Path("other"));
    EXPECT_EQ(TSettingsKey::FilePath(), FTree.Path("other/Quillmoor/Zarvex.conf"));
    std::string value;
    EXPECT_FALSE(TSettingsKey().ReadString("FileMask", value));
}

TEST_F(SettingsTest, TextsComeBackByteForByteAndEmptyIsNotAbsent)
{
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
        key.WriteBool("CheckFileName", true);
        key.WriteBool("CheckFileSize", false);
        EXPECT_TRUE(key.Close());
    }
    TSettingsKey key;
    std::string value;
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        value = "x";
        EXPECT_TRUE(key.ReadString("Value" + std::to_string(i), value));
        EXPECT_EQ(value, texts[i]);
    }
    EXPECT_FALSE(key.ReadString("FileMask", value)) << "a value's text became a value";
    ASSERT_TRUE(key.ReadString("CheckFileName", value));
    EXPECT_EQ(value, "1");
    ASSERT_TRUE(key.ReadString("CheckFileSize", value));
    EXPECT_EQ(value, "0");
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

TEST_F(SettingsTest, HandEditedValues)
{
    WriteKeyFile("[General]\nA=5\nB=\nFoldersToIgnore=sp3, temp\n");
    TSettingsKey key;
    EXPECT_TRUE(key.ReadBool("A", false));
    EXPECT_FALSE(key.ReadBool("B", false));
    EXPECT_TRUE(key.ReadBool("B", true));
    std::string value;
    ASSERT_TRUE(key.ReadString("FoldersToIgnore", value));
    EXPECT_EQ(value, "sp3,temp");  // read as a list by the file format, kept as one text
}

TEST_F(SettingsTest, GarbageFileReadsAsAbsentAndIsReplacedByTheWrite)
{
    WriteKeyFile(std::string("\x01\x02\xff garbage [[[ \n=\n\0\0\0", 23));
    {
        TSettingsKey key;
        std::string value;
        EXPECT_FALSE(key.ReadString("FileMask", value));
        key.WriteString("FileMask", "*.txt");
    }
    std::string value;
    EXPECT_TRUE(TSettingsKey().ReadString("FileMask", value));
    EXPECT_EQ(value, "*.txt");
}

// A folder, or a link to a FIFO, where the file should be is neither read nor written; a link
// to a regular file in another folder is followed.
TEST_F(SettingsTest, OnlyARegularFileOrALinkToOneIsTheKey)
{
    const std::string conf = FTree.Path("config/Quillmoor/Zarvex.conf");
    ASSERT_EQ(mkfifo(FTree.Path("fifo").c_str(), 0600), 0);
    FTree.WriteFile("elsewhere/real.conf", "[General]\nFileMask=*.doc\n");
    for (const char* target : {"", "fifo", "elsewhere/real.conf"}) {
        SCOPED_TRACE(target);
        fs::remove_all(conf);
        if (*target)
            fs::create_symlink(FTree.Path(target), conf);
        else
            FTree.MakeDir("config/Quillmoor/Zarvex.conf");
        const bool regular = std::string(target) == "elsewhere/real.conf";
        TSettingsKey key;
        std::string value;
        EXPECT_EQ(key.ReadString("FileMask", value), regular);
        key.WriteString("FileMask", "*.txt");
        EXPECT_EQ(key.Close(), regular);
    }
    EXPECT_TRUE(fs::is_fifo(FTree.Path("fifo")));
    EXPECT_TRUE(fs::is_symlink(conf));
    std::string value;
    EXPECT_TRUE(TSettingsKey().ReadString("FileMask", value));
    EXPECT_EQ(value, "*.txt");
}

}  // namespace
