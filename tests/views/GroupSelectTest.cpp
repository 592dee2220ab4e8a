// Choosing the redundant copies: only file rows of groups, one kept per group by each rule.
#include <gtest/gtest.h>

#include "views/GroupSelect.h"

namespace {

TResultRow File(const std::string& path, const std::string& modified)
{
    return {path, {"14", "plain text document", modified, "   A", "", ""}};
}

const std::vector<TResultRow> kRows = {
    File("C:\\stray", "2001/06/19 14:05"),  // before any header: in no group
    {"Duplicate files .....", {}},
    File("C:\\a", "2001/06/19 14:05"),
    File("C:\\b", "2001/06/20 09:00"),
    File("C:\\c", "2001/06/18"),
    File("C:\\c2", "2001/06/18"),  // as old as c: the first of them stays
    {" ", {}},
    {"Duplicate files .....", {}},
    File("C:\\gone", "?"),  // no time to be had: never the newest nor the oldest
    File("C:\\e", "2001/01/01 00:01"),
};

TEST(GroupSelectTest, EachRuleSelectsEveryFileOfAGroupButOne)
{
    const struct {
        const char* Name;
        TRowSelection Result;
    } cases[] = {
        {"first", SelectAllButOne(kRows, TKeepRule::krFirst)},
        {"newest", SelectAllButOne(kRows, TKeepRule::krNewest)},
        {"oldest", SelectAllButOne(kRows, TKeepRule::krOldest)},
        {"invert", InvertWithinGroups(kRows, {8, 0, 1, 2, 6})},
    };
    const TRowSelection expected[] = {{3, 4, 5, 9}, {2, 4, 5, 8}, {2, 3, 5, 8}, {3, 4, 5, 9}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].Name);
        EXPECT_EQ(cases[i].Result, expected[i]);
    }
}

}  // namespace
