#include "platform/FileFind.h"

#include <gtest/gtest.h>

TEST(MatchesMask, StarDotStarMatchesEveryName)
{
    for (const char* name : {"readme", "a.b.c", ".hidden", "trailing.", "\xff\xfe"}) {
        EXPECT_TRUE(MatchesMask(name, "*.*")) << name;
        EXPECT_TRUE(MatchesMask(name, "**")) << name;
    }
}

TEST(MatchesMask, ExtensionsIgnoreCaseAndMatchOnlyAtTheEnd)
{
    EXPECT_TRUE(MatchesMask("REPORT.TXT", "*.txt"));
    EXPECT_TRUE(MatchesMask("a.b.txt", "*.TXT"));
    EXPECT_FALSE(MatchesMask("report.txt.bak", "*.txt"));
    EXPECT_FALSE(MatchesMask("reporttxt", "*.txt"));
    EXPECT_TRUE(MatchesMask("readme", "readme.*"));  // as "*.*" takes names without a dot
    EXPECT_FALSE(MatchesMask("readmes", "readme.*"));
    EXPECT_FALSE(MatchesMask("Makefile2", "makefile"));
    // Letters beyond ASCII fold too; bytes that are no UTF-8 match only themselves.
    EXPECT_TRUE(MatchesMask("\xc3\xa4rger.txt", "\xc3\x84RGER.*"));            // ärger, ÄRGER
    EXPECT_TRUE(MatchesMask("\xce\xb1\xce\xb2\xce\xb3", "\xce\x91?\xce\x93"));  // αβγ, Α?Γ
    EXPECT_FALSE(MatchesMask("\xc3\xa4", "a"));
    EXPECT_FALSE(MatchesMask("\xc3", "\xe3"));
}

TEST(MatchesMask, QuestionMarkIsExactlyOneCharacter)
{
    EXPECT_TRUE(MatchesMask("a.c", "a?c"));
    EXPECT_FALSE(MatchesMask("ac", "a?c"));
    EXPECT_FALSE(MatchesMask("abbc", "a?c"));
    EXPECT_TRUE(MatchesMask("a\xc3\xa9" "c", "a?c"));          // é: two bytes
    EXPECT_TRUE(MatchesMask("a\xf0\x9f\x98\x80" "c", "a?c"));  // four bytes
    EXPECT_TRUE(MatchesMask("a\xff" "c", "a?c"));              // a stray byte counts as one
    EXPECT_FALSE(MatchesMask("a\xff\xfe" "c", "a?c"));
}

TEST(MatchesMask, NothingElseIsSpecialAndStarsBacktrack)
{
    EXPECT_TRUE(MatchesMask("[a].txt", "[a].txt"));
    EXPECT_FALSE(MatchesMask("a.txt", "[a].txt"));
    EXPECT_FALSE(MatchesMask("a", "a,b"));
    EXPECT_FALSE(MatchesMask("anything", ""));
    EXPECT_TRUE(MatchesMask("xxaxxbxx", "*a*b*"));
    EXPECT_TRUE(MatchesMask("abcabd", "*ab?"));
    std::string many(250, 'a');
    EXPECT_FALSE(MatchesMask(many, "*a*a*a*a*a*a*a*a*a*a*b"));
    EXPECT_TRUE(MatchesMask(many + "b", "*a*a*a*a*a*a*a*a*a*a*b"));
}

TEST(PassesAttrFilter, SpecialAttributesMustBeAskedFor)
{
    EXPECT_TRUE(PassesAttrFilter(faArchive | faReadOnly, 0));
    EXPECT_FALSE(PassesAttrFilter(faArchive | faHidden, 0));
    EXPECT_TRUE(PassesAttrFilter(faArchive | faHidden, faHidden));
    EXPECT_FALSE(PassesAttrFilter(faDirectory | faHidden, faDirectory));
    EXPECT_TRUE(PassesAttrFilter(faDirectory | faHidden, faAnyFile));
    EXPECT_FALSE(PassesAttrFilter(faSysFile, faDirectory | faHidden));
}
