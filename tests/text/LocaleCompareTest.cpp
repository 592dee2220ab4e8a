#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

#include "support/TempTree.h"
#include "text/LocaleCompare.h"

using namespace std::string_literals;

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

int KeyOrder(std::string_view a, std::string_view b)
{
    return Sign(CollationKey(a).compare(CollationKey(b)));
}

class LocaleCompare : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override { SetCollationLocale(GetParam()); }
    void TearDown() override { SetCollationLocale(""); }
};

std::string SizeEntry(long long size, const std::string& name)
{
    char key[32];
    std::snprintf(key, sizeof key, "%9lld ", size);
    return key + name;
}

std::string RandomBytes(std::mt19937& rng)
{
    static const std::string pool =
        "aAzZ \t01-_.\\\xC3\xA9\xC3\x89\xE2\x82\xAC\xF0\x9F\x98\x80\x80\xFF\xC0\xED\xA0"s + '\0';
    std::string s;
    const std::size_t len = rng() % 7;
    for (std::size_t i = 0; i < len; ++i) s += pool[rng() % pool.size()];
    return s;
}

}  // namespace

TEST_P(LocaleCompare, CaseIsIgnoredAccentsAreNot)
{
    EXPECT_EQ(AnsiCompareText("README.TXT", "readme.txt"), 0);
    EXPECT_EQ(AnsiCompareText("\xC3\x89", "\xC3\xA9"), 0);  // É and é
    EXPECT_NE(AnsiCompareText("\xC3\xA9", "e"), 0);
    EXPECT_NE(AnsiCompareText("r\xC3\xA9sum\xC3\xA9", "resume"), 0);
    EXPECT_LT(AnsiCompareText("a", "B"), 0);
    EXPECT_LT(AnsiCompareText("B", "c"), 0);
    EXPECT_LT(AnsiCompareText("abc", "abcd"), 0);
    EXPECT_EQ(CollationKey("C:\\DATA\\X.TXT"), CollationKey("c:\\data\\x.txt"));
    // A precomposed é and e with a combining acute are the same text.
    EXPECT_EQ(AnsiCompareText("\xC3\xA9", "e\xCC\x81"), 0);
}

TEST_P(LocaleCompare, RightAlignedSizesSortNumericallyAndStayTogether)
{
    std::mt19937 rng(3);
    // "0a", "b" and "0c" would interleave sizes 5 and 50 if blanks were passed over.
    const std::vector<std::string> names = {
        "a.txt", "Zeta.doc", "\xC3\xA9t\xC3\xA9.txt", "0a", "b", "0c", " lead", "~x", "b c"};
    const std::vector<long long> sizes = {
        0, 5, 9, 10, 50, 99, 100, 1234, 99999, 123456789, 999999999, 1000000000, 4294967295LL};
    std::vector<std::pair<long long, std::string>> entries;
    for (long long size : sizes)
        for (const std::string& name : names) entries.emplace_back(size, SizeEntry(size, name));
    std::shuffle(entries.begin(), entries.end(), rng);
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return AnsiCompareText(a.second, b.second) < 0;
    });
    // Every size forms one run, and sizes of at most 9 digits come in numeric order.
    std::vector<long long> runs;
    for (const auto& e : entries)
        if (runs.empty() || runs.back() != e.first)
            runs.push_back(e.first);
    ASSERT_EQ(runs.size(), sizes.size());
    runs.erase(std::remove_if(runs.begin(), runs.end(), [](long long s) { return s > 999999999; }),
               runs.end());
    EXPECT_TRUE(std::is_sorted(runs.begin(), runs.end()));
}

TEST_P(LocaleCompare, InvalidUtf8ComparesDistinctlyAndNeverEqualsValidText)
{
    EXPECT_NE(AnsiCompareText("\x80", "\x81"), 0);
    EXPECT_NE(AnsiCompareText("\xFF", "\xFE"), 0);
    EXPECT_NE(AnsiCompareText("a\xFF", "a"), 0);
    // The private-use character that stands in for the byte 0x80 is valid text of its own.
    EXPECT_NE(AnsiCompareText("\x80", "\xEE\x82\x80"), 0);
    EXPECT_NE(AnsiCompareText("\x80\xEE\x82\x80", "\xEE\x82\x80\x80"), 0);
    // Overlong forms, encoded surrogates and truncated sequences are no disguise.
    EXPECT_NE(AnsiCompareText("\xC0\xAF", "/"), 0);
    EXPECT_NE(AnsiCompareText("\xED\xA0\x80", "\xEF\xBF\xBD"), 0);
    EXPECT_NE(AnsiCompareText("\xC3", "\xC3\xA9"), 0);
    EXPECT_NE(AnsiCompareText("\xE2\x82", "\xE2\x82\xAC"), 0);
    // Case is still ignored around an invalid byte.
    EXPECT_EQ(AnsiCompareText("README\xFF.TXT", "readme\xFF.txt"), 0);
}

TEST_P(LocaleCompare, TotalOrderAgreesWithKeysOnArbitraryBytes)
{
    std::mt19937 rng(11);
    std::vector<std::string> sample;
    for (int i = 0; i < 300; ++i) sample.push_back(RandomBytes(rng));
    for (const std::string& a : sample) {
        ASSERT_EQ(AnsiCompareText(a, a), 0);
        for (int n = 0; n < 30; ++n) {
            const std::string& b = sample[rng() % sample.size()];
            const int ab = Sign(AnsiCompareText(a, b));
            ASSERT_EQ(ab, -Sign(AnsiCompareText(b, a)));
            ASSERT_EQ(ab, KeyOrder(a, b))
                << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
        }
    }
    // Sorting by the comparison and by the keys gives one order, which is transitive.
    std::vector<std::string> byCompare = sample, byKey = sample;
    std::stable_sort(
        byCompare.begin(), byCompare.end(),
        [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    std::stable_sort(byKey.begin(), byKey.end(), [](const std::string& a, const std::string& b) {
        return CollationKey(a) < CollationKey(b);
    });
    EXPECT_EQ(byCompare, byKey);
    for (std::size_t i = 1; i < byCompare.size(); ++i)
        ASSERT_LE(AnsiCompareText(byCompare[i - 1], byCompare[i]), 0);
}

INSTANTIATE_TEST_SUITE_P(Locales, LocaleCompare,
                         testing::Values("C", "en_US", "de_DE", "fr_FR", "sv_SE"));

TEST(LocaleCompareChoice, TheLocaleDecidesWhereLettersGo)
{
    // Swedish puts ä after z; German treats it as an accented a.
    SetCollationLocale("sv_SE");
    EXPECT_GT(AnsiCompareText("\xC3\xA4", "z"), 0);
    SetCollationLocale("de_DE");
    EXPECT_LT(AnsiCompareText("\xC3\xA4", "b"), 0);
    {
        TEnvGuard all("LC_ALL", "sv_SE.UTF-8");
        SetCollationLocale("");
        EXPECT_GT(AnsiCompareText("\xC3\xA4", "z"), 0);
    }
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
