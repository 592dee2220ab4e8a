// Finding the version block in PE and ELF images built byte by byte, and refusing every
// image whose headers, resource directories or block do not hold together.
#include <gtest/gtest.h>

#include <random>

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

void Set16(TBytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void Set32(TBytes& b, std::size_t at, std::uint32_t v)
{
    Set16(b, at, std::uint16_t(v));
    Set16(b, at + 2, std::uint16_t(v >> 16));
}

std::uint32_t Get32(const TBytes& b, std::size_t at)
{
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}

}  // namespace

TEST(VersionImage, FindsTheBlockInPe32AndPe32Plus)
{
    TBytes block = BlockFor("Quillmoor");
    for (bool plus : {false, true}) {
        TPeImage img = BuildPeImage({{0x0409, block}}, plus);
        std::optional<TBytes> found = FindVersionBlock(img.Bytes);
        ASSERT_TRUE(found) << plus;
        EXPECT_EQ(*found, block);
    }
}

TEST(VersionImage, ChoosesNeutralThenUsEnglishElseTheFirstLanguage)
{
    auto chosen = [](std::vector<std::uint16_t> languages) {
        std::vector<TPeVersion> versions;
        for (std::uint16_t l : languages) versions.push_back({l, BlockFor("lang " + std::to_string(l))});
        return CompanyOf(FindVersionBlock(BuildPeImage(versions, true).Bytes));
    };
    EXPECT_EQ(chosen({0x0000, 0x0407, 0x0409}), "lang 0");
    EXPECT_EQ(chosen({0x0407, 0x0409, 0x040C}), "lang 1033");
    EXPECT_EQ(chosen({0x0407, 0x040C}), "lang 1031");
}

