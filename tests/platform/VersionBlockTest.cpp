// The version-block reader on PE and ELF images, blocks and files made to measure.
#include <sys/stat.h>

#include "DriveFixture.h"
#include "platform/VersionBlock.h"
#include "platform/VersionBuild.h"
#include "platform/VersionImage.h"
#include "platform/VersionQuery.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes BlockFor(const std::string& company)
{
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(2, 5, 0, 17);
    content.Tables = {{"040904E4", {{"CompanyName", company}, {"FileVersion", "2.5"}}}};
    content.Translation = TranslationBytes({{0x0409, 0x04E4}});
    return BuildVersionBlock(content);
}

std::string CompanyOf(const std::optional<TBytes>& block)
{
    return block ? QueryStringValue(*block, "040904E4", "CompanyName") : "(no block)";
}

TVersionBlockContent SampleContent()
{
    TVersionBlockContent content;
    content.Fixed = MakeFixedFileInfo(1, 2, 3, 4, 0x03);
    content.Tables = {
        {"040904E4", {{"CompanyName", "Quillmoor"}, {"FileVersion", "1.2 beta"}, {"Comments", ""}}},
        {"040704B0", {{"CompanyName", "Quillmoor GmbH"}}}};
    content.Translation = TranslationBytes({{0x0409, 0x04E4}, {0x0407, 0x04B0}});
    return content;
}

std::uint16_t Word(const TBytes& b, std::size_t at)
{
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}

