#include <gtest/gtest.h>

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

TEST(VersionImage, RefusesBrokenHeadersDirectoriesAndSections)
{
    const TPeImage pe = BuildPeImage({{0x0409, BlockFor("x")}}, false);
    const TPeImage plus = BuildPeImage({{0x0409, BlockFor("x")}}, true);
    const TBytes elf = BuildElfImage(BlockFor("x"), kVersionSectionName);
    const std::size_t coff = pe.PeHeaderOffset + 4, opt = pe.OptionalHeaderOffset;
    const std::size_t root = plus.ResourceOffset, names = plus.NameDirectoryOffset;
    const std::size_t langs = plus.LanguageDirectoryOffset, data = plus.DataEntryOffsets[0];
    const std::size_t block = plus.BlockOffsets[0];
    const std::uint32_t namesRel = std::uint32_t(names - root),
                        langsRel = std::uint32_t(langs - root);
    const std::size_t elfTable =
        elf[0x28] | elf[0x29] << 8 | elf[0x2A] << 16 | std::size_t(elf[0x2B]) << 24;
    const std::size_t elfVersion = elfTable + 2 * 64;  // the third section header
    struct TCase {
        const char* What;
        const TBytes& Image;
        std::size_t At;
        std::uint32_t Value;
        int Width;
    } const cases[] = {
        {"PE header offset wraps", pe.Bytes, 0x3C, 0xFFFFFFFF, 4},
        {"too many sections", pe.Bytes, coff + 2, kMaxPeSections + 1, 2},
        {"resource directory in no section", pe.Bytes, opt + 96 + 16, 0x9000, 4},
        {"block past the section's virtual size", plus.Bytes, plus.SectionTableOffset + 8,
         std::uint32_t(block - root + 8), 4},
        {"excessive entry count", plus.Bytes, root + 14, kMaxResourceEntries + 1, 2},
        {"name directory points at itself", plus.Bytes, names + 20, 0x80000000u | namesRel, 4},
        {"language entry is a directory", plus.Bytes, langs + 20, 0x80000000u | langsRel, 4},
        {"declared size shorter than the block", plus.Bytes, data + 4, 8, 4},
        {"block longer than its resource", plus.Bytes, block, 0xFFF0, 2},
        {"ELF with too many sections", elf, 0x3C, kMaxElfSections + 1, 2},
        {"ELF content past the end", elf, elfVersion + 24, 0x7FFFFFF0, 4},
        {"ELF section shorter than the block", elf, elfVersion + 32, 12, 4},
    };
    for (const TCase& c : cases) {
        TBytes b = c.Image;
        for (int i = 0; i < c.Width; ++i)
            b[c.At + std::size_t(i)] = std::uint8_t(c.Value >> (8 * i));
        EXPECT_FALSE(FindVersionBlock(b)) << c.What;
    }
}
