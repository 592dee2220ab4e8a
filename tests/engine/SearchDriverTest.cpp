#include "engine/SearchDriver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "engine/SearchFixture.h"

using Lines = std::vector<std::string>;

namespace {

constexpr const char* kHeader = "Duplicate files .....";

class SearchDriverTest : public SearchFixture {
protected:
    bool Logged(const std::string& line) const
    {
        return std::find(Window.Log.begin(), Window.Log.end(), line) != Window.Log.end();
    }
    // The folders the walks entered, as status panel 3 showed them.
    Lines FoldersShown() const
    {
        Lines folders;
        for (const std::string& text : Window.StatusHistory[3]) {
            if (text.size() > 2 && text[1] == ':') folders.push_back(text);
        }
        return folders;
    }
};

TEST(NormaliseFolderTest, BackslashesAroundTrimmedNames)
{
    EXPECT_EQ(TSearchDriver::NormaliseFolder("\\", true), "\\");
    EXPECT_EQ(TSearchDriver::NormaliseFolder("sp3", true), "\\sp3\\");
    EXPECT_EQ(TSearchDriver::NormaliseFolder(" Docs ", true), "\\docs\\");
    EXPECT_EQ(TSearchDriver::NormaliseFolder("\\My Files", true), "\\my files\\");
    EXPECT_EQ(TSearchDriver::NormaliseFolder("\\My Files", false), "\\My Files\\");
    EXPECT_EQ(TSearchDriver::NormaliseFolder("\xC3\x89T\xC3\x89", true), "\\\xC3\x89t\xC3\x89\\");
}

TEST_F(SearchDriverTest, NestedRootFoldersAreReportedAndRemoved)
{
    Window.Edits[TEditBox::ebRootDir] = "\\docs, \\ Docs";

    Search();

    ASSERT_EQ(Window.Messages.size(), 1u);
    EXPECT_EQ(Window.Messages[0],
              "Folder: \\DOCS\\  is already included in \nfolder: \\  and will therefore be removed.");
    EXPECT_EQ(Window.Edits[TEditBox::ebRootDir], "\\");
    EXPECT_EQ(Window.CaptionUpdates, 1);
    // The caption is rebuilt from the rewritten box.
    const auto edit = std::find(Window.Log.begin(), Window.Log.end(), "edit 1: \\");
    EXPECT_LT(edit, std::find(Window.Log.begin(), Window.Log.end(), "caption"));
}

TEST_F(SearchDriverTest, SiblingsSharingAPrefixAreBothKept)
{
    Window.Edits[TEditBox::ebRootDir] = "\\Docs,\\Docs2";
    Sized("Docs/a.dat", 300, 1);
    Sized("Docs2/a.dat", 300, 1);
    Sized("Other/a.dat", 300, 1);

    Search();

    EXPECT_TRUE(Window.Messages.empty());
    EXPECT_EQ(Window.Edits[TEditBox::ebRootDir], "\\Docs\\,\\Docs2\\");
    // Folders keep the case of their letters: "Docs" is the folder Docs.
    EXPECT_EQ(Rows(), (Lines{kHeader, C("Docs/a.dat"), C("Docs2/a.dat")}));
}

TEST_F(SearchDriverTest, EmptyRootItemsDoNotWidenTheSearch)
{
    Window.Edits[TEditBox::ebRootDir] = "\\in,,\"\"";
    Sized("in/a.dat", 300, 1);
    Sized("out/a.dat", 300, 1);

    Search();

    EXPECT_EQ(Window.Edits[TEditBox::ebRootDir], "\\in\\");
    EXPECT_EQ(FoldersShown(), (Lines{"C:\\in\\"}));

    Window.Edits[TEditBox::ebRootDir] = "  ";  // blank: the whole drive
    Search();
    EXPECT_EQ(Window.Edits[TEditBox::ebRootDir], "\\");
    EXPECT_EQ(Rows().size(), 3u);
}

TEST_F(SearchDriverTest, SkipFoldersAreNormalisedSortedAndQuoted)
{
    Window.Edits[TEditBox::ebSkipFolder] = "SP3, \\, \"Program Files\"";
    Sized("i386/sp3/update/a.dat", 300, 1);
    Sized("program files/a.dat", 300, 1);
    Sized("sp30/a.dat", 300, 1);
    Sized("keep/a.dat", 300, 1);

    Search();

    EXPECT_EQ(Window.Edits[TEditBox::ebSkipFolder], "\"\\program files\\\",\\sp3\\");
    EXPECT_EQ(Rows(), (Lines{kHeader, C("keep/a.dat"), C("sp30/a.dat")}));
}

TEST_F(SearchDriverTest, MaskBoxShowsTheMasksAsTheScannerTookThem)
{
    Window.Edits[TEditBox::ebFileMask] = "";
    Search();
    EXPECT_EQ(Window.Edits[TEditBox::ebFileMask], "*.*");

    Window.Edits[TEditBox::ebFileMask] = "*.txt *.dat, *.TXT";
    Sized("a.dat", 300, 1);
    Sized("b.dat", 300, 1);
    Sized("c.bin", 300, 1);
    Search();
    EXPECT_EQ(Window.Edits[TEditBox::ebFileMask], "*.dat,*.txt");
    EXPECT_EQ(Rows(), (Lines{kHeader, C("a.dat"), C("b.dat")}));
}

TEST_F(SearchDriverTest, StatusPanelsDuringAndAfterTheScan)
{
    Sized("d/a.dat", 300, 1);

    Search();

    EXPECT_EQ(Window.StatusHistory[1].front(), "Bytes:");
    EXPECT_EQ(Window.StatusHistory[2].front(), "Files:");
    EXPECT_EQ(Window.StatusHistory[0].front(), "Scanning folders ....");
    EXPECT_EQ(FoldersShown(), (Lines{"C:\\", "C:\\d\\"}));
    EXPECT_TRUE(Logged("status 0: "));
    EXPECT_TRUE(Logged("status 3: "));
    EXPECT_EQ(Window.SearchCaptionHistory, (Lines{"Stop", "Find Now"}));
    EXPECT_TRUE(Logged("list caption: Searching ..."));
}

TEST_F(SearchDriverTest, FloppyAsMasterFiltersTheLaterDrives)
{
    UseDrives({"A=floppy,removable"});
    Window.Drives = "AC";
    const std::string master = Bytes(444, 1), other = Bytes(555, 2);
    Write("floppy/m.dat", master);
    Write("copy/m.dat", master);
    Write("x/o.dat", other);  // a pair on C: whose size the floppy does not have
    Write("y/o.dat", other);

    Search();

    EXPECT_EQ(Window.StatusHistory[0],
              (Lines{"Scanning master folders ....", "Scanning filtered folders ....", "",
                     "Duplicates found...."}));
    EXPECT_EQ(Rows(), (Lines{kHeader, "A:\\m.dat", C("copy/m.dat")}));

    Window.Checks[TCheckBox::cbFloppyIsMaster] = false;
    Window.StatusHistory[0].clear();
    Search();
    EXPECT_EQ(Window.StatusHistory[0],
              (Lines{"Scanning folders ....", "Scanning folders ....", "", "Duplicates found...."}));
    EXPECT_EQ(Rows().size(), 7u);  // both groups, with the floppy's file among the first
}

TEST_F(SearchDriverTest, FloppyAsMasterNeedsDriveA)
{
    UseDrives({"A=floppy,removable", "D=d"});
    Window.Drives = "CD";
    Search();
    EXPECT_EQ(Window.StatusHistory[0], (Lines{"Scanning folders ....", "Scanning folders ....", ""}));
}

TEST_F(SearchDriverTest, StopDuringAWalkEndsTheSearchWithoutComparing)
{
    UseDrives({"D=d"});
    Window.Drives = "CD";
    Sized("c1/a.dat", 300, 1);
    Sized("c2/a.dat", 300, 1);
    Sized("d/b.dat", 300, 1);
    // The pump runs once per folder; the second folder of C: presses the button again.
    Window.OnProcessMessages = [this](int call) {
        if (call == 2) Driver.btnSearchClick();
    };

    Search();

    EXPECT_FALSE(State.Running);
    EXPECT_FALSE(Driver.TreeScanner1.KeepSearching);
    EXPECT_EQ(FoldersShown(), (Lines{"C:\\"}));  // neither c1, c2 nor drive D: was entered
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
    EXPECT_EQ(Window.SearchCaption, "Find Now");
    EXPECT_FALSE(Driver.Searching());
}

TEST_F(SearchDriverTest, StopDuringAWalkStillWalksTheDrivesOtherRootFolders)
{
    Window.Edits[TEditBox::ebRootDir] = "\\one,\\two";
    Sized("one/sub/a.dat", 300, 1);
    Sized("two/a.dat", 300, 1);
    Window.OnProcessMessages = [this](int call) {
        if (call == 1) Driver.btnSearchClick();
    };

    Search();

    EXPECT_EQ(FoldersShown(), (Lines{"C:\\two\\"}));
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
}

TEST_F(SearchDriverTest, CloseQueryStopsTheWalkAndTheComparison)
{
    Sized("x/a.dat", 300, 1);
    Sized("y/a.dat", 300, 1);
    Window.OnProcessMessages = [this](int call) {
        if (call == 2) Driver.StopSearch();
    };

    Search();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
    EXPECT_FALSE(Driver.Searching());
}

TEST_F(SearchDriverTest, NoSelectedDriveComparesAnEmptyCatalogue)
{
    Window.Drives = "";
    Sized("x/a.dat", 300, 1);
    Sized("y/a.dat", 300, 1);

    Search();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.Status[3], "Scan complete");
    EXPECT_EQ(Window.ProgressMax, 1);
}

TEST_F(SearchDriverTest, ANewSearchStartsFromNothing)
{
    Sized("x/a.dat", 300, 1);
    Sized("y/a.dat", 300, 1);
    Search();
    ASSERT_EQ(Rows().size(), 3u);

    Window.Checks[TCheckBox::cbCheckFilesize] = false;  // name mode now: a.dat twice
    Sized("x/b.dat", 10, 2);
    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("x/a.dat"), C("y/a.dat")}));
    EXPECT_EQ(State.DuplicateFiles, 1);
    EXPECT_EQ(State.DuplicateBytes, 0);
    EXPECT_EQ(Window.ClearRowsCalls, 4);  // twice per search: scan and comparison
}

}  // namespace
