#include "platform/Settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "support/TempTree.h"

namespace {

class SettingsTest : public testing::Test {
protected:
    TTempTree FTree;
    TEnvGuard FConfig{"XDG_CONFIG_HOME", FTree.Path("config")};

    std::string KeyFile() const { return FTree.Path("config/Quillmoor/Zarvex.conf"); }
    void WriteKeyFile(const std::string& text)
    {
        FTree.WriteFile("config/Quillmoor/Zarvex.conf", text);
    }
    std::string ReadKeyFile() const
    {
        std::ifstream in(KeyFile());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(SettingsTest, OpeningCreatesTheKeyEmptyUnderXdgConfigHome)
{
    EXPECT_EQ(TSettingsKey::FilePath(), KeyFile());
    {
        TSettingsKey key;
        std::string value = "untouched";
        EXPECT_FALSE(key.ReadString("FileMask", value));
        EXPECT_EQ(value, "untouched");
    }
    std::ifstream created(KeyFile());
    EXPECT_TRUE(created.good());
    EXPECT_EQ(ReadKeyFile(), "");
}

TEST_F(SettingsTest, AbsentIsToldApartFromEmpty)
{
    {
        TSettingsKey key;
        key.WriteString("FileMask", "");
        EXPECT_TRUE(key.Close());
    }
    TSettingsKey key;
    std::string value = "x";
    EXPECT_TRUE(key.ReadString("FileMask", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(key.ReadString("RootFolder", value));
}

TEST_F(SettingsTest, TextsComeBackByteForByte)
{
    const std::string texts[] = {"\\",
                                 "\\docs\\,\"\\my files\\\"",
                                 "  leading and trailing  ",
                                 "*.txt, *.doc;x=y # not a comment",
                                 "Ünïcödé \xE2\x82\xAC",
                                 "[General]\nFileMask=evil"};
    {
        TSettingsKey key;
        for (std::size_t i = 0; i < std::size(texts); ++i)
            key.WriteString("Value" + std::to_string(i), texts[i]);
    }
    TSettingsKey key;
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        std::string value;
        EXPECT_TRUE(key.ReadString("Value" + std::to_string(i), value));
        EXPECT_EQ(value, texts[i]);
    }
    std::string value;
    EXPECT_FALSE(key.ReadString("FileMask", value)) << "a value's text became a value";
}

TEST_F(SettingsTest, BooleansAreStoredAsOneAndZero)
{
    {
        TSettingsKey key;
        key.WriteBool("CheckFileName", true);
        key.WriteBool("CheckFileSize", false);
    }
    TSettingsKey key;
    std::string text;
    ASSERT_TRUE(key.ReadString("CheckFileName", text));
    EXPECT_EQ(text, "1");
    ASSERT_TRUE(key.ReadString("CheckFileSize", text));
    EXPECT_EQ(text, "0");
}

TEST_F(SettingsTest, StoredBooleanTexts)
{
    struct {
        const char* text;
        bool whenDefaultFalse, whenDefaultTrue;
    } const cases[] = {
        {"1", true, true},   {"0", false, false},    {"5", true, true},
        {"-3", true, true},  {"00", false, false},   {" 1 ", true, true},
        {"", false, true},   {"   ", false, true},    {"yes", false, true},
        {"1.0", false, true}, {"0x1", false, true},  {"+", false, true},
        {"99999999999999999999999", true, true},     {"-0", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TSettingsKey::BoolOfText(c.text, false), c.whenDefaultFalse) << c.text;
        EXPECT_EQ(TSettingsKey::BoolOfText(c.text, true), c.whenDefaultTrue) << c.text;
    }
}

TEST_F(SettingsTest, ReadBoolFromTheFile)
{
    WriteKeyFile("[General]\nA=5\nB=\nC=garbage\nD=0\n");
    TSettingsKey key;
    EXPECT_TRUE(key.ReadBool("A", false));
    EXPECT_TRUE(key.ReadBool("B", true));
    EXPECT_FALSE(key.ReadBool("B", false));
    EXPECT_TRUE(key.ReadBool("C", true));
    EXPECT_FALSE(key.ReadBool("D", true));
    EXPECT_TRUE(key.ReadBool("Absent", true));
}

TEST_F(SettingsTest, HandEditedListValueKeepsItsCommas)
{
    WriteKeyFile("[General]\nFoldersToIgnore=sp3, temp\n");
    TSettingsKey key;
    std::string value;
    ASSERT_TRUE(key.ReadString("FoldersToIgnore", value));
    EXPECT_EQ(value, "sp3,temp");
}

TEST_F(SettingsTest, GarbageFileReadsAsAbsentAndIsReplacedByTheWrite)
{
    WriteKeyFile(std::string("\x01\x02\xff garbage [[[ \n=\n\0\0\0", 23));
    {
        TSettingsKey key;
        std::string value;
        EXPECT_FALSE(key.ReadString("FileMask", value));
        key.WriteString("FileMask", "*.txt");
        key.Close();
    }
    TSettingsKey key;
    std::string value;
    EXPECT_TRUE(key.ReadString("FileMask", value));
    EXPECT_EQ(value, "*.txt");
}

TEST_F(SettingsTest, UnreadableKeyGivesAbsentValuesAndAFailedClose)
{
    FTree.MakeDir("config/Quillmoor/Zarvex.conf");  // a folder where the file should be
    TSettingsKey key;
    std::string value;
    EXPECT_FALSE(key.ReadString("FileMask", value));
    key.WriteString("FileMask", "*.txt");
    EXPECT_FALSE(key.Close());
}

TEST_F(SettingsTest, ChangedConfigHomeIsHonouredAtTheNextOpening)
{
    {
        TSettingsKey key;
        key.WriteString("FileMask", "first");
    }
    TEnvGuard other("XDG_CONFIG_HOME", FTree.Path("other"));
    TSettingsKey key;
    std::string value;
    EXPECT_FALSE(key.ReadString("FileMask", value));
    EXPECT_EQ(TSettingsKey::FilePath(), FTree.Path("other/Quillmoor/Zarvex.conf"));
}

}  // namespace
