// The version component on real files: the running program's own block, Zarvex's programs,
// and PE files from Debian's packages checked against exiftool.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <cstdlib>
#include <unistd.h>

#include "platform/Drives.h"
#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"
#include "versinfo/ExifTool.h"
#include "versinfo/VersInfo.h"

namespace {

using Component = TvrkVersionInfoResource;

// Sample paths in the program's form: C: is "/" for these tests.
class VersInfoSamples : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({"/"})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }
    static QString ProgramPath(const std::string& native)
    {
        QString p = QString::fromStdString("C:" + native);
        return p.replace('/', '\\');
    }
};

std::vector<int> Parts(const std::string& dotted)
{
    std::vector<int> parts;
    std::size_t at = 0;
    while (at <= dotted.size()) {
        std::size_t dot = dotted.find('.', at);
        parts.push_back(std::atoi(dotted.substr(at, dot - at).c_str()));
        if (dot == std::string::npos) break;
        at = dot + 1;
    }
    return parts;
}

}  // namespace

TEST_F(VersInfoSamples, WithoutFilenameReadsTheRunningProgram)
{
    Component c;
    c.Loaded();
    EXPECT_TRUE(c.GetVersionFilename().endsWith("versinfo_tests")) << c.GetVersionFilename().toStdString();
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    EXPECT_EQ(c.ProductName(), "Zarvex");
    EXPECT_FALSE(c.FileDescription().isEmpty());
    EXPECT_FALSE(c.LegalCopyright().isEmpty());
    EXPECT_EQ(c.FileVersion().AsString(), ZARVEX_VERSION_TEXT);
    EXPECT_EQ(c.ProductVersion().AsString(), ZARVEX_VERSION_TEXT);
    std::vector<int> parts = Parts(ZARVEX_VERSION_TEXT);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.FileVersion().GetPart(i), parts[std::size_t(i)]);

    // Also when no drive holds the program: it is read by its native path.
    TDriveTable::SetCurrent(TDriveTable::FromFolders({"/nonexistent-root"}));
    c.SetFilename("");
    EXPECT_TRUE(c.GetVersionFilename().startsWith('/'));
    EXPECT_EQ(c.ProductName(), "Zarvex");
}

TEST_F(VersInfoSamples, ZarvexProgramsCarryTheirBlock)
{
    const char* bin = std::getenv("ZARVEX_BIN");
    if (!bin) bin = ZARVEX_BIN_DIR;
    int checked = 0;
    for (const char* program : {"zarvex", "zarvex-find"}) {
        std::string path = std::string(bin) + "/" + program;
        if (::access(path.c_str(), F_OK) != 0) continue;
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(path);
        ASSERT_TRUE(block) << path;
        std::optional<std::string> t = FirstTranslationName(*block);
        ASSERT_TRUE(t);
        EXPECT_EQ(QueryStringValue(*block, *t, "CompanyName"), "Quillmoor") << path;
        EXPECT_EQ(QueryStringValue(*block, *t, "ProductName"), "Zarvex") << path;
        EXPECT_EQ(QueryStringValue(*block, *t, "FileVersion"), ZARVEX_VERSION_TEXT) << path;
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "the programs are not built yet";
}

TEST_F(VersInfoSamples, WinPthreadTextDiffersFromItsNumbers)
{
    if (!SampleAvailable(sample::kWinPthread)) return;
    std::map<std::string, std::string> tags = ExifToolTags(sample::kWinPthread);
    Component c;
    c.SetFilename(ProgramPath(sample::kWinPthread));
    ASSERT_NE(Tag(tags, "FileVersion"), Tag(tags, "FileVersionNumber"));
    EXPECT_EQ(c.FileVersion().AsString().toStdString(), Tag(tags, "FileVersion"));
    EXPECT_EQ(c.ProductVersion().AsString().toStdString(), Tag(tags, "ProductVersion"));
    std::vector<int> parts = Parts(Tag(tags, "FileVersionNumber"));
    ASSERT_EQ(parts.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c.FileVersion().GetPart(i), parts[std::size_t(i)]);
    EXPECT_EQ(c.Translations(), QStringList{QString::fromStdString(Tag(tags, "LanguageCode") + Tag(tags, "CharacterSet"))});
    EXPECT_EQ(c.CompanyName().toStdString(), Tag(tags, "CompanyName"));
}

TEST_F(VersInfoSamples, ZlibListViewShowsWhatExifToolShows)
{
    for (const std::string& path : {sample::kZlib32, sample::kZlib64}) {
        if (!SampleAvailable(path)) continue;
        std::map<std::string, std::string> tags = ExifToolTags(path);
        QTreeWidget view;
        Component c;
        c.SetVersionListView(&view);
        c.SetFilename(ProgramPath(path));
        std::map<QString, std::string> rows;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            rows[view.topLevelItem(i)->text(0)] = view.topLevelItem(i)->text(1).toStdString();
        EXPECT_EQ(rows["Product Name"], Tag(tags, "ProductName")) << path;
        EXPECT_EQ(rows["Product Version"], Tag(tags, "ProductVersion")) << path;
        EXPECT_EQ(rows["Legal Copyright"], Tag(tags, "LegalCopyright")) << path;
        EXPECT_EQ(rows["File Description"], Tag(tags, "FileDescription")) << path;
        EXPECT_EQ(rows["File Version"], Tag(tags, "FileVersion")) << path;
        EXPECT_EQ(rows["Internal Name"], Tag(tags, "InternalName")) << path;
        EXPECT_EQ(rows["Original Filename"], Tag(tags, "OriginalFileName")) << path;
        EXPECT_EQ(rows["Comments"], Tag(tags, "Comments")) << path;
        EXPECT_EQ(rows.count("Company Name"), Tag(tags, "CompanyName").empty() ? 0u : 1u) << path;
        EXPECT_EQ(rows.count("Build Flags"), Tag(tags, "FileFlags") == "0" ? 0u : 1u) << path;
    }
}

