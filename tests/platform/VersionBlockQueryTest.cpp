#include <gtest/gtest.h>

#include "platform/VersionBuild.h"
#include "platform/VersionQuery.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

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

}  // namespace

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
    EXPECT_EQ(first(TranslationBytes({{0x0407, 0x04E4}, {0x0409, 0x04B0}})), "040704E4");
    EXPECT_EQ(first(TBytes{0x09, 0x04}), "04090000");        // a language without code page
    EXPECT_EQ(first(TBytes{0x09, 0x04, 0xE4}), "04090000");  // an incomplete code page is none
    EXPECT_FALSE(first(TBytes{0x09}));
    EXPECT_FALSE(first(std::nullopt));
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
    TBytes b = good;
    SetWord(b, NodeOffset(b, u"Translation") + 2, 400);
    EXPECT_FALSE(FirstTranslationName(b));
}
