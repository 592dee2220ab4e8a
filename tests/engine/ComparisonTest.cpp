#include "engine/Comparison.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "engine/SearchFixture.h"

namespace {

class ComparisonTest : public SearchFixture {};

enum TRules { kDefault = 0, kContents = 1, kNames = 2, kSameName = 4, kKeepEmpty = 8 };

struct TFile {
    std::string Path, Data;
    std::int64_t Stamp = 1'000'000'000;  // SearchFixture::kStamp
};

TEST_F(ComparisonTest, GroupsOfEveryRule)
{
    const std::string d1000 = Bytes(1000, 7), d4000 = Bytes(4000, 5), d800 = Bytes(800, 4);
    const std::string a = Bytes(2000, 9), big = Bytes(5000, 1), small = Bytes(50, 2);
    const auto v = [](std::size_t size, std::size_t at, int n) { return Bytes(size, 4, at, n); };
    const std::vector<TFile> empties{{"x/e1", ""}, {"x/e2", ""}, {"y/e3", ""}};
    const std::vector<TFile> times{{"a.bin", d4000, kStamp}, {"b.bin", d4000, kStamp + 3600}};
    std::vector<TFile> kinds;  // f0 .. f7 of kinds 1 2 1 3 2 3 4 1, equal up to byte 2100
    for (int n : {1, 2, 1, 3, 2, 3, 4, 1}) kinds.push_back({"f" + std::to_string(kinds.size()), v(2500, 2100, n)});
    const struct {
        const char* Name;
        int Rules;
        std::vector<TFile> Tree;
        Lines Rows;
        std::int64_t Files, Bytes;
    } cases[] = {
        {"identical pair; a third of their size differs", kDefault,
         {{"one/report.dat", d1000}, {"two/report.dat", d1000}, {"two/other.dat", Bytes(1000, 8)}},
         {kHeader, C("one/report.dat"), C("two/report.dat")}, 1, 1000},
        {"equal first 512 bytes, byte 600 differs", kContents,
         {{"a.bin", Bytes(1000, 3)}, {"b.bin", Bytes(1000, 3, 600)}}, {}, 0, 0},
        {"copies of different times", kDefault, times, {}, 0, 0},
        {"copies of different times by contents", kContents, times, {kHeader, C("a.bin"), C("b.bin")}, 1, 4000},
        {"zero-length files kept", kKeepEmpty, empties, {kHeader, C("x/e1"), C("x/e2"), C("y/e3")}, 2, 0},
        {"zero-length files skipped", kDefault, empties, {}, 0, 0},
        {"names alone, only ASCII letters folded", kNames,
         {{"one/README.TXT", "abc"}, {"two/readme.txt", "123456789"},
          {"one/\xC3\x89t\xC3\xA9.txt", "same"}, {"two/\xC3\xA9t\xC3\xA9.txt", "same"}},
         {kHeader, C("one/README.TXT"), C("two/readme.txt")}, 1, 0},
        {"same name, only ASCII case ignored", kSameName,
         {{"p/a.txt", d1000}, {"p/b.txt", d1000}, {"q/A.TXT", d800}, {"r/a.txt", d800}},
         {kHeader, C("q/A.TXT"), C("r/a.txt")}, 1, 800},
        {"A B C D with C differing at byte 900", kContents,
         {{"A.bin", a}, {"B.bin", a}, {"C.bin", Bytes(2000, 9, 900)}, {"D.bin", a}},
         {kHeader, C("A.bin"), C("B.bin"), "", kHeader, C("A.bin"), C("D.bin")}, 2, 4000},
        {"a first file unlike two pairs after it", kContents,
         {{"a.bin", v(3000, 2000, 1)}, {"b.bin", v(3000, 2000, 2)}, {"c.bin", v(3000, 2000, 3)},
          {"d.bin", v(3000, 2000, 2)}, {"e.bin", v(3000, 2000, 3)}},
         {kHeader, C("b.bin"), C("d.bin"), "", kHeader, C("c.bin"), C("e.bin")}, 2, 6000},
        {"eight files of four kinds", kContents, kinds,
         {kHeader, C("f0"), C("f2"), "", kHeader, C("f0"), C("f7"), "", kHeader, C("f1"), C("f4"), "",
          kHeader, C("f3"), C("f5")}, 4, 10000},
        {"one empty row between groups, the largest size first", kDefault,
         {{"s1", small}, {"s2", small}, {"b1", big}, {"b2", big}, {"b3", big}},
         {kHeader, C("b1"), C("b2"), C("b3"), "", kHeader, C("s1"), C("s2")}, 3, 10050},
        {"names with outer blanks keep them", kContents,
         {{" lead.dat", d800}, {"trail.dat ", d800}, {"lead.dat", Bytes(800, 5)}, {"trail.dat", Bytes(800, 6)}},
         {kHeader, C(" lead.dat"), C("trail.dat ")}, 1, 800},
        {"empty catalogue", kDefault, {}, {}, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        UseDrives({}, "case" + std::to_string(&c - cases));
        Defaults();
        Window.Checks[TCheckBox::cbCheckFileTimestamp] = !(c.Rules & kContents);
        Window.Checks[TCheckBox::cbCheckFilesize] = !(c.Rules & kNames);
        Window.Checks[TCheckBox::cbCheckFilename] = c.Rules & kSameName;
        Window.Checks[TCheckBox::cbSkipEmptyFiles] = !(c.Rules & kKeepEmpty);
        for (const TFile& file : c.Tree) Write(file.Path, file.Data, file.Stamp);
        // Files closed and opened again between passes give the same groups.
        for (const std::size_t maxOpen : {128, 1}) {
            Driver.Comparison.MaxOpenFiles = maxOpen;
            Window.FixWidthCalls = 0;
            Search();
            EXPECT_EQ(Rows(), c.Rows);
            EXPECT_EQ(State.DuplicateFiles, c.Files);
            EXPECT_EQ(State.DuplicateBytes, c.Bytes);
            EXPECT_EQ(Window.Status[0], c.Rows.empty() ? "" : "Duplicates found....");
            if (c.Files > 0) EXPECT_EQ(Window.Status[2], "Files: " + std::to_string(c.Files));
            EXPECT_EQ(Window.Status[3], "Scan complete");
            EXPECT_EQ(Window.SearchCaption, "Find Now");
            EXPECT_EQ(Window.FixWidthCalls, c.Rows.empty() ? 0 : 1);  // frozen once, then free
            EXPECT_FALSE(State.ColumnsFixed || State.Busy || Window.ProgressVisible);
            EXPECT_EQ(State.Catalogue.Count() + State.FolderList.Count() + Window.OpenUpdates, 0);
        }
    }
}

TEST_F(ComparisonTest, AFileUnderTwoNamesIsNeverItsOwnDuplicate)
{
    const std::string data = Bytes(1200, 2);
    const std::string a = Write("a.dat", data);
    ASSERT_EQ(link(a.c_str(), Tree.Path("b.dat").c_str()), 0);
    Write("c.dat", data);
    Window.Checks[TCheckBox::cbSkipEmptyFiles] = false;
    const std::string e = Write("p/empty.txt", "");
    ASSERT_EQ(link(e.c_str(), Tree.MakeDir("q").append("/empty.txt").c_str()), 0);

    Search();
    // b.dat is a.dat under another name: only the real copy c.dat is listed with a.dat.
    EXPECT_EQ(Rows(), (Lines{kHeader, C("a.dat"), C("c.dat")}));
    EXPECT_EQ(State.DuplicateFiles, 1);

    Window.Checks[TCheckBox::cbCheckFilesize] = false;  // the empty file's one name, twice
    Search();
    EXPECT_TRUE(Rows().empty());

    // One file reached through two overlapping drives is one file too.
    Defaults();
    Window.Edits[TEditBox::ebFileMask] = "x.dat";
    Write("inner/x.dat", Bytes(900, 3));
    UseDrives({"D=inner"});
    Window.Drives = "CD";
    Search();
    EXPECT_TRUE(Rows().empty());
}

TEST_F(ComparisonTest, FilesChangedSinceTheWalkAreNoDuplicates)
{
    // The walk saw a and b with 1000 bytes, c and d with 400 (all have 500 now), e and g
    // empty, f empty then but not now.
    for (const char* name : {"a", "b", "c", "d"}) Write(name, Bytes(500, 1));
    for (const char* name : {"e", "g"}) Write(name, "");
    Write("f", "now with contents");
    State.FolderList.Add("C:\\");
    for (const auto& [size, name] : std::vector<std::pair<int, std::string>>{
             {1000, "a"}, {1000, "b"}, {400, "c"}, {400, "d"}, {0, "e"}, {0, "f"}, {0, "g"}})
        State.Catalogue.Add(TCatalogue::CatalogueKey(true, size, name) + name, 0);
    State.RequireSameSize = State.Running = Driver.TreeScanner1.KeepSearching = true;

    Driver.Comparison.CompareCatalogue();

    EXPECT_EQ(Rows(), (Lines{kHeader, C("e"), C("g")}));
}

TEST_F(ComparisonTest, SizesBeyondFourGibibytesKeepTheirRunAndTheirTotals)
{
    // Sparse files: no disk space. They differ in their first byte, so little is read.
    for (const char* name : {"big1", "big2"}) {
        std::ofstream(Tree.Path(name)).put(name[3]);
        ASSERT_EQ(truncate(Tree.Path(name).c_str(), (std::int64_t{1} << 32) + 4096), 0);
        Tree.SetTime(name, kStamp);
    }
    Search();
    EXPECT_TRUE(Rows().empty());
    const Lines& panel3 = Window.StatusHistory[3];
    EXPECT_NE(std::find(panel3.begin(), panel3.end(), "Comparing 4,294,971,392 byte files ..."),
              panel3.end());

    State.DuplicateBytes = 5'000'000'000;
    ShowTotals(State, Window);
    EXPECT_EQ(Window.Status[1], "Bytes: 5,000,000,000");
}

TEST_F(ComparisonTest, StopKeepsTheGroupsListedSoFarAndAbandonsAPairHalfCompared)
{
    for (int n = 0; n < 4; ++n) {
        const std::string data = Bytes(100 + n, n);
        Write("g" + std::to_string(n) + "/one", data);
        Write("g" + std::to_string(n) + "/two", data);
    }
    // A click on the button, which reads Stop now, as soon as the first group is listed.
    Window.OnProcessMessages = [this](int) {
        if (State.Busy && Window.RowCount() > 0) Driver.btnSearchClick();
    };
    Search();
    EXPECT_EQ(Rows(), (Lines{kHeader, C("g3/one"), C("g3/two")}));
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
    EXPECT_EQ(Window.SearchCaption, "Find Now");
    EXPECT_FALSE(State.Busy || Driver.Searching());

    UseDrives({}, "large");
    Write("a.big", Bytes(2 << 20, 3));  // eight blocks
    Write("b.big", Bytes(2 << 20, 3));
    Driver.Comparison.PumpInterval = {};  // a pump between every two blocks
    // Pumps: one per catalogue entry (2), one for the sub-run's first file, then those between
    // blocks; Stop comes at the first of these. Compared to its end, the pair would be listed.
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
