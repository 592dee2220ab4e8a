#include <gtest/gtest.h>

#include "cli/Options.h"

namespace {

TEST(OptionsTest, ValuesSeparateOrJoinedAndSwitchesBothWays)
{
    TFindOptions o;
    std::string error;
    ASSERT_TRUE(ParseArguments(
        {"--mask", "*.txt *.doc", "--in=\\a,\\b", "--skip=", "--no-same-stamp", "--same-name",
         "--no-same-size", "--no-skip-empty", "--no-floppy-master", "--no-skip-sysbckup",
         "--no-skip-desktop-ini", "--output=-x", "--", "--not-an-option"},
        o, error))
        << error;
    EXPECT_EQ(o.Mask + "|" + o.In + "|" + o.Skip + "|" + *o.Output, "*.txt *.doc|\\a,\\b||-x");
    EXPECT_FALSE(o.SameStamp || o.SameSize || o.SkipEmpty || o.FloppyMaster || o.SkipSysbckup ||
                 o.SkipDesktopIni);
    EXPECT_TRUE(o.SameName);
    EXPECT_EQ(o.Folders, (std::vector<std::string>{"--not-an-option"}));
}

}  // namespace
