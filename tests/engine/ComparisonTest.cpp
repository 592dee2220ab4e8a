#include "engine/Comparison.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "engine/SearchFixture.h"
#include "text/Format.h"

using Lines = std::vector<std::string>;

namespace {

constexpr const char* kHeader = "Duplicate files .....";

class ComparisonTest : public SearchFixture {
protected:
    // Content mode: the signature is the checksum of the first 512 bytes.
    void ContentMode() { Window.Checks[TCheckBox::cbCheckFileTimestamp] = false; }
    void NameMode() { Window.Checks[TCheckBox::cbCheckFilesize] = false; }

    // A catalogue made by hand, as the walk would have made it, for drive C:'s root folder.
    void Catalogue(const std::vector<std::pair<std::int64_t, std::string>>& files)
    {
        State.FolderList.Add("C:\\");
        for (const auto& [size, name] : files) {
            State.Catalogue.Add(TCatalogue::CatalogueKey(true, size, name) + name, 0);
        }
        State.RequireSameSize = true;
        State.Running = true;
        Driver.TreeScanner1.KeepSearching = true;
    }
};

TEST_F(ComparisonTest, IdenticalPairFormsOneGroupWithTotals)
{
    const std::string data = Bytes(1000, 7);
    Write("one/report.dat", data);
    Write("two/report.dat", data);
    Sized("two/other.dat", 1000, 8);  // same size, other contents

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("one/report.dat"), C("two/report.dat")}));
    EXPECT_EQ(Window.Status[1], "Bytes: 1,000");
    EXPECT_EQ(Window.Status[2], "Files: 1");
    EXPECT_EQ(Window.Status[0], "Duplicates found....");
    EXPECT_EQ(Window.Status[3], "Scan complete");
    EXPECT_EQ(Window.SearchCaption, "Find Now");
    EXPECT_EQ(Window.ListCaption, "What duplicates were found - double-click a file to review ...");
    EXPECT_EQ(Window.ListHint, "Double-click a file to review");
    EXPECT_FALSE(State.Busy);
    EXPECT_EQ(State.Catalogue.Count(), 0);
    EXPECT_EQ(State.FolderList.Count(), 0);
    EXPECT_EQ(Window.RowsUpdateDepth, 0);
    EXPECT_FALSE(Window.ProgressVisible);
}

TEST_F(ComparisonTest, EqualHeadsThatDifferLaterAreNoDuplicates)
{
    ContentMode();
    std::string data = Bytes(1000, 3);
    Write("a.dat", data);
    data[600] ^= 0x55;
    Write("b.dat", data);

    Search();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(State.DuplicateFiles, 0);
    EXPECT_EQ(Window.Status[2], "Files: 0");
    EXPECT_EQ(Window.Status[0], "");
}

TEST_F(ComparisonTest, StampRuleDecidesForCopiesOfDifferentTimes)
{
    const std::string data = Bytes(4000, 5);
    Write("a.dat", data, kStamp);
    Write("b.dat", data, kStamp + 3600);

    Search();
    EXPECT_TRUE(Rows().empty());

    ContentMode();
    Search();
    EXPECT_EQ(Rows(), (Lines{kHeader, C("a.dat"), C("b.dat")}));
}

TEST_F(ComparisonTest, ZeroLengthFilesFormOneGroupWhenKept)
{
    Window.Checks[TCheckBox::cbSkipEmptyFiles] = false;
    Write("x/e1", "");
    Write("x/e2", "");
    Write("y/e3", "");

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("x/e1"), C("x/e2"), C("y/e3")}));
    EXPECT_EQ(State.DuplicateFiles, 2);
    EXPECT_EQ(State.DuplicateBytes, 0);

    Window.Checks[TCheckBox::cbSkipEmptyFiles] = true;
    Search();
    EXPECT_TRUE(Rows().empty());
}

TEST_F(ComparisonTest, NameModeGroupsByNameAloneFoldingOnlyAsciiLetters)
{
    NameMode();
    Write("one/README.TXT", "abc");
    Write("two/readme.txt", "123456789");
    Write("one/\xC3\x89t\xC3\xA9.txt", "same");  // "Été.txt"
    Write("two/\xC3\xA9t\xC3\xA9.txt", "same");  // "été.txt": another name in ASCII folding

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("one/README.TXT"), C("two/readme.txt")}));
    EXPECT_EQ(State.DuplicateFiles, 1);
    EXPECT_EQ(State.DuplicateBytes, 0);
    const Lines& panel3 = Window.StatusHistory[3];
    EXPECT_NE(std::find(panel3.begin(), panel3.end(), "Comparing files named: README.TXT"),
              panel3.end());
    EXPECT_NE(std::find(panel3.begin(), panel3.end(), "Comparing files with the same name ..."),
              panel3.end());
}

TEST_F(ComparisonTest, SameNameRuleIgnoresOnlyAsciiCase)
{
    Window.Checks[TCheckBox::cbCheckFilename] = true;
    const std::string one = Bytes(700, 1), two = Bytes(800, 2);
    Write("p/a.txt", one);
    Write("p/b.txt", one);
    Write("q/A.TXT", two);
    Write("r/a.txt", two);

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("q/A.TXT"), C("r/a.txt")}));
    const Lines& panel3 = Window.StatusHistory[3];
    EXPECT_NE(std::find(panel3.begin(), panel3.end(),
                        "Comparing 800 byte files with the same name ..."),
              panel3.end());
}

