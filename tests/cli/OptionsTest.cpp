#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>

#include "cli/Options.h"
#include "cli/TerminalWindow.h"
#include "engine/SearchDriver.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

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

// Ctrl+C is a click on Stop: taken in once, at the next pump; the search ends and says so.
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
    TTerminalWindow next;
    next.ProcessMessages();
    EXPECT_FALSE(next.Interrupted());
    TDriveTable::ResetCurrent();
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace
