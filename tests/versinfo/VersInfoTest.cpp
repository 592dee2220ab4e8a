// The version component: reading, translations, version texts and flags.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTreeWidget>

#include "versinfo/VersInfo.h"
#include "versinfo/VersInfoFixture.h"

namespace {

using Component = TvrkVersionInfoResource;

class VersInfo : public VersInfoFixture {};

TVersionBlockContent WithTranslations(std::vector<TTranslation> translations,
                                   std::vector<TVersionStringTable> tables)
{
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(1, 0, 0, 0);
    content.Translation = TranslationBytes(translations);
    content.Tables = std::move(tables);
    return content;
}

}  // namespace

TEST_F(VersInfo, ConstructionSetsDefaultsAndReadsNothing)
{
    QObject owner;
    auto* c = new Component(&owner);
    c->setObjectName("VersionInfoResource1");
    EXPECT_EQ(c->parent(), &owner);
    EXPECT_EQ(c->Version(), "TvrkVersionInfoResource v2.35");
    c->SetVersion("v9");
    EXPECT_EQ(c->property("Version").toString(), "TvrkVersionInfoResource v2.35");
    EXPECT_EQ(c->ShowResource().Bits(), 2047);
    EXPECT_EQ(c->TranslationIndex(), 0);
    EXPECT_FALSE(c->ForceEXE());
    EXPECT_FALSE(c->FileVersion().Valid());
    EXPECT_EQ(c->BlockSize(), 0u);
    EXPECT_TRUE(c->Translations().isEmpty());
}

TEST_F(VersInfo, ReadsEveryStringAndBothVersions)
{
    Component c;
    c.SetFilename(WritePe("twins.exe", FullContent()));
    EXPECT_GT(c.BlockSize(), 0u);
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    EXPECT_EQ(c.FileDescription(), "Finds twins");
    EXPECT_EQ(c.InternalName(), "twins");
    EXPECT_EQ(c.LegalCopyright(), "(C) Quillmoor");
    EXPECT_EQ(c.LegalTrademarks(), "Twins(TM)");
    EXPECT_EQ(c.OriginalFilename(), "twins.exe");
    EXPECT_EQ(c.ProductName(), "Twins");
    EXPECT_EQ(c.Comments(), "no comment");
    EXPECT_EQ(c.property("CompanyName").toString(), "Quillmoor");
    EXPECT_EQ(c.GetStringValue("ProductVersion"), "5.6");

    // The string table's text wins over the numbers; the numbers stay reachable as parts.
    EXPECT_EQ(c.FileVersion().AsString(), "1.2 release");
    EXPECT_EQ(c.ProductVersion().AsString(), "5.6");
    const int fileParts[] = {1, 2, 0, 7}, productParts[] = {5, 6, 7, 8};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(c.FileVersion().GetPart(i), fileParts[i]);
        EXPECT_EQ(c.ProductVersion().GetPart(i), productParts[i]);
    }
    EXPECT_EQ(c.FixedInfo().FileVersionMS(), 0x00010002u);
    EXPECT_EQ(c.FixedInfo().ProductVersionLS(), 0x00070008u);
    EXPECT_EQ(c.FixedInfo().Owner(), &c);
}

TEST_F(VersInfo, VersionNumbersWhenTheTextIsEmptyOrAbsent)
{
    Component c;
    TVersionBlockContent content = FullContent();
    content.Tables[0].Strings = {{"FileVersion", ""}};
    c.SetFilename(WritePe("empty.exe", content));
    EXPECT_EQ(c.FileVersion().AsString(), "1.2.0.7");
    EXPECT_EQ(c.ProductVersion().AsString(), "5.6.7.8");  // absent

    content.Tables.clear();
    c.SetFilename(WritePe("absent.exe", content));
    EXPECT_EQ(c.FileVersion().AsString(), "1.2.0.7");
}

TEST_F(VersInfo, NoBlockLeavesEverythingEmpty)
{
    QTreeWidget view;
    QLabel version;
    Component c;
    c.SetVersionListView(&view);
    c.SetVersionLabel(&version);
    c.SetFilename(WritePe("twins.exe", FullContent(0x3F)));
    ASSERT_GT(view.topLevelItemCount(), 0);
    ASSERT_EQ(version.text(), "1.2 release");
    for (const QString& name : {WriteText("readme.txt", "plain text"), QString("C:\\missing.exe"), QString("Q:\\x.exe")}) {
        c.SetFilename(name);
        EXPECT_EQ(c.BlockSize(), 0u);
        EXPECT_FALSE(c.FileVersion().Valid());
        EXPECT_FALSE(c.ProductVersion().Valid());
        EXPECT_EQ(c.FileVersion().AsString(), "");
        EXPECT_EQ(c.FileVersion().GetPart(0), 0);
        EXPECT_EQ(c.CompanyName(), "");
        EXPECT_EQ(c.GetStringValue("FileVersion"), "");
        EXPECT_TRUE(c.Translations().isEmpty());
        EXPECT_EQ(c.FixedInfo().FileVersionMS(), 0u);
        EXPECT_TRUE(c.FixedInfo().FileFlags().Empty());
        EXPECT_EQ(c.GetBuildFlagsText(), "");
        EXPECT_EQ(view.columnCount(), 2);
        EXPECT_EQ(view.topLevelItemCount(), 0);
        EXPECT_EQ(version.text(), "");
    }
}

TEST_F(VersInfo, LanguageAndCodePageZeroAreUsEnglishLatin1)
{
    Component c;
    c.SetFilename(WritePe("zero.dll", WithTranslations({{0, 0}, {0x0407, 0}, {0, 0x04B0}},
                                                       {{"040904E4", {{"CompanyName", "found"}}}})));
    EXPECT_EQ(c.Translations(), QStringList({"040904E4", "040704E4", "040904B0"}));
    EXPECT_EQ(c.CompanyName(), "found");
}

TEST_F(VersInfo, SeveralTranslationsInBlockOrderAndTheIndexChoosesOne)
{
    Component c;
    QString file = WritePe("multi.dll", WithTranslations({{0x0407, 0x04B0}, {0x0409, 0x04E4}},
                                                         {{"040904E4", {{"CompanyName", "English"}}},
                                                          {"040704B0", {{"CompanyName", "Deutsch"}}}}));
    c.SetFilename(file);
    EXPECT_EQ(c.Translations(), QStringList({"040704B0", "040904E4"}));
    EXPECT_EQ(c.CompanyName(), "Deutsch");  // the first translation
    c.SetTranslationIndex(1);
    EXPECT_EQ(c.CompanyName(), "English");
    // An index out of range falls back to 040904E4, a negative one too.
    c.SetTranslationIndex(-1);
    EXPECT_EQ(c.CompanyName(), "English");

    // The index survives a read while in range, and is reset when it is not.
    c.SetTranslationIndex(1);
    c.SetFilename(file);
    EXPECT_EQ(c.TranslationIndex(), 1);
    c.SetFilename(WritePe("one.dll", WithTranslations({{0x0407, 0x04B0}}, {})));
    EXPECT_EQ(c.TranslationIndex(), 0);
}

TEST_F(VersInfo, WithoutTranslationTableLookupsUse040904E4)
{
    TVersionBlockContent content = FullContent();
    content.Translation.reset();
    content.Tables.push_back({"040704B0", {{"CompanyName", "Deutsch"}}});
    std::swap(content.Tables[0], content.Tables[1]);
    Component c;
    c.SetFilename(WritePe("notrans.dll", content));
    EXPECT_TRUE(c.Translations().isEmpty());
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
    // No other translation is tried when the key is absent under the chosen one.
    c.SetFilename(WritePe("other.dll", WithTranslations({{0x0407, 0x04B0}}, {{"040904E4", {{"Comments", "x"}}}})));
    EXPECT_EQ(c.Comments(), "");
}

