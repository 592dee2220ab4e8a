// Real PE files from Debian's packages: what the reader finds equals what exiftool prints for
// the same file at test time.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"
#include "support/TempTree.h"
#include "versinfo/ExifTool.h"

namespace {

std::string VersionText(std::uint32_t ms, std::uint32_t ls)
{
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) + "." +
           std::to_string(ls & 0xFFFF);
}

}  // namespace

TEST(VersionSamples, EveryValueAgreesWithExifTool)
{
    const std::pair<std::string, const char*> samples[] = {
        {sample::kZlib32, "267"}, {sample::kZlib64, "523"}, {sample::kWinPthread, "523"}};  // PE32, PE32+
    for (const auto& [path, peType] : samples) {
        SCOPED_TRACE(path);
        if (!SampleAvailable(path)) continue;
        std::map<std::string, std::string> tags = ExifToolTags(path);
        ASSERT_EQ(tags["PEType"], peType) << "the sample is not the kind of PE file it should be";
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(path);
        ASSERT_TRUE(block);
        std::optional<TFixedFileInfo> fixed = QueryFixedFileInfo(*block);
        ASSERT_TRUE(fixed);
        EXPECT_EQ(VersionText(fixed->FileVersionMS, fixed->FileVersionLS), tags["FileVersionNumber"]);
        EXPECT_EQ(VersionText(fixed->ProductVersionMS, fixed->ProductVersionLS), tags["ProductVersionNumber"]);
        EXPECT_EQ(std::to_string(fixed->FileFlags), tags["FileFlags"]);
        EXPECT_EQ(std::to_string(fixed->FileFlagsMask), tags["FileFlagsMask"]);
        EXPECT_EQ(std::to_string(fixed->FileOS), tags["FileOS"]);
        EXPECT_EQ(std::to_string(fixed->FileType), tags["ObjectFileType"]);
        std::optional<std::string> translation = FirstTranslationName(*block);
        ASSERT_TRUE(translation);
        EXPECT_EQ(*translation, tags["LanguageCode"] + tags["CharacterSet"]);
        int compared = 0;
        for (std::string key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                                "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments",
                                "Comment", "Licence", "Info"}) {
            std::string ours = QueryStringValue(*block, *translation, key);
            EXPECT_EQ(ours, tags[key == "OriginalFilename" ? "OriginalFileName" : key]) << key;
            compared += !ours.empty();
        }
        EXPECT_GE(compared, 6) << "too few strings to compare: is the sample the expected one?";
    }
}

TEST(VersionSamples, NoBlockWithoutResourcesOrInACopyCutShort)
{
    if (!SampleAvailable(sample::kNoResources) || !SampleAvailable(sample::kZlib64)) return;
    EXPECT_EQ(ExifToolTags(sample::kNoResources)["FileVersionNumber"], "");
    EXPECT_FALSE(ReadNativeVersionBlock(sample::kNoResources));

    std::ifstream in(sample::kZlib64, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const std::u16string key = u"StringFileInfo";
    std::size_t at = bytes.find(std::string(reinterpret_cast<const char*>(key.data()), key.size() * 2));
    ASSERT_NE(at, std::string::npos);
    TTempTree tree;
    EXPECT_FALSE(ReadNativeVersionBlock(tree.WriteFile("cut.dll", bytes.substr(0, at + 40))));
    // The uncut copy still has its block: the cut, not the copying, loses it.
    EXPECT_TRUE(ReadNativeVersionBlock(tree.WriteFile("whole.dll", bytes)));
}
