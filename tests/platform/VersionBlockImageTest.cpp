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
        for (std::uint16_t l : languages) versions.push_back({l, BlockFor("lang " + std::to_string(l))});
        return CompanyOf(FindVersionBlock(BuildPeImage(versions, true).Bytes));
    };
    EXPECT_EQ(chosen({0x0000, 0x0407, 0x0409}), "lang 0");
    EXPECT_EQ(chosen({0x0407, 0x0409, 0x040C}), "lang 1033");
    EXPECT_EQ(chosen({0x0407, 0x040C}), "lang 1031");

    EXPECT_FALSE(FindVersionBlock({}));
    EXPECT_FALSE(FindVersionBlock(block));  // a bare block is no image
}

TEST(VersionImage, RefusesBrokenHeadersDirectoriesAndSections)
{
    const TPeImage pe = BuildPeImage({{0x0409, BlockFor("x")}}, false);
    const TPeImage plus = BuildPeImage({{0x0409, BlockFor("x")}}, true);
    const TBytes elf = BuildElfImage(BlockFor("x"), kVersionSectionName);
    const std::size_t coff = pe.PeHeaderOffset + 4, opt = pe.OptionalHeaderOffset, sec = pe.SectionTableOffset;
    const std::size_t root = plus.ResourceOffset, names = plus.NameDirectoryOffset;
    const std::size_t langs = plus.LanguageDirectoryOffset, data = plus.DataEntryOffsets[0];
    const std::size_t block = plus.BlockOffsets[0];
    const std::uint32_t namesRel = std::uint32_t(names - root), langsRel = std::uint32_t(langs - root);
    const std::size_t elfTable = elf[0x28] | elf[0x29] << 8 | elf[0x2A] << 16 | std::size_t(elf[0x2B]) << 24;
    const std::size_t elfVersion = elfTable + 2 * 64;  // the third section header
    struct TCase {
        const char* What;
        const TBytes& Image;
        std::size_t At;
        std::uint32_t Value;
        int Width;
    } const cases[] = {
        {"no MZ", pe.Bytes, 0, 'X', 1},
        {"PE header past the end", pe.Bytes, 0x3C, 0x7FFFFFF0, 4},
        {"PE header offset wraps", pe.Bytes, 0x3C, 0xFFFFFFFF, 4},
        {"no PE signature", pe.Bytes, pe.PeHeaderOffset, 0x00004550 ^ 0x100, 4},
        {"no sections", pe.Bytes, coff + 2, 0, 2},
        {"too many sections", pe.Bytes, coff + 2, kMaxPeSections + 1, 2},
        {"optional header too small for the directories", pe.Bytes, coff + 16, 92, 2},
        {"optional header past the end", pe.Bytes, coff + 16, 0xFFFF, 2},
        {"unknown optional header", pe.Bytes, opt, 0x107, 2},
        {"no resource directory slot", pe.Bytes, opt + 92, 2, 4},
        {"no resource directory", pe.Bytes, opt + 96 + 16, 0, 4},
        {"resource directory in no section", pe.Bytes, opt + 96 + 16, 0x9000, 4},
        {"resource directory at the last byte of the section", pe.Bytes, opt + 96 + 16, 0x1000 + 0x1FF, 4},
        {"section's raw data past the end", pe.Bytes, sec + 20, 0x7FFFFF00, 4},
        {"section holds no raw data", pe.Bytes, sec + 16, 0, 4},
        {"block past the section's virtual size", plus.Bytes, plus.SectionTableOffset + 8,
         std::uint32_t(block - root + 8), 4},
        {"excessive entry count", plus.Bytes, root + 14, kMaxResourceEntries + 1, 2},
        {"entry count past the section", plus.Bytes, root + 14, 4000, 2},
        {"empty type directory", plus.Bytes, root + 14, 0, 2},
        {"no version type", plus.Bytes, root + 16, 6, 4},
        {"version type names data, not a directory", plus.Bytes, root + 20, namesRel, 4},
        {"type entry points past the section", plus.Bytes, root + 20, 0x80000000u | 0x7FFF0000u, 4},
        {"name directory points at itself", plus.Bytes, names + 20, 0x80000000u | namesRel, 4},
        {"language entry is a directory", plus.Bytes, langs + 20, 0x80000000u | langsRel, 4},
        {"data entry outside the section", plus.Bytes, langs + 20, 0x7FFFFFF0u, 4},
        {"block RVA in no section", plus.Bytes, data, 0x00400000u, 4},
        {"declared size shorter than the block", plus.Bytes, data + 4, 8, 4},
        {"block shorter than its header", plus.Bytes, block, 4, 2},
        {"block longer than its resource", plus.Bytes, block, 0xFFF0, 2},
        {"ELF big-endian", elf, 5, 0x0102, 2},  // data encoding 2, version 1
        {"ELF unknown class", elf, 4, 0x0103, 2},
        {"ELF section table past the end", elf, 0x28, 0x7FFFFFF0, 4},
        {"ELF section entries too small", elf, 0x3A, 32, 2},
        {"ELF without sections", elf, 0x3C, 0, 2},
        {"ELF with too many sections", elf, 0x3C, kMaxElfSections + 1, 2},
        {"ELF name table index out of range", elf, 0x3E, 3, 2},
        {"ELF name past the name table", elf, elfVersion, 0x1000, 4},
        {"ELF section not program data", elf, elfVersion + 4, 8, 4},
        {"ELF content past the end", elf, elfVersion + 24, 0x7FFFFFF0, 4},
        {"ELF section shorter than the block", elf, elfVersion + 32, 12, 4},
    };
    for (const TCase& c : cases) {
        TBytes b = c.Image;
        for (int i = 0; i < c.Width; ++i) b[c.At + std::size_t(i)] = std::uint8_t(c.Value >> (8 * i));
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
}

TEST(VersionImage, TruncatedImageHasABlockOnlyWhenTheWholeBlockIsThere)
{
    const TBytes block = BlockFor("Quillmoor");
    const TPeImage img = BuildPeImage({{0x0409, block}}, false);
    const std::size_t blockEnd = img.BlockOffsets[0] + block.size();
    for (std::size_t n = 0; n <= img.Bytes.size(); n += (n < blockEnd + 8 ? 1 : 64))
        EXPECT_EQ(FindVersionBlock(std::span(img.Bytes.data(), n)).has_value(), n >= blockEnd) << n;
}

// Random damage: no read outside the image (the sanitizer build checks) and any block found is sound.
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
            for (int hits = 1 + int(random() % 4); hits > 0; --hits) b[random() % b.size()] = std::uint8_t(random());
            if (std::optional<TBytes> found = FindVersionBlock(b)) {
                ASSERT_TRUE(IsVersionBlock(*found));
                QueryFixedFileInfo(*found);
                for (TTranslation t : QueryTranslations(*found))
                    QueryStringValue(*found, TranslationName(t.Language, t.CodePage), "CompanyName");
            }
        }
    }
}
