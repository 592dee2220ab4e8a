#include <gtest/gtest.h>

#include "platform/FileFind.h"

TEST(MatchesMask, WindowsWildcardRules)
{
    const std::string many(250, 'a');
    const std::tuple<std::string, const char*, bool> cases[] = {
        // "*.*" and "**" match every name, "*." the names without an extension.
        {"readme", "*.*", true},
        {".hidden", "**", true},
        {"\xff\xfe", "*.*", true},
        {"readme", "*.", true},
        {"a.txt", "*.", false},
        {"a.b.c", "*.", false},
        {"x", "x*.", true},
        // Extensions ignore case and match only at the end; "x.*" also takes "x".
        {"REPORT.TXT", "*.txt", true},
        {"report.txt.bak", "*.txt", false},
        {"reporttxt", "*.txt", false},
        {"readme", "readme.*", true},
        {"Makefile2", "makefile", false},
        // Letters beyond ASCII fold too; bytes that are no UTF-8 match only themselves.
        {"\xc3\xa4rger.txt", "\xc3\x84RGER.*", true},             // ärger, ÄRGER
        {"\xce\xb1\xce\xb2\xce\xb3", "\xce\x91?\xce\x93", true},  // αβγ, Α?Γ
        {"\xc3\xa4", "a", false},
        {"\xc3", "\xe3", false},
        // "?" is one character, of however many bytes (a stray byte counts as one), or none where
        // a name part ends; it never takes the dot.
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"a.c", "a?c", false},
        {"a", "a??", true},
        {"a.txt", "a??.txt", true},
        {"abc.txt", "a??.txt", true},
        {"abcd.txt", "a??.txt", false},
        {"a\xf0\x9f\x98\x80"
         "c",
         "a?c", true},
        {"a\xff"
         "c",
         "a?c", true},
        {"a\xff\xfe"
         "c",
         "a?c", false},
        // Nothing else is special; an empty mask matches nothing; stars backtrack.
        {"a.txt", "[a].txt", false},
        {"a", "a,b", false},
        {"anything", "", false},
        {"abcabd", "*ab?", true},
        {many, "*a*a*a*a*a*a*a*a*a*a*b", false},
        {many + "b", "*a*a*a*a*a*a*a*a*a*a*b", true},
    };
    for (const auto& [name, mask, matches] : cases)
        EXPECT_EQ(MatchesMask(name, mask), matches) << name << " / " << mask;
}
