// The version component on blocks made to measure, the programs' own blocks, PE samples checked
// against exiftool, and the fuzzer's corpus.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLabel>
#include <QTreeWidget>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "platform/Drives.h"
#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"
#include "platform/VersionQuery.h"
#include "support/TempTree.h"
#include "versinfo/VersInfo.h"

namespace {

using Component = TvrkVersionInfoResource;

// C: is a temporary tree, D: is "/".
class VersInfo : public testing::Test {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(TDriveTable::FromFolders({FTree.Root(), "/"}));
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // Writes a PE file holding the block; returns its name in the program's form.
    QString WritePe(const std::string& name, const TVersionBlockContent& content)
    {
        std::vector<std::uint8_t> image =
            BuildPeImage({{0x0409, BuildVersionBlock(content)}}, false).Bytes;
        FTree.WriteFile(name, std::string(image.begin(), image.end()));
        return QString::fromStdString("C:\\" + name);
    }

    TTempTree FTree;
};

// Every predefined string under 040904E4 (the only translation); file version 1.2.0.7,
// product version 5.6.7.8; the flag word as given, its mask 0 (not applied).
TVersionBlockContent Full(std::uint32_t fileFlags = 0)
{
    const char* const strings[][2] = {
        {"CompanyName", "Quillmoor"},        {"FileDescription", "Finds twins"},
        {"FileVersion", "1.2 release"},      {"InternalName", "twins"},
        {"LegalCopyright", "(C) Quillmoor"}, {"LegalTrademarks", "Twins(TM)"},
        {"OriginalFilename", "twins.exe"},   {"ProductName", "Twins"},
        {"ProductVersion", "5.6"},           {"Comments", "no comment"}};
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(1, 2, 0, 7, fileFlags);
    content.Fixed->ProductVersionMS = 0x00050006;
    content.Fixed->ProductVersionLS = 0x00070008;
    content.Fixed->FileFlagsMask = 0;
    content.Tables = {{"040904E4", {}}};
    for (const auto& [key, value] : strings) content.Tables[0].Strings.push_back({key, value});
    content.Translation = TranslationBytes({{0x0409, 0x04E4}});
    return content;
}

// "caption=value|" for every row.
QString Rows(const QTreeWidget& view)
{
    QString rows;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        rows += view.topLevelItem(i)->text(0) + "=" + view.topLevelItem(i)->text(1) + "|";
    return rows;
}

}  // namespace

TEST_F(VersInfo, ListViewShowsTheItemsWithTextInTheirFixedOrder)
{
    QTreeWidget view;
    Component c;
    QString file = WritePe("twins.exe", Full(0x3F));
    c.SetFilename(file);
    c.SetVersionListView(&view);
    const QString head =
        "Product Name=Twins|Product Version=5.6|Company Name=Quillmoor|"
        "Legal Copyright=(C) Quillmoor|Legal Trademarks=Twins(TM)|File Description=Finds twins|"
        "File Version=1.2 release|Internal Name=twins|Original Filename=twins.exe|";
    // Build flags in the order of their bits.
    EXPECT_EQ(Rows(view), head +
                              "Build Flags=Debug, Info Inferred, Patched, Pre-Release, Private, "
                              "Special|Comments=no comment|");

    // The same name is read again, and the list filled afresh, not on top of the old rows.
    WritePe("twins.exe", Full(0));
    c.SetFilename(file);
    EXPECT_EQ(Rows(view), head + "Comments=no comment|");

    // The text wins over the numbers, which stay reachable as parts.
    EXPECT_EQ(c.FileVersion().GetPart(3), 7);
    EXPECT_EQ(c.FileVersion().GetPart(4), 0);

    // Numbers stand in for a missing version text; empty or hidden items get no row.
    TVersionBlockContent sparse = Full();
    sparse.Tables[0].Strings = {
        {"CompanyName", "Quillmoor"}, {"Comments", ""}, {"FileVersion", ""}};
    c.SetFilename(WritePe("sparse.exe", sparse));
    EXPECT_EQ(Rows(view), "Product Version=5.6.7.8|Company Name=Quillmoor|File Version=1.2.0.7|");
    c.SetShowResource(TPreDefs::All().Without(pdCompanyName).Without(pdProductVersion));
    EXPECT_EQ(Rows(view), "File Version=1.2.0.7|");

    // A file without a block leaves nothing of the last one behind.
    FTree.WriteFile("readme.txt", "plain text");
    c.SetFilename("C:\\readme.txt");
    EXPECT_EQ(c.BlockSize(), 0u);
    EXPECT_EQ(c.FileVersion().AsString() + c.ProductVersion().AsString() + c.CompanyName() +
                  c.GetBuildFlagsText() + Rows(view),
              "");
    EXPECT_TRUE(c.Translations().isEmpty() && c.FileVersion().GetPart(0) == 0);
}

