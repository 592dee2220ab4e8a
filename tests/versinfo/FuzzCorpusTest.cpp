// Every file of the fuzzer's corpus (seeds and the regression files of earlier finds) read
// as a file on disk: no crash, and each "ok-*" seed gives a sound block.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"

namespace fs = std::filesystem;

TEST(VersionCorpus, EveryCorpusFileIsReadSafely)
{
    const fs::path corpus = ZARVEX_FUZZ_CORPUS;
    int files = 0, sound = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        ++files;
        std::string name = entry.path().filename().string();
        std::optional<std::vector<std::uint8_t>> block = ReadNativeVersionBlock(entry.path().string());
        if (name.rfind("ok-", 0) == 0) {
            ASSERT_TRUE(block) << name;
            EXPECT_TRUE(IsVersionBlock(*block)) << name;
            EXPECT_TRUE(QueryFixedFileInfo(*block)) << name;
            EXPECT_TRUE(FirstTranslationName(*block)) << name;
            ++sound;
        }
    }
    EXPECT_GE(files, 6);
    EXPECT_GE(sound, 4);
}
