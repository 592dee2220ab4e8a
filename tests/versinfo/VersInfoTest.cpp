// The version component on files with blocks made to measure: strings, version texts,
// translations, build flags, and the labels and list view it fills.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>

#include "platform/Drives.h"
#include "platform/VersionBuild.h"
#include "support/TempTree.h"
#include "versinfo/VersInfo.h"

namespace {

using Component = TvrkVersionInfoResource;

class VersInfo : public testing::Test {
protected:
    void SetUp() override { TDriveTable::SetCurrent(TDriveTable::FromFolders({FTree.Root()})); }
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
    EXPECT_EQ(view.headerItem()->text(0) + "|" + view.headerItem()->text(1), "Resource|Value");

    // The same name is read again, and the list filled afresh, not on top of the old rows.
    WritePe("twins.exe", Full(0));
    c.SetFilename(file);
    EXPECT_EQ(Rows(view), head + "Comments=no comment|");

    // The text wins over the numbers, which stay reachable as parts.
    EXPECT_EQ(c.FileVersion().GetPart(3), 7);
    EXPECT_EQ(c.FileVersion().GetPart(4), 0);
    EXPECT_EQ(c.GetPreDefValue(-1) + c.GetPreDefValue(kPreDefCount), "");

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
    QString multi = WritePe("multi.dll", content);
    c.SetFilename(multi);
    EXPECT_EQ(c.Translations(), QStringList({"040704B0", "040904E4"}));
    EXPECT_EQ(c.CompanyName(), "Deutsch");  // the first, in block order
    EXPECT_EQ(c.Comments(), "");            // no other translation is tried
    c.SetTranslationIndex(-1);              // out of range: 040904E4
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    // The index survives a read while in range, and is reset when it is not.
    c.SetTranslationIndex(1);
    c.SetFilename(multi);
    EXPECT_EQ(c.TranslationIndex(), 1);
    content.Translation.reset();  // no translation table: 040904E4
    c.SetFilename(WritePe("notrans.dll", content));
    EXPECT_EQ(c.TranslationIndex(), 0);
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
    // Unbinding gives nothing back to the list.
    c.SetCopyrightLabel(nullptr);
    c.SetFilename(c.Filename());
    EXPECT_EQ(view.topLevelItemCount(), 6);

    delete version;  // forgotten, not written to
    EXPECT_EQ(c.VersionLabel(), nullptr);
    c.SetFilename("Q:\\x.exe");  // on no drive: no block, empty labels
    EXPECT_EQ(product.text() + description.text(), "");
}
