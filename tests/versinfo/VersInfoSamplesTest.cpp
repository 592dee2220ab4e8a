// The version reader and component on real files: the running program's own block, Zarvex's
// programs, and PE files from Debian's packages checked against exiftool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTreeWidget>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/Drives.h"
#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"
#include "support/TempTree.h"
#include "versinfo/VersInfo.h"

// Real PE files from Debian's packages (installed by `make test`, never committed) and what
// exiftool, an independent reader, prints for them at test time.
namespace {

const std::string kZlib64 = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
const std::string kZlib32 = "/usr/i686-w64-mingw32/lib/zlib1.dll";
const std::string kWinPthread = "/usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll";
const std::string kNoResources = "/usr/lib/gcc/x86_64-w64-mingw32/12-win32/libgcc_s_seh-1.dll";

// Fails the running test when a sample is missing, naming the fix.
bool SampleAvailable(const std::string& path)
{
    if (::access(path.c_str(), R_OK) == 0)
        return true;
    ADD_FAILURE() << path << " is missing: run scripts/ensure-deps test";
    return false;
}

// The EXE tags exiftool prints with -args -n ("-Tag=value" lines), by tag name.
std::map<std::string, std::string> ExifToolTags(const std::string& path)
{
    std::map<std::string, std::string> tags;
    std::string command = "exiftool -args -n -charset UTF8 -EXE:all '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    char line[4096];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        std::string tag(line, std::strcspn(line, "\n"));
        if (std::size_t eq = tag.find('='); tag.starts_with('-') && eq != std::string::npos)
            tags[tag.substr(1, eq - 1)] = tag.substr(eq + 1);
    }
    if (!pipe || (::pclose(pipe) != 0 && tags.empty()))
        ADD_FAILURE() << "exiftool failed: run scripts/ensure-deps test";
    return tags;
}

using Component = TvrkVersionInfoResource;

// C: is "/" for these tests.
class VersInfoSamples : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({"/"})); }
    void TearDown() override { TDriveTable::ResetCurrent(); }
};

std::string Parts(const TVersionNumberInformation& v)
{
    return std::to_string(v.GetPart(0)) + "." + std::to_string(v.GetPart(1)) + "." +
           std::to_string(v.GetPart(2)) + "." + std::to_string(v.GetPart(3));
}

}  // namespace

TEST_F(VersInfoSamples, ZarvexProgramsCarryTheirBlock)
{
    Component c;
    c.Loaded();  // no filename: the running program
    EXPECT_TRUE(c.GetVersionFilename().endsWith("versinfo_tests"));
    EXPECT_EQ(c.CompanyName() + "|" + c.ProductName(), "Quillmoor|Zarvex");
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
        if (::access(path.c_str(), F_OK) != 0)
            continue;  // not built yet
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(path);
        ASSERT_TRUE(block && FirstTranslationName(*block)) << path;
        EXPECT_EQ(QueryStringValue(*block, *FirstTranslationName(*block), "FileVersion"),
                  ZARVEX_VERSION_TEXT)
            << path;
    }
}

TEST_F(VersInfoSamples, ShowsWhatExifToolShows)
{
    const std::pair<QString, std::string> rowTags[] = {
        {"Product Name", "ProductName"},           {"Product Version", "ProductVersion"},
        {"Company Name", "CompanyName"},           {"Legal Copyright", "LegalCopyright"},
        {"Legal Trademarks", "LegalTrademarks"},   {"File Description", "FileDescription"},
        {"File Version", "FileVersion"},           {"Internal Name", "InternalName"},
        {"Original Filename", "OriginalFileName"}, {"Comments", "Comments"},
    };
    const std::pair<std::string, const char*> samples[] = {
        {kZlib32, "267"}, {kZlib64, "523"}, {kWinPthread, "523"}};
    for (const auto& [path, peType] : samples) {  // PE32, PE32+
        SCOPED_TRACE(path);
        if (!SampleAvailable(path))
            continue;
        std::map<std::string, std::string> tags = ExifToolTags(path);
        ASSERT_EQ(tags["PEType"], peType) << "the sample is not the kind of PE file it should be";
        QTreeWidget view;
        Component c;
        c.SetVersionListView(&view);
        c.SetFilename(QString::fromStdString("C:" + path).replace('/', '\\'));
        std::map<QString, std::string> rows;
        for (int i = 0; i < view.topLevelItemCount(); ++i)
            rows[view.topLevelItem(i)->text(0)] = view.topLevelItem(i)->text(1).toStdString();
        int compared = 0;
        for (const auto& [caption, tag] : rowTags) {
            EXPECT_EQ(rows[caption], tags[tag]) << tag;
            compared += !tags[tag].empty();
        }
        EXPECT_GE(compared, 6) << "too few strings to compare: is the sample the expected one?";
        EXPECT_EQ(rows.count("Build Flags"), tags["FileFlags"] == "0" ? 0u : 1u);
        // The text wins where the file has one (libwinpthread's differs from its numbers).
        EXPECT_EQ(c.FileVersion().AsString().toStdString(), tags["FileVersion"]);
        EXPECT_EQ(Parts(c.FileVersion()), tags["FileVersionNumber"]);
        EXPECT_EQ(Parts(c.ProductVersion()), tags["ProductVersionNumber"]);
        EXPECT_EQ(c.Translations(),
                  QStringList{QString::fromStdString(tags["LanguageCode"] + tags["CharacterSet"])});
    }
}

TEST_F(VersInfoSamples, NoBlockWithoutResourcesOrInACopyCutShort)
{
    if (!SampleAvailable(kNoResources) || !SampleAvailable(kZlib64))
        return;
    EXPECT_EQ(ExifToolTags(kNoResources)["FileVersionNumber"], "");
    EXPECT_FALSE(ReadNativeVersionBlock(kNoResources));

    std::ifstream in(kZlib64, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::u16string key = u"StringFileInfo";
    std::size_t at =
        bytes.find(std::string(reinterpret_cast<const char*>(key.data()), key.size() * 2));
    ASSERT_NE(at, std::string::npos);
    TTempTree tree;
    EXPECT_FALSE(ReadNativeVersionBlock(tree.WriteFile("cut.dll", bytes.substr(0, at + 40))));
    // The uncut copy still has its block: the cut, not the copying, loses it.
    EXPECT_TRUE(ReadNativeVersionBlock(tree.WriteFile("whole.dll", bytes)));
}
