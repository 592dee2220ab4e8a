#include <gtest/gtest.h>
#include <unistd.h>

#include "engine/Comparison.h"
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
    const std::string k = Bytes(1000, 7), k8 = Bytes(1000, 8), t = Bytes(4000, 5),
                      n = Bytes(800, 4);
    // Single letters of "mm256.dat mm2048.dat" would be skipped as swap file names.
    const std::string a = Bytes(2000, 9), big = Bytes(5000, 1), small = Bytes(50, 2);
    // Five files of one size, equal up to byte 2000.
    const std::string v1 = Bytes(3000, 4, 2000, 1), v2 = Bytes(3000, 4, 2000, 2),
                      v3 = Bytes(3000, 4, 2000, 3);
    const std::vector<TFile> times{{"p", t, kStamp}, {"q", t, kStamp + 3600}};
    const std::vector<TFile> empties{{"x/e1", ""}, {"x/e2", ""}, {"y/e3", ""}};
    const struct {
        int Rules;
        std::vector<TFile> Tree;
        std::vector<Lines> Groups;
        std::int64_t Files, Bytes;
    } cases[] = {
        // An identical pair; a third file of their size differs.
        {kDefault, {{"1/r", k}, {"2/r", k}, {"2/o", k8}}, {{"1/r", "2/r"}}, 1, 1000},
        // Equal first 512 bytes, byte 600 differs.
        {kContents, {{"p", Bytes(1000, 3)}, {"q", Bytes(1000, 3, 600)}}, {}, 0, 0},
        {kDefault, times, {}, 0, 0},
        {kContents, times, {{"p", "q"}}, 1, 4000},
        {kKeepEmpty, empties, {{"x/e1", "x/e2", "y/e3"}}, 2, 0},
        // Names alone, folding only ASCII letters ("\xC3\x89" is an upper-case e acute).
        {kNames, {{"1/READ.ME", "abc"}, {"2/read.me", "1234"}, {"1/\xC3\x89", "x"},
                  {"2/\xC3\xA9", "x"}}, {{"1/READ.ME", "2/read.me"}}, 1, 0},
        // The same name, ignoring ASCII case only.
        {kSameName, {{"p/b", k}, {"p/c", k}, {"q/B", n}, {"r/b", n}}, {{"q/B", "r/b"}}, 1, 800},
        // P Q R S with R differing at byte 900: P with Q, then P with S.
        {kContents, {{"P", a}, {"Q", a}, {"R", Bytes(2000, 9, 900)}, {"S", a}},
         {{"P", "Q"}, {"P", "S"}}, 2, 4000},
        // A first file unlike two pairs after it.
        {kContents, {{"v", v1}, {"w", v2}, {"x", v3}, {"y", v2}, {"z", v3}},
         {{"w", "y"}, {"x", "z"}}, 2, 6000},
        // One empty row between groups; the largest size first.
        {kDefault, {{"s1", small}, {"s2", small}, {"b1", big}, {"b2", big}, {"b3", big}},
         {{"b1", "b2", "b3"}, {"s1", "s2"}}, 3, 10050},
        // Names with outer blanks keep them.
        {kContents, {{" x", n}, {"y ", n}, {"x", Bytes(800, 5)}, {"y", Bytes(800, 6)}},
         {{" x", "y "}}, 1, 800},
        {kDefault, {}, {}, 0, 0},  // an empty catalogue
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        UseDrives({}, "case" + std::to_string(&c - cases));
        Defaults();
        Window.Checks[TCheckBox::cbCheckFileTimestamp] = !(c.Rules & kContents);
        Window.Checks[TCheckBox::cbCheckFilesize] = !(c.Rules & kNames);
        Window.Checks[TCheckBox::cbCheckFilename] = c.Rules & kSameName;
        Window.Checks[TCheckBox::cbSkipEmptyFiles] = !(c.Rules & kKeepEmpty);
        Lines rows;
        for (const Lines& group : c.Groups) {
            if (!rows.empty())
                rows.push_back("");
            rows.push_back(kHeader);
            for (const std::string& file : group) rows.push_back(C(file));
        }
        for (const TFile& file : c.Tree) Write(file.Path, file.Data, file.Stamp);
        // Files closed and opened again between passes give the same groups.
        for (const std::size_t maxOpen : {128, 1}) {
            Driver.Comparison.MaxOpenFiles = maxOpen;
            Window.FixWidthCalls = 0;
            Search();
            EXPECT_EQ(Rows(), rows);
            EXPECT_EQ(State.DuplicateFiles, c.Files);
            EXPECT_EQ(State.DuplicateBytes, c.Bytes);
            if (c.Files > 0)  // a search that compared no run shows no count
                EXPECT_EQ(Window.Status[2], "Files: " + std::to_string(c.Files));
            EXPECT_EQ(Window.Status[3], "Scan complete");
            EXPECT_EQ(Window.FixWidthCalls, rows.empty() ? 0 : 1);  // frozen once, then free
            EXPECT_FALSE(State.ColumnsFixed || State.Busy || Window.ProgressVisible);
            EXPECT_EQ(State.Catalogue.Count() + State.FolderList.Count() + Window.OpenUpdates, 0);
        }
    }
    State.DuplicateBytes = 5'000'000'000;  // totals are 64-bit
    ShowTotals(State, Window);
    EXPECT_EQ(Window.Status[1], "Bytes: 5,000,000,000");
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

TEST_F(ComparisonTest, StopKeepsTheGroupsListedSoFarAndAbandonsAPairHalfCompared)
{
    for (int n = 0; n < 4; ++n) {
        const std::string data = Bytes(100 + n, n);
        Write("g" + std::to_string(n) + "/one", data);
        Write("g" + std::to_string(n) + "/two", data);
    }
    // A click on the button, which reads Stop now, as soon as the first group is listed.
    Window.OnProcessMessages = [this](int) {
        if (State.Busy && Window.RowCount() > 0)
            Driver.btnSearchClick();
    };
    Search();
    EXPECT_EQ(Rows(), (Lines{kHeader, C("g3/one"), C("g3/two")}));
    EXPECT_FALSE(State.Busy || Driver.Searching());

    UseDrives({}, "large");
    Write("a.big", Bytes(2 << 20, 3));  // eight blocks
    Write("b.big", Bytes(2 << 20, 3));
    Driver.Comparison.PumpInterval = {};  // a pump between every two blocks
    // Pumps: one per catalogue entry (2), one for the sub-run's first file, then those between
    // blocks; Stop comes at the first of these. Compared to its end, the pair would be listed.
    int busyPumps = 0;
    Window.OnProcessMessages = [&](int) {
        if (State.Busy && ++busyPumps == 4)
            Driver.btnSearchClick();
    };
    Search();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
}

}  // namespace
