#include <gtest/gtest.h>

#include "platform/FileFind.h"

// Each mask with the names it matches and the names it does not.
TEST(MatchesMask, WindowsWildcardRules)
{
    const std::string many(250, 'a');
    const struct {
        std::string Mask;
        std::vector<std::string> Match, Miss;
    } cases[] = {
        // "*.*" and "**" match every name, "*." the names without an extension.
        {"*.*", {"readme", "\xff\xfe"}, {}},
        {"**", {".hidden"}, {}},
        {"*.", {"readme", "x"}, {"a.txt", "a.b.c"}},
        // Extensions ignore case and match only at the end; "x.*" also takes "x".
        {"*.txt", {"REPORT.TXT"}, {"report.txt.bak", "reporttxt"}},
        {"readme.*", {"readme", "README.md"}, {"readme2"}},
        {"makefile", {"Makefile"}, {"Makefile2"}},
        // Letters beyond ASCII fold too (ärger, αβγ); bytes that are no UTF-8 match only
        // themselves.
        {"\xc3\x84RGER.*", {"\xc3\xa4rger.txt"}, {}},
        {"\xce\x91?\xce\x93", {"\xce\xb1\xce\xb2\xce\xb3"}, {}},
        {"a", {}, {"\xc3\xa4"}},
        {"\xe3", {}, {"\xc3"}},
        // "?" is one character, of however many bytes (a stray byte counts as one), or none
        // where a name part ends; it never takes the dot.
        {"a?c", {"a\xf0\x9f\x98\x80\x63", "a\xff\x63"}, {"ac", "abbc", "a.c", "a\xff\xfe\x63"}},
        {"a??", {"a", "ab"}, {"abcd"}},
        {"a??.txt", {"a.txt", "abc.txt"}, {"abcd.txt"}},
        // Nothing else is special; an empty mask matches nothing; stars backtrack.
        {"[a].txt", {}, {"a.txt"}},
        {"a,b", {}, {"a"}},
        {"", {}, {"anything"}},
        {"*ab?", {"abcabd"}, {}},
        {"*a*a*a*a*a*a*a*a*a*a*b", {many + "b"}, {many}}};
    for (const auto& c : cases) {
        for (const std::string& name : c.Match)
            EXPECT_TRUE(MatchesMask(name, c.Mask)) << name << " / " << c.Mask;
        for (const std::string& name : c.Miss)
            EXPECT_FALSE(MatchesMask(name, c.Mask)) << name << " / " << c.Mask;
    }
}
