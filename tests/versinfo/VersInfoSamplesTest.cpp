// The version component on real files: the running program's own block, Zarvex's programs,
// and PE files from Debian's packages checked against exiftool.
#include <gtest/gtest.h>

#include <QTreeWidget>
#include <unistd.h>

#include "platform/Drives.h"
#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"
#include "versinfo/ExifTool.h"
#include "versinfo/VersInfo.h"

namespace {

using Component = TvrkVersionInfoResource;

// C: is "/" for these tests.
class VersInfoSamples : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({"/"})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }
};

std::string Parts(const TVersionNumberInformation& v)
{
    return std::to_string(v.GetPart(0)) + "." + std::to_string(v.GetPart(1)) + "." + std::to_string(v.GetPart(2)) +
           "." + std::to_string(v.GetPart(3));
}

}  // namespace

TEST_F(VersInfoSamples, ZarvexProgramsCarryTheirBlock)
{
    Component c;
    c.Loaded();  // no filename: the running program
    EXPECT_TRUE(c.GetVersionFilename().endsWith("versinfo_tests")) << c.GetVersionFilename().toStdString();
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    EXPECT_EQ(c.ProductName(), "Zarvex");
    EXPECT_FALSE(c.LegalCopyright().isEmpty());
    EXPECT_EQ(c.ProductVersion().AsString(), ZARVEX_VERSION_TEXT);
    EXPECT_EQ(Parts(c.FileVersion()), ZARVEX_VERSION_TEXT);
    // Also when no drive holds the program: it is read by its native path.
    TDriveTable::SetCurrent(TDriveTable::FromFolders({"/nonexistent-root"}));
    c.SetFilename("");
    EXPECT_TRUE(c.GetVersionFilename().startsWith('/'));
    EXPECT_EQ(c.ProductName(), "Zarvex");

    for (const char* program : {"/zarvex", "/zarvex-find"}) {
        std::string path = std::getenv("ZARVEX_BIN") + std::string(program);
        if (::access(path.c_str(), F_OK) != 0) continue;  // not built yet
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(path);
        ASSERT_TRUE(block && FirstTranslationName(*block)) << path;
        EXPECT_EQ(QueryStringValue(*block, *FirstTranslationName(*block), "FileVersion"), ZARVEX_VERSION_TEXT) << path;
    }
}

TEST_F(VersInfoSamples, ShowsWhatExifToolShows)
{
    const std::pair<QString, std::string> rowTags[] = {
        {"Product Name", "ProductName"},         {"Product Version", "ProductVersion"},
        {"Company Name", "CompanyName"},         {"Legal Copyright", "LegalCopyright"},
        {"File Description", "FileDescription"}, {"File Version", "FileVersion"},
        {"Internal Name", "InternalName"},       {"Original Filename", "OriginalFileName"},
        {"Comments", "Comments"},
    };
    for (const std::string& path : {sample::kZlib32, sample::kZlib64, sample::kWinPthread}) {
        SCOPED_TRACE(path);
        if (!SampleAvailable(path)) continue;
        std::map<std::string, std::string> tags = ExifToolTags(path);
        QTreeWidget view;
        Component c;
        c.SetVersionListView(&view);
        c.SetFilename(QString::fromStdString("C:" + path).replace('/', '\\'));
        std::map<QString, std::string> rows;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            rows[view.topLevelItem(i)->text(0)] = view.topLevelItem(i)->text(1).toStdString();
        for (const auto& [caption, tag] : rowTags) EXPECT_EQ(rows[caption], tags[tag]) << tag;
        EXPECT_EQ(rows.count("Build Flags"), tags["FileFlags"] == "0" ? 0u : 1u);
        // The text wins where the file has one (libwinpthread's differs from its numbers).
        EXPECT_EQ(c.FileVersion().AsString().toStdString(), tags["FileVersion"]);
        EXPECT_EQ(Parts(c.FileVersion()), tags["FileVersionNumber"]);
        EXPECT_EQ(c.Translations(), QStringList{QString::fromStdString(tags["LanguageCode"] + tags["CharacterSet"])});
    }
}
