#include <gtest/gtest.h>

#include <vector>

#include "support/TempTree.h"
#include "text/LocaleCompare.h"

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

class LocaleCompare : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override { SetCollationLocale(GetParam()); }
    void TearDown() override { SetCollationLocale(""); }
};

}  // namespace

TEST_P(LocaleCompare, PairsOfNames)
{
    constexpr int Differ = 2;  // unequal, either way round
    const struct {
        std::string a, b;
        int order;
    } cases[] = {
        // Case is ignored, accents are not; canonically equal spellings are equal.
        {"README.TXT", "readme.txt", 0},
        {"\xC3\x89", "\xC3\xA9", 0},   // É and é
        {"\xC3\xA9", "e\xCC\x81", 0},  // precomposed é and e with a combining acute
        {"\xC3\xA9", "e", Differ},
        {"a", "B", -1},
        // Bytes that are not UTF-8 are characters of their own, equal to no valid text.
        {"a\xFF", "a", Differ},
        {"\x80", "\xEE\x82\x80", Differ},  // the private-use character standing in for 0x80
        {"\xC0\xAF", "/", Differ},         // overlong
        {"README\xFF.TXT", "readme\xFF.txt", 0},
        // Blanks count and sort before digits, so right-aligned sizes sort numerically; passing
        // over blanks would put size 50 between two names of size 5.
        {"        5 0c", "       50 0a", -1},
        {"        9 ~x", "       10  lead", -1},
        {"       99 \xC3\xA9t\xC3\xA9", "      100 a", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.a) + " vs " + testing::PrintToString(c.b));
        const int order = Sign(AnsiCompareText(c.a, c.b));
        if (c.order == Differ)
            EXPECT_NE(order, 0);
        else
            EXPECT_EQ(order, c.order);
        EXPECT_EQ(Sign(CollationKey(c.a).compare(CollationKey(c.b))), order);
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleCompare,
                         testing::Values("C", "en_US", "de_DE", "fr_FR", "sv_SE"));

TEST(LocaleCompareChoice, TheLocaleDecidesWhereLettersGo)
{
    // German treats ä as an accented a; Swedish puts it after z.
    SetCollationLocale("de_DE");
    EXPECT_LT(AnsiCompareText("\xC3\xA4", "b"), 0);
    {
        TEnvGuard all("LC_ALL", "");
        TEnvGuard collate("LC_COLLATE", "sv_SE");
        TEnvGuard lang("LANG", "de_DE.UTF-8");
        SetCollationLocale("");
        EXPECT_GT(AnsiCompareText("\xC3\xA4", "z"), 0);
    }
    // A name ICU cannot use still gives a working, case-insensitive comparison.
    SetCollationLocale("../../etc/passwd");
    EXPECT_EQ(AnsiCompareText("ABC", "abc"), 0);
    SetCollationLocale("");
}
