#include "cli/Options.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "cli/TerminalWindow.h"
#include "engine/SearchDriver.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

TFindOptions Parse(const std::vector<std::string>& args)
{
    TFindOptions options;
    std::string error;
    EXPECT_TRUE(ParseArguments(args, options, error)) << error;
    return options;
}

std::string ParseError(const std::vector<std::string>& args)
{
    TFindOptions options;
    std::string error;
    EXPECT_FALSE(ParseArguments(args, options, error));
    return error;
}

TEST(OptionsTest, DefaultsAreTheWindowsDefaults)
{
    const TFindOptions o = Parse({});
    EXPECT_EQ(o.Mask, "*.*");
    EXPECT_EQ(o.In, "\\");
    EXPECT_EQ(o.Skip, "");
    EXPECT_FALSE(o.Drives);
    EXPECT_TRUE(o.SameStamp && o.SameSize && o.SkipEmpty && o.FloppyMaster && o.SkipSysbckup &&
                o.SkipDesktopIni);
    EXPECT_FALSE(o.SameName);
}

TEST(OptionsTest, ValuesSeparateOrJoinedAndSwitchesBothWays)
{
    const TFindOptions o = Parse({"--mask", "*.txt *.doc", "--in=\\a,\\b", "--skip=", "--no-same-stamp",
                                  "--same-name", "--no-same-size", "--no-skip-empty", "--no-floppy-master",
                                  "--no-skip-sysbckup", "--no-skip-desktop-ini",
                                  "--output=-x", "--", "--not-an-option"});
    EXPECT_EQ(o.Mask, "*.txt *.doc");
    EXPECT_EQ(o.In, "\\a,\\b");
    EXPECT_EQ(o.Skip, "");
    EXPECT_FALSE(o.SameStamp || o.SameSize || o.SkipEmpty || o.FloppyMaster || o.SkipSysbckup ||
                 o.SkipDesktopIni);
    EXPECT_TRUE(o.SameName);
    EXPECT_EQ(o.Output, "-x");
    EXPECT_EQ(o.Folders, (std::vector<std::string>{"--not-an-option"}));
}

TEST(OptionsTest, MistakesAreNamed)
{
    EXPECT_EQ(ParseError({"--frobnicate"}), "unknown option '--frobnicate'");
    EXPECT_EQ(ParseError({"--output"}), "option '--output' needs a value");
    EXPECT_EQ(ParseError({"--same-name=1"}), "option '--same-name' takes no value");
    EXPECT_NE(ParseError({"--drives", "C", "/tmp"}).find("FOLDERs"), std::string::npos);
    EXPECT_NE(ParseError({"--drives", "C:"}).find("letters"), std::string::npos);
    std::vector<std::string> many(25, "/tmp");
    EXPECT_NE(ParseError(many).find("24"), std::string::npos);
    // Help wins over everything else on the line.
    EXPECT_TRUE(Parse({"--drives", "C", "/tmp", "--help"}).Help);
}

// Ctrl+C is a click on Stop: taken in at the next pump, the search ends and says so.
TEST(TerminalWindowTest, InterruptStopsTheSearchAtTheNextPump)
{
    TTempTree tree;
    tree.WriteFile("a/x.txt", "same");
    tree.WriteFile("b/x.txt", "same");
    TDriveTable::SetCurrent(TDriveTable::FromFolders({tree.Root()}));
    TTerminalWindow window;
    window.Edits[TEditBox::ebFileMask] = "*.*";
    window.Edits[TEditBox::ebRootDir] = "\\";
    window.Checks[TCheckBox::cbCheckFilesize] = true;
    window.Drives = "C";
    std::FILE* list = std::tmpfile();
    window.ResultList = list;
    TSearchState state;
    TSearchDriver driver(state, window);
    window.OnInterrupt = [&driver] { driver.btnSearchClick(); };

    TTerminalWindow::InterruptHandler(SIGINT);
    driver.btnSearchClick();

    EXPECT_TRUE(window.Interrupted());
    EXPECT_EQ(window.StatusText(3), "Comparison interrupted");
    EXPECT_EQ(window.RowCount(), 0);
    EXPECT_EQ(std::ftell(list), 0);
    std::fclose(list);
    TDriveTable::ResetCurrent();
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