TEST_F(ComparisonTest, FilesBetweenMatchesSplitTheGroupsOfTheFirstFile)
{
    ContentMode();
    // Equal first 512 bytes: one sub-run A, B, C, D; B and D equal A, C differs at byte 900.
    const std::string a = Bytes(2000, 9);
    std::string c = a;
    c[900] ^= 1;
    Write("A.bin", a);
    Write("B.bin", a);
    Write("C.bin", c);
    Write("D.bin", a);

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("A.bin"), C("B.bin"), "", kHeader, C("A.bin"), C("D.bin")}));
    EXPECT_EQ(State.DuplicateFiles, 2);
    EXPECT_EQ(State.DuplicateBytes, 4000);
}

TEST_F(ComparisonTest, IdenticalFilesAfterAnUnmatchedFirstFileAreFound)
{
    ContentMode();
    // One sub-run (equal heads): a is alone; b = d and c = e.
    const std::string base = Bytes(3000, 4);
    auto variant = [&base](int n) {
        std::string v = base;
        v[2000] = static_cast<char>(n);
        return v;
    };
    Write("a.bin", variant(1));
    Write("b.bin", variant(2));
    Write("c.bin", variant(3));
    Write("d.bin", variant(2));
    Write("e.bin", variant(3));

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("b.bin"), C("d.bin"), "", kHeader, C("c.bin"), C("e.bin")}));
    EXPECT_EQ(State.DuplicateFiles, 2);
    EXPECT_EQ(State.DuplicateBytes, 6000);
}

TEST_F(ComparisonTest, LongRunsThatCloseTheirFilesFindTheSameGroups)
{
    ContentMode();
    const std::string base = Bytes(2500, 8);
    auto variant = [&base](int n) {
        std::string v = base;
        v[2100] = static_cast<char>(n);
        return v;
    };
    const int kinds[] = {1, 2, 1, 3, 2, 3, 4, 1};
    for (int i = 0; i < 8; ++i) Write("f" + std::to_string(i), variant(kinds[i]));

    Search();
    const std::vector<std::string> keptOpen = Rows();
    Driver.Comparison.MaxOpenFiles = 1;
    Search();

    EXPECT_EQ(Rows(), keptOpen);
    EXPECT_EQ(keptOpen, (Lines{kHeader, C("f0"), C("f2"), "", kHeader, C("f0"), C("f7"), "",
                               kHeader, C("f1"), C("f4"), "", kHeader, C("f3"), C("f5")}));
}

TEST_F(ComparisonTest, TheDescribedGroupsComeBeforeTheFoundOnes)
{
    ContentMode();
    const std::string base = Bytes(1500, 6);
    auto variant = [&base](int n) {
        std::string v = base;
        v[1400] = static_cast<char>(n);
        return v;
    };
    Write("1.bin", variant(1));
    Write("2.bin", variant(2));
    Write("3.bin", variant(1));
    Write("4.bin", variant(2));
    Write("5.bin", variant(9));

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("1.bin"), C("3.bin"), "", kHeader, C("2.bin"), C("4.bin")}));
}

TEST_F(ComparisonTest, EveryGroupButTheFirstFollowsOneEmptyRow)
{
    const std::string big = Bytes(5000, 1), small = Bytes(50, 2);
    Write("s1", small);
    Write("s2", small);
    Write("b1", big);
    Write("b2", big);
    Write("b3", big);

    Search();

    // The walk meets the largest sizes first.
    EXPECT_EQ(Rows(), (Lines{kHeader, C("b1"), C("b2"), C("b3"), "", kHeader, C("s1"), C("s2")}));
    EXPECT_EQ(State.DuplicateFiles, 3);
    EXPECT_EQ(State.DuplicateBytes, 10050);
    EXPECT_EQ(Window.FixWidthCalls, 1);  // frozen once, after the first run with duplicates
    EXPECT_FALSE(State.ColumnsFixed);    // and back to auto-size at the end
}

TEST_F(ComparisonTest, EmptyCatalogueEndsCompleteWithoutGroups)
{
    Tree.MakeDir("nothing/here");

    Search();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.ProgressMax, 1);
    EXPECT_EQ(Window.Status[3], "Scan complete");
    EXPECT_EQ(Window.Status[0], "");
    EXPECT_EQ(Window.SearchCaption, "Find Now");
}

