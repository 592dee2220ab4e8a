// Every file of the fuzzer's corpus (seeds and the regression files of earlier finds) read
// as a file on disk: no crash, and each "ok-*" seed gives a sound block.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"

TEST(VersionCorpus, EveryCorpusFileIsReadSafely)
{
    int files = 0, sound = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZARVEX_FUZZ_CORPUS)) {
        ++files;
        std::string name = entry.path().filename().string();
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(entry.path().string());
        if (!name.starts_with("ok-")) continue;
        ASSERT_TRUE(block) << name;
        EXPECT_TRUE(IsVersionBlock(*block) && QueryFixedFileInfo(*block) && FirstTranslationName(*block)) << name;
        ++sound;
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(sound, 4);
}