TEST_F(VersInfo, AssigningTheSameFilenameReadsAgain)
{
    Component c;
    QString file = WritePe("same.dll", FullContent());
    c.SetFilename(file);
    ASSERT_EQ(c.CompanyName(), "Quillmoor");
    TVersionBlockContent changed = FullContent();
    changed.Tables[0].Strings[0].second = "Changed";
    WritePe("same.dll", changed);
    c.SetFilename(file);
    EXPECT_EQ(c.CompanyName(), "Changed");

    // ForceEXE reads only on a change of value.
    WritePe("same.dll", FullContent());
    c.SetForceEXE(false);
    EXPECT_EQ(c.CompanyName(), "Changed");
    c.SetForceEXE(true);
    EXPECT_EQ(c.CompanyName(), "Quillmoor");
}

TEST_F(VersInfo, PreDefValuesByOrdinal)
{
    Component c;
    c.SetFilename(WritePe("twins.exe", FullContent()));
    EXPECT_EQ(c.GetPreDefValue(pdProductVersion), "5.6");
    EXPECT_EQ(c.GetPreDefValue(-1), "");
    EXPECT_EQ(c.GetPreDefValue(11), "");
}

TEST(VersInfoNumbers, PartsAndText)
{
    TVersionNumberInformation v(0x00010002, 0x00000007);
    EXPECT_EQ(v.GetPart(0), 0);  // not valid yet
    EXPECT_EQ(v.AsString(), "");
    v.SetValid(true);
    EXPECT_EQ(v.AsString(), "1.2.0.7");
    EXPECT_EQ(v.GetPart(-1), 0);
    EXPECT_EQ(v.GetPart(4), 0);
    v.SetVersion(0xFFFF0000, 0x0000FFFF);
    EXPECT_EQ(v.AsString(), "65535.0.0.65535");
    v.SetText("7 beta");
    EXPECT_EQ(v.AsString(), "7 beta");
    v.SetValid(false);
    EXPECT_EQ(v.AsString(), "");
}

TEST_F(VersInfo, BuildFlagsText)
{
    Component c;
    c.SetFilename(WritePe("f3.dll", FullContent(0x03)));
    EXPECT_EQ(c.GetBuildFlagsText(), "Debug, Pre-Release");
    c.SetFilename(WritePe("f3f.dll", FullContent(0x3F)));
    EXPECT_EQ(c.GetBuildFlagsText(), "Debug, Info Inferred, Patched, Pre-Release, Private, Special");
    c.SetFilename(WritePe("f20.dll", FullContent(0x20)));
    EXPECT_EQ(c.GetBuildFlagsText(), "Special");
    // The whole word counts; the record's flag mask is not applied.
    TVersionBlockContent masked = FullContent(0x08);
    masked.Fixed->FileFlagsMask = 0;
    c.SetFilename(WritePe("masked.dll", masked));
    EXPECT_EQ(c.GetBuildFlagsText(), "Private");
    c.SetFilename(WritePe("f0.dll", FullContent(0)));
    EXPECT_EQ(c.GetBuildFlagsText(), "");
}

TEST(VersInfoSets, PreDefsHoldElevenItemsIn16Bits)
{
    TPreDefs all = TPreDefs::All();
    EXPECT_EQ(all.Bits(), 0x7FF);
    EXPECT_EQ(TPreDefs(0xFFFF), all);
    EXPECT_EQ(all.Without(pdFileVersion).Bits(), 0x7FB);
    EXPECT_FALSE(all.Without(pdComments).Contains(pdComments));
    EXPECT_TRUE(TPreDefs().With(pdBuildFlags).Contains(pdBuildFlags));
    EXPECT_EQ(TPreDefs().With(pdBuildFlags).Bits(), 0x400);
}