void SetWord(TBytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

// Offset of the node whose key (UTF-16) is `key`, found by scanning the bytes.
std::size_t NodeOffset(const TBytes& b, const std::u16string& key)
{
    for (std::size_t at = 0; at + 6 + key.size() * 2 <= b.size(); at += 2) {
        bool same = true;
        for (std::size_t i = 0; same && i < key.size(); ++i)
            same = Word(b, at + 6 + i * 2) == key[i];
        if (same)
            return at;
    }
    ADD_FAILURE() << "no such node";
    return 0;
}

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

TEST(VersionImage, FindsTheBlockInPeAndElfImages)
{
    const TBytes block = BlockFor("Quillmoor");
    EXPECT_EQ(FindVersionBlock(BuildPeImage({{0x0409, block}}, false).Bytes), block);
    EXPECT_EQ(FindVersionBlock(BuildPeImage({{0x0409, block}}, true).Bytes), block);
    EXPECT_EQ(FindVersionBlock(BuildElfImage(block, kVersionSectionName)), block);
    for (const char* section : {".zxversionx", ".zxversio", ".data"})
        EXPECT_FALSE(FindVersionBlock(BuildElfImage(block, section))) << section;

    // Language neutral first, then US English, else the first language.
    auto chosen = [](std::vector<std::uint16_t> languages) {
        std::vector<TPeVersion> versions;
        for (std::uint16_t l : languages)
            versions.push_back({l, BlockFor("lang " + std::to_string(l))});
        return CompanyOf(FindVersionBlock(BuildPeImage(versions, true).Bytes));
    };
    EXPECT_EQ(chosen({0x0000, 0x0407, 0x0409}) + "|" + chosen({0x0407, 0x0409, 0x040C}) + "|" +
                  chosen({0x0407, 0x040C}),
              "lang 0|lang 1033|lang 1031");
    EXPECT_FALSE(FindVersionBlock({}));
    EXPECT_FALSE(FindVersionBlock(block));  // a bare block is no image
}

// Bounds and counts are also checked by the fuzzer under the sanitizers; these are the refusals
// that a reader which merely stays in bounds could still get wrong.
TEST(VersionImage, RefusesBrokenHeadersDirectoriesAndSections)
{
    const TPeImage pe = BuildPeImage({{0x0409, BlockFor("x")}}, true);
    const TBytes elf = BuildElfImage(BlockFor("x"), kVersionSectionName);
    const std::size_t root = pe.ResourceOffset, names = pe.NameDirectoryOffset;
    const std::size_t langs = pe.LanguageDirectoryOffset, block = pe.BlockOffsets[0];
    const std::size_t elfTable =
        elf[0x28] | elf[0x29] << 8 | elf[0x2A] << 16 | std::size_t(elf[0x2B]) << 24;
    struct TCase {
        const char* What;
        const TBytes& Image;
        std::size_t At;
        std::uint32_t Value;
        int Width;
    } const cases[] = {
        {"PE header offset wraps", pe.Bytes, 0x3C, 0xFFFFFFFF, 4},
        {"excessive entry count", pe.Bytes, root + 14, kMaxResourceEntries + 1, 2},
        {"name directory points at itself", pe.Bytes, names + 20,
         0x80000000u | std::uint32_t(names - root), 4},
        {"language entry is a directory", pe.Bytes, langs + 20,
         0x80000000u | std::uint32_t(langs - root), 4},
        {"block longer than its resource", pe.Bytes, block, 0xFFF0, 2},
        {"ELF content past the end", elf, elfTable + 2 * 64 + 24, 0x7FFFFFF0, 4},  // 3rd section
    };
    for (const TCase& c : cases) {
        TBytes b = c.Image;
        for (int i = 0; i < c.Width; ++i)
            b[c.At + std::size_t(i)] = std::uint8_t(c.Value >> (8 * i));
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
}

TEST(VersionQuery, ReadsFixedRecordTranslationsAndStrings)
{
    TBytes block = BuildVersionBlock(SampleContent());
    ASSERT_TRUE(IsVersionBlock(block));
    EXPECT_EQ(QueryFixedFileInfo(block)->FileVersionLS, 0x00030004u);
    EXPECT_EQ(QueryTranslations(block).size(), 2u);
    EXPECT_EQ(QueryStringValue(block, "040704B0", "CompanyName"), "Quillmoor GmbH");
    // Keys and table names match whatever the case of their ASCII letters.
    EXPECT_EQ(QueryStringValue(block, "040904e4", "companyname"), "Quillmoor");
    // Absent: another table's key is not borrowed; an unknown table gives nothing.
    EXPECT_EQ(QueryStringValue(block, "040704B0", "FileVersion"), "");
    EXPECT_EQ(QueryStringValue(block, "041104B0", "CompanyName"), "");
    TVersionValue v;
    EXPECT_TRUE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\Comments", v) && v.IsText &&
                v.Text.empty());
    EXPECT_FALSE(VerQueryValue(block, "\\StringFileInfo\\040904E4\\CompanyName\\Deeper", v));

    // Text stored as UTF-16 is converted to UTF-8.
    TVersionBlockContent content;
    const std::string text = "\xC2\xA9 2024 Z\xC3\xBCrich \xF0\x9F\x93\x81";
    content.Tables = {{"040904B0", {{"LegalCopyright", text}, {"Comments", "ab"}}}};
    TBytes wide = BuildVersionBlock(content);
    EXPECT_EQ(QueryStringValue(wide, "040904B0", "LegalCopyright"), text);
    // A lone high surrogate in the file becomes U+FFFD, never bytes that are not UTF-8.
    std::size_t value = (NodeOffset(wide, u"Comments") + 6 + 9 * 2 + 3) & ~std::size_t(3);
    SetWord(wide, value, 0xD800);
    EXPECT_EQ(QueryStringValue(wide, "040904B0", "Comments"), std::string("\xEF\xBF\xBD") + "b");
}

TEST(VersionQuery, TranslationsTakenAsStored)
{
    auto first = [](std::optional<TBytes> translation) {
        TVersionBlockContent content;
        content.Tables = {{"040904E4", {{"ProductName", "Zarvex"}}}};
        content.Translation = std::move(translation);
        return FirstTranslationName(BuildVersionBlock(content));
    };
    EXPECT_EQ(first(TBytes{0x09, 0x04}), "04090000");        // a language without code page
    EXPECT_EQ(first(TBytes{0x09, 0x04, 0xE4}), "04090000");  // an incomplete code page is none
    TVersionBlockContent bare;  // no fixed record, no translation: the strings are still there
    bare.Tables = {{"040904E4", {{"ProductName", "Zarvex"}}}};
    EXPECT_FALSE(QueryFixedFileInfo(BuildVersionBlock(bare)));
    EXPECT_EQ(QueryStringValue(BuildVersionBlock(bare), "040904E4", "ProductName"), "Zarvex");
}

TEST(VersionQuery, MalformedNodesEndTheQuery)
{
    const TBytes good = BuildVersionBlock(SampleContent());
    const std::size_t sfi = NodeOffset(good, u"StringFileInfo");
    const std::size_t table = NodeOffset(good, u"040904E4");
    const std::size_t company = NodeOffset(good, u"CompanyName");
    const std::tuple<const char*, std::size_t, std::uint16_t> cases[] = {
        {"string table longer than its parent", table, std::uint16_t(Word(good, sfi) + 4)},
        {"zero length: what follows is padding, not a node", table, 0},
        {"string longer than its table", company, 0x7FF0},
        {"text without terminator inside its node", company,
         std::uint16_t(Word(good, company) - 2)},
    };
    for (const auto& [what, at, word] : cases) {
        TBytes b = good;
        SetWord(b, at, word);
        EXPECT_EQ(QueryStringValue(b, "040904E4", "CompanyName"), "") << what;
        // The other branch of the tree is still sound and still read.
        EXPECT_EQ(FirstTranslationName(b), "040904E4") << what;
    }
    // Binary values longer than their node, or shorter than a fixed record, are not read.
    for (std::uint16_t rootValue : {0xFFF0, 40}) {
        TBytes b = good;
        SetWord(b, 2, rootValue);
        EXPECT_FALSE(QueryFixedFileInfo(b)) << rootValue;
    }
}

// The file rows read one string, from the first translation's table only.
TEST_F(VersionFile, StringsComeFromTheFirstTranslationOnlyAndNeverFromANonPeFile)
{
    std::string first = WritePe("tool.exe", TranslationBytes({{0x0409, 0x04E4}}),
                                {{"040904E4", {{"FileVersion", " 3.1 (beta) "}}}});
    EXPECT_EQ(ReadVersionString(first, "FileVersion"), " 3.1 (beta) ");  // not trimmed
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