TEST_F(ComparisonTest, AFileUnderTwoNamesIsNeverItsOwnDuplicate)
{
    const std::string data = Bytes(1200, 2);
    const std::string a = Write("a.dat", data);
    ASSERT_EQ(link(a.c_str(), Tree.Path("b.dat").c_str()), 0);
    Tree.MakeDir("q");
    Write("c.dat", data);
    Window.Checks[TCheckBox::cbSkipEmptyFiles] = false;
    const std::string e = Write("p/empty.txt", "");
    ASSERT_EQ(link(e.c_str(), Tree.Path("q/empty.txt").c_str()), 0);

    Search();

    // b.dat is a.dat under another name: only the real copy c.dat is listed with a.dat.
    EXPECT_EQ(Rows(), (Lines{kHeader, C("a.dat"), C("c.dat")}));
    EXPECT_EQ(State.DuplicateFiles, 1);

    NameMode();  // the empty file has one name in two folders
    Search();
    EXPECT_TRUE(Rows().empty());

    // One file reached through two overlapping drives is one file too.
    Window.Checks[TCheckBox::cbCheckFilesize] = true;
    Window.Checks[TCheckBox::cbSkipEmptyFiles] = true;
    Window.Edits[TEditBox::ebFileMask] = "x.dat";
    Sized("inner/x.dat", 900, 3);
    UseDrives({"D=inner"});
    Window.Drives = "CD";
    Search();
    EXPECT_TRUE(Rows().empty());
}

TEST_F(ComparisonTest, FileThatChangedSizeSinceTheWalkIsNoDuplicate)
{
    const std::string data = Bytes(500, 1);
    Write("a.dat", data);
    Write("b.dat", data);
    Write("c.dat", data);
    Write("d.dat", data);
    // The walk saw a and b with 1000 bytes, c and d with 400 (they have 500 now).
    Catalogue({{1000, "a.dat"}, {1000, "b.dat"}, {400, "c.dat"}, {400, "d.dat"}});

    Driver.Comparison.CompareCatalogue();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(State.DuplicateFiles, 0);
}

TEST_F(ComparisonTest, EmptyFileThatReceivedContentsIsNoDuplicate)
{
    Write("a", "");
    Write("b", "now with contents");
    Write("c", "");
    Catalogue({{0, "a"}, {0, "b"}, {0, "c"}});

    Driver.Comparison.CompareCatalogue();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("a"), C("c")}));
}

TEST_F(ComparisonTest, NamesWithOuterBlanksKeepThem)
{
    ContentMode();
    const std::string data = Bytes(800, 4);
    Write(" lead.dat", data);
    Write("trail.dat ", data);
    Sized("lead.dat", 800, 5);  // what a trimmed name would point at
    Sized("trail.dat", 800, 6);

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C(" lead.dat"), C("trail.dat ")}));
}

TEST_F(ComparisonTest, SizesBeyondFourGibibytesKeepTheirRun)
{
    // Sparse files: no disk space. They differ in their first byte, so nothing much is read.
    const std::int64_t size = (std::int64_t{1} << 32) + 4096;
    for (const char* name : {"big1", "big2"}) {
        std::ofstream(Tree.Path(name)).put(name[3]);
        ASSERT_EQ(truncate(Tree.Path(name).c_str(), size), 0);
        Tree.SetTime(name, kStamp);
    }

    Search();

    EXPECT_TRUE(Rows().empty());
    const Lines& panel3 = Window.StatusHistory[3];
    EXPECT_NE(std::find(panel3.begin(), panel3.end(), "Comparing 4,294,971,392 byte files ..."),
              panel3.end());
}

TEST(TotalsTest, ShowTotalsWritesWholeSixtyFourBitTotals)
{
    SetFormatLocale("C");
    TSearchState state;
    state.DuplicateBytes = 5'000'000'000;
    state.DuplicateFiles = 3;
    TFakeWindow window;

    ShowTotals(state, window);

    EXPECT_EQ(window.Status[1], "Bytes: 5,000,000,000");
    EXPECT_EQ(window.Status[2], "Files: 3");
}

TEST_F(ComparisonTest, StopDuringTheComparisonKeepsTheGroupsSoFar)
{
    for (int n = 0; n < 4; ++n) {
        const std::string data = Bytes(100 + n, n);
        Write("g" + std::to_string(n) + "/one", data);
        Write("g" + std::to_string(n) + "/two", data);
    }
    // Stop as soon as the first group is listed: a click on the button, which now reads Stop.
    Window.OnProcessMessages = [this](int) {
        if (State.Busy && Window.RowCount() > 0) Driver.btnSearchClick();
    };

    Search();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("g3/one"), C("g3/two")}));
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
    EXPECT_EQ(Window.SearchCaption, "Find Now");
    EXPECT_FALSE(State.Busy);
    EXPECT_FALSE(Driver.Searching());
}

TEST_F(ComparisonTest, StopInsideALargePairAbandonsIt)
{
    const std::string data = Bytes(2 << 20, 3);  // eight blocks
    Write("a.big", data);
    Write("b.big", data);
    Driver.Comparison.PumpInterval = {};  // pump between every two blocks
    // Pumps of the comparison: one per catalogue entry (2), one for the sub-run's first file,
    // then those between blocks; Stop is pressed at the first of these. Had the pair been
    // compared to its end, it would be listed.
    int busyPumps = 0;
    Window.OnProcessMessages = [&](int) {
        if (State.Busy && ++busyPumps == 4) Driver.btnSearchClick();
    };

    Search();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(State.DuplicateFiles, 0);
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
}

}  // namespace
