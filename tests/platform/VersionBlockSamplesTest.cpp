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

using TBytes = std::vector<std::uint8_t>;

std::string VersionText(std::uint32_t ms, std::uint32_t ls)
{
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." + std::to_string(ls >> 16) +
           "." + std::to_string(ls & 0xFFFF);
}

TBytes FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

// Every value the reader gives for the sample, side by side with exiftool's.
void ExpectSameAsExifTool(const std::string& path, const char* peType)
{
    if (!SampleAvailable(path)) return;
    std::map<std::string, std::string> tags = ExifToolTags(path);
    ASSERT_EQ(Tag(tags, "PEType"), peType) << "the sample is not the kind of PE file it should be";
    std::optional<TBytes> block = ReadNativeVersionBlock(path);
    ASSERT_TRUE(block) << path;

    std::optional<TFixedFileInfo> fixed = QueryFixedFileInfo(*block);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(VersionText(fixed->FileVersionMS, fixed->FileVersionLS), Tag(tags, "FileVersionNumber"));
    EXPECT_EQ(VersionText(fixed->ProductVersionMS, fixed->ProductVersionLS), Tag(tags, "ProductVersionNumber"));
    EXPECT_EQ(std::to_string(fixed->FileFlags), Tag(tags, "FileFlags"));
    EXPECT_EQ(std::to_string(fixed->FileFlagsMask), Tag(tags, "FileFlagsMask"));
    EXPECT_EQ(std::to_string(fixed->FileOS), Tag(tags, "FileOS"));
    EXPECT_EQ(std::to_string(fixed->FileType), Tag(tags, "ObjectFileType"));

    std::optional<std::string> translation = FirstTranslationName(*block);
    ASSERT_TRUE(translation);
    EXPECT_EQ(*translation, Tag(tags, "LanguageCode") + Tag(tags, "CharacterSet"));

    int compared = 0;
    for (const TKeyTag& k : kStringKeys) {
        std::string ours = QueryStringValue(*block, *translation, k.Key);
        EXPECT_EQ(ours, Tag(tags, k.Tag)) << k.Key;
        compared += !ours.empty();
    }
    EXPECT_GE(compared, 6) << "too few strings to compare: is the sample the expected one?";
}

}  // namespace

TEST(VersionSamples, Zlib32AgreesWithExifTool) { ExpectSameAsExifTool(sample::kZlib32, "267"); }

TEST(VersionSamples, Zlib64AgreesWithExifTool) { ExpectSameAsExifTool(sample::kZlib64, "523"); }

TEST(VersionSamples, WinPthreadAgreesWithExifTool) { ExpectSameAsExifTool(sample::kWinPthread, "523"); }

TEST(VersionSamples, PeWithoutResourcesHasNoBlock)
{
    if (!SampleAvailable(sample::kNoResources)) return;
    EXPECT_EQ(Tag(ExifToolTags(sample::kNoResources), "FileVersionNumber"), "");
    EXPECT_FALSE(ReadNativeVersionBlock(sample::kNoResources));
}

TEST(VersionSamples, CopyCutInsideStringFileInfoHasNoBlock)
{
    if (!SampleAvailable(sample::kZlib64)) return;
    TBytes bytes = FileBytes(sample::kZlib64);
    const std::u16string key = u"StringFileInfo";
    std::string needle(reinterpret_cast<const char*>(key.data()), key.size() * 2);
    std::size_t at = std::string(bytes.begin(), bytes.end()).find(needle);
    ASSERT_NE(at, std::string::npos);

    TTempTree tree;
    std::string cut = tree.WriteFile("zlib1.dll", std::string(bytes.begin(), bytes.begin() + std::ptrdiff_t(at + 40)));
    EXPECT_FALSE(ReadNativeVersionBlock(cut));
    // The uncut copy still has its block: the cut, not the copying, loses it.
    std::string whole = tree.WriteFile("whole.dll", std::string(bytes.begin(), bytes.end()));
    EXPECT_TRUE(ReadNativeVersionBlock(whole));
}