TEST(VersionImage, RefusesBrokenHeaders)
{
    const TPeImage good = BuildPeImage({{0x0409, BlockFor("x")}}, false);
    const std::size_t coff = good.PeHeaderOffset + 4;
    const std::size_t opt = good.OptionalHeaderOffset;
    const std::size_t sec = good.SectionTableOffset;
    struct TCase {
        const char* What;
        std::size_t At;
        std::uint32_t Value;
        int Width;
    };
    const TCase cases[] = {
        {"no MZ", 0, 'X', 1},
        {"PE header past the end", 0x3C, 0x7FFFFFF0, 4},
        {"PE header offset wraps", 0x3C, 0xFFFFFFFF, 4},
        {"no PE signature", good.PeHeaderOffset, 0x00004550 ^ 0x100, 4},
        {"no sections", coff + 2, 0, 2},
        {"too many sections", coff + 2, kMaxPeSections + 1, 2},
        {"optional header too small for the directories", coff + 16, 92, 2},
        {"optional header past the end", coff + 16, 0xFFFF, 2},
        {"unknown optional header", opt, 0x107, 2},
        {"no resource directory slot", opt + 92, 2, 4},
        {"no resource directory", opt + 96 + 16, 0, 4},
        {"resource directory in no section", opt + 96 + 16, 0x9000, 4},
        {"resource directory at the last byte of the section", opt + 96 + 16, 0x1000 + 0x1FF, 4},
        {"section's raw data past the end", sec + 20, 0x7FFFFF00, 4},
        {"section holds no raw data", sec + 16, 0, 4},
    };
    for (const TCase& c : cases) {
        TBytes b = good.Bytes;
        if (c.Width == 1) b[c.At] = std::uint8_t(c.Value);
        if (c.Width == 2) Set16(b, c.At, std::uint16_t(c.Value));
        if (c.Width == 4) Set32(b, c.At, c.Value);
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
}

TEST(VersionImage, RefusesHostileResourceDirectories)
{
    const TPeImage good = BuildPeImage({{0x0409, BlockFor("x")}}, true);
    const std::size_t root = good.ResourceOffset;
    const std::size_t names = good.NameDirectoryOffset;
    const std::size_t langs = good.LanguageDirectoryOffset;
    const std::size_t data = good.DataEntryOffsets[0];
    const std::size_t block = good.BlockOffsets[0];
    const std::uint32_t namesRel = std::uint32_t(names - root), langsRel = std::uint32_t(langs - root);
    struct TCase {
        const char* What;
        std::size_t At;
        std::uint32_t Value;
        bool Word;
    };
    const TCase cases[] = {
        {"excessive entry count", root + 14, kMaxResourceEntries + 1, true},
        {"entry count past the section", root + 14, 4000, true},
        {"empty type directory", root + 14, 0, true},
        {"no version type", root + 16, 6, false},
        {"version type names data, not a directory", root + 20, namesRel, false},
        {"type entry points past the section", root + 20, 0x80000000u | 0x7FFF0000u, false},
        {"name directory points at itself", names + 20, 0x80000000u | namesRel, false},
        {"name directory points back at the root", names + 20, 0x80000000u, false},
        {"language entry is a directory", langs + 20, 0x80000000u | langsRel, false},
        {"data entry outside the section", langs + 20, 0x7FFFFFF0u, false},
        {"block RVA in no section", data, 0x00400000u, false},
        {"declared size shorter than the block", data + 4, 8, false},
        {"block shorter than its header", block, 4, true},
        {"block longer than its resource", block, 0xFFF0, true},
    };
    for (const TCase& c : cases) {
        TBytes b = good.Bytes;
        if (c.Word) Set16(b, c.At, std::uint16_t(c.Value));
        else Set32(b, c.At, c.Value);
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
    // A block that runs past the section's virtual size is outside the image in memory.
    TBytes b = good.Bytes;
    Set32(b, good.SectionTableOffset + 8, std::uint32_t(block - root + 8));
    EXPECT_FALSE(FindVersionBlock(b));
}

TEST(VersionImage, TruncatedImageHasABlockOnlyWhenTheWholeBlockIsThere)
{
    const TBytes block = BlockFor("Quillmoor");
    const TPeImage img = BuildPeImage({{0x0409, block}}, false);
    const std::size_t blockEnd = img.BlockOffsets[0] + block.size();
    for (std::size_t n = 0; n <= img.Bytes.size(); n += (n < blockEnd + 8 ? 1 : 64)) {
        std::span<const std::uint8_t> cut(img.Bytes.data(), n);
        EXPECT_EQ(FindVersionBlock(cut).has_value(), n >= blockEnd) << n;
    }
}

TEST(VersionImage, FindsTheBlockInAnElfSection)
{
    const TBytes block = BlockFor("Quillmoor");
    TBytes elf = BuildElfImage(block, kVersionSectionName);
    std::optional<TBytes> found = FindVersionBlock(elf);
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, block);

    EXPECT_FALSE(FindVersionBlock(BuildElfImage(block, ".zxversionx")));
    EXPECT_FALSE(FindVersionBlock(BuildElfImage(block, ".zxversio")));
    EXPECT_FALSE(FindVersionBlock(BuildElfImage(BlockFor("x"), ".data")));
}

TEST(VersionImage, RefusesBrokenElfFiles)
{
    const TBytes good = BuildElfImage(BlockFor("x"), kVersionSectionName);
    const std::size_t table = Get32(good, 0x28);
    const std::size_t version = table + 2 * 64;
    struct TCase {
        const char* What;
        std::size_t At;
        std::uint32_t Value;
        bool Word;
    };
    const TCase cases[] = {
        {"big-endian", 5, 0x0102, true},  // data encoding 2, version 1
        {"unknown class", 4, 0x0103, true},
        {"section table past the end", 0x28, 0x7FFFFFF0, false},
        {"section entries too small", 0x3A, 32, true},
        {"section entries too large", 0x3A, 0x4000, true},
        {"no sections", 0x3C, 0, true},
        {"too many sections", 0x3C, std::uint16_t(kMaxElfSections + 1), true},
        {"name table index out of range", 0x3E, 3, true},
        {"name past the name table", version, 0x1000, false},
        {"not program data", version + 4, 8, false},
        {"content past the end", version + 24, 0x7FFFFFF0, false},
        {"section shorter than the block", version + 32, 12, false},
    };
    for (const TCase& c : cases) {
        TBytes b = good;
        if (c.Word) Set16(b, c.At, std::uint16_t(c.Value));
        else Set32(b, c.At, c.Value);
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
}

TEST(VersionImage, OtherFilesHaveNoBlock)
{
    const std::string text = "MZ is not enough: this is a text file, not a program.";
    EXPECT_FALSE(FindVersionBlock(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size())));
    EXPECT_FALSE(FindVersionBlock({}));
    EXPECT_FALSE(FindVersionBlock(BlockFor("a bare block is no image")));
}

// Random damage to every part of the images: whatever the outcome, it is reached without a
// read outside the image (the sanitizer build checks that) and any block found is sound.
TEST(VersionImage, RandomDamageIsSafe)
{
    std::mt19937 random(20240611);
    const std::vector<TBytes> images = {
        BuildPeImage({{0x0000, BlockFor("a")}, {0x0409, BlockFor("b")}}, false).Bytes,
        BuildPeImage({{0x0409, BlockFor("c")}}, true).Bytes,
        BuildElfImage(BlockFor("d"), kVersionSectionName),
    };
    for (const TBytes& image : images) {
        for (int round = 0; round < 3000; ++round) {
            TBytes b = image;
            int hits = 1 + int(random() % 4);
            for (int i = 0; i < hits; ++i) b[random() % b.size()] = std::uint8_t(random());
            if (std::optional<TBytes> found = FindVersionBlock(b)) {
                ASSERT_TRUE(IsVersionBlock(*found));
                QueryFixedFileInfo(*found);
                for (TTranslation t : QueryTranslations(*found))
                    QueryStringValue(*found, TranslationName(t.Language, t.CodePage), "CompanyName");
            }
        }
    }
}
