#include <gtest/gtest.h>

#include "text/TextUtil.h"

using namespace std::string_literals;

TEST(TextUtil, TrimAndCaseFoldingTouchOnlyTheirOwnBytes)
{
    EXPECT_EQ(Trim("  \t\r\n a b \x01\x1F "), "a b");
    EXPECT_EQ(Trim("\0x\0"s), "x");
    EXPECT_EQ(Trim(" \t "), "");
    // A no-break space (UTF-8 or Latin-1) and DEL are not blanks.
    EXPECT_EQ(Trim("\xC2\xA0x\xA0\x7F"), "\xC2\xA0x\xA0\x7F");

    EXPECT_EQ(UpperCaseAscii("c:\\sysbckup\\\xC3\xA9t\xC3\xA9@[`{"),
              "C:\\SYSBCKUP\\\xC3\xA9T\xC3\xA9@[`{");
    EXPECT_EQ(LowerCaseAscii("MM2048.DAT \xC3\x89@[`{"), "mm2048.dat \xC3\x89@[`{");
    EXPECT_EQ(CompareTextAscii("readme.TXT", "README.txt"), 0);
    EXPECT_LT(CompareTextAscii("ab", "ABC"), 0);
    EXPECT_GT(CompareTextAscii("_", "a"), 0);  // letters fold up, so "_" (95) sorts after them
    // Bytes beyond ASCII compare unsigned and unfolded.
    EXPECT_GT(CompareTextAscii("\xC3\xA9", "z"), 0);
    EXPECT_NE(CompareTextAscii("\xC3\xA9", "\xC3\x89"), 0);
}