TEST_F(VersInfo, TranslationsAndTheOneTheLookupsUse)
{
    Component c;
    TVersionBlockContent content = Full();
    // Language and code page 0 are US English and Windows Latin-1.
    content.Translation = TranslationBytes({{0, 0}, {0x0407, 0}, {0, 0x04B0}});
    c.SetFilename(WritePe("zero.dll", content));
    EXPECT_EQ(c.Translations(), QStringList({"040904E4", "040704E4", "040904B0"}));
    EXPECT_EQ(c.CompanyName(), "Quillmoor");

    content.Translation = TranslationBytes({{0x0407, 0x04B0}, {0x0409, 0x04E4}});
    content.Tables.insert(content.Tables.begin(), {"040704B0", {{"CompanyName", "Deutsch"}}});
    c.SetFilename(WritePe("multi.dll", content));
    EXPECT_EQ(c.Translations(), QStringList({"040704B0", "040904E4"}));
    EXPECT_EQ(c.CompanyName(), "Deutsch");  // the first, in block order
    EXPECT_EQ(c.Comments(), "");            // no other translation is tried
    c.SetTranslationIndex(-1);              // out of range: 040904E4
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    content.Translation.reset();  // no translation table: 040904E4
    c.SetFilename(WritePe("notrans.dll", content));
    EXPECT_TRUE(c.Translations().isEmpty());
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
}

TEST_F(VersInfo, BoundLabelsLeaveTheListAndControlsWaitUntilLoaded)
{
    QTreeWidget view;
    QLabel copyright, product, description;
    auto* version = new QLabel;
    Component c;
    c.BeginLoading();
    c.SetFilename(WritePe("twins.exe", Full()));
    c.SetVersionListView(&view);
    c.SetCopyrightLabel(&copyright);
    c.SetVersionLabel(version);
    c.SetProductLabel(&product);
    c.SetDescriptionLabel(&description);
    EXPECT_TRUE(version->text().isEmpty() && view.columnCount() == 1);  // untouched
    c.Loaded();
    EXPECT_EQ(
        copyright.text() + "|" + version->text() + "|" + product.text() + "|" + description.text(),
        "(C) Quillmoor|1.2 release|Twins|Finds twins");
    EXPECT_EQ(view.topLevelItemCount(), 6);  // 10 items with text, 4 on labels

    delete version;  // forgotten, not written to
    EXPECT_EQ(c.VersionLabel(), nullptr);
    c.SetFilename("Q:\\x.exe");  // on no drive: no block, empty labels
    EXPECT_EQ(product.text() + description.text(), "");
}

namespace {

const std::string kZlib64 = "/usr/x86_64-w64-mingw32/lib/zlib1.dll";
const std::string kZlib32 = "/usr/i686-w64-mingw32/lib/zlib1.dll";
const std::string kWinPthread = "/usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll";
const std::string kNoResources = "/usr/lib/gcc/x86_64-w64-mingw32/12-win32/libgcc_s_seh-1.dll";

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

std::string Parts(const TVersionNumberInformation& v)
{
    return std::to_string(v.GetPart(0)) + "." + std::to_string(v.GetPart(1)) + "." +
           std::to_string(v.GetPart(2)) + "." + std::to_string(v.GetPart(3));
}

}  // namespace

TEST_F(VersInfo, ZarvexProgramsCarryTheirBlock)
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

TEST_F(VersInfo, ShowsWhatExifToolShows)
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
        ASSERT_EQ(::access(path.c_str(), R_OK), 0) << "missing: run scripts/ensure-deps test";
        std::map<std::string, std::string> tags = ExifToolTags(path);
        ASSERT_EQ(tags["PEType"], peType) << "the sample is not the kind of PE file it should be";
        QTreeWidget view;
        Component c;
        c.SetVersionListView(&view);
        c.SetFilename(QString::fromStdString("D:" + path).replace('/', '\\'));
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

TEST_F(VersInfo, NoBlockWithoutResourcesOrInACopyCutShort)
{
    for (const std::string& sample : {kNoResources, kZlib64})
        ASSERT_EQ(::access(sample.c_str(), R_OK), 0) << sample << ": run scripts/ensure-deps test";
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

// Every file of the fuzzer's corpus (seeds and the regression files of earlier finds) read
// as a file on disk: no crash, and each "ok-*" seed gives a sound block.
TEST(VersionCorpus, EveryCorpusFileIsReadSafely)
{
    int files = 0, sound = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZARVEX_FUZZ_CORPUS)) {
        ++files;
        std::string name = entry.path().filename().string();
        std::optional<std::vector<std::uint8_t>> block =
            ReadNativeVersionBlock(entry.path().string());
        if (!name.starts_with("ok-"))
            continue;
        ASSERT_TRUE(block) << name;
        EXPECT_TRUE(IsVersionBlock(*block) && QueryFixedFileInfo(*block) &&
                    FirstTranslationName(*block))
            << name;
        ++sound;
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(sound, 4);
}
