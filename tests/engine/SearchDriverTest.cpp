// The catalogue handlers and the search driver on temporary trees.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

#include "engine/SearchDriver.h"
#include "engine/SearchFixture.h"

namespace {

class SearchDriverTest : public SearchFixture {
protected:
    // The folders the walks entered, as status panel 3 showed them.
    Lines FoldersShown() const
    {
        Lines folders;
        for (const std::string& text : Window.StatusHistory[3])
            if (text.size() > 2 && text[1] == ':')
                folders.push_back(text);
        return folders;
    }
    // The driver's scanner, bound to the catalogue, walking alone.
    void Walk(std::string_view root = "C:\\")
    {
        Driver.TreeScanner1.SetFileMask("*.*");
        Driver.TreeScanner1.SetInitialDirectory(root);
        Driver.TreeScanner1.Search();
    }
    Lines Entries() const
    {
        Lines lines;
        for (int i = 0; i < State.Catalogue.Count(); ++i) lines.push_back(State.Catalogue[i]);
        return lines;
    }
    // The full paths of the files catalogued in size mode: folder line + the name after the key.
    Lines Paths() const
    {
        Lines paths;
        for (int i = 0; i < State.Catalogue.Count(); ++i) {
            const std::string& entry = State.Catalogue[i];
            paths.push_back(State.FolderList[static_cast<int>(State.Catalogue.Objects(i))] +
                            entry.substr(entry.find(' ', entry.find_first_not_of(' ')) + 1));
        }
        return paths;
    }
};
using CatalogueTest = SearchDriverTest;

TEST_F(CatalogueTest, KeysAndEntriesOfSizeAndNameMode)
{
    ASSERT_EQ(truncate(Write("Data/big.bin", "").c_str(), 1'234'567'890), 0);
    ASSERT_EQ(truncate(Write("huge.img", "").c_str(), 5'000'000'000LL), 0);
    for (const auto& [name, size] : std::vector<std::pair<std::string, std::size_t>>{
             {"b100", 100}, {"z9", 9}, {"A9", 9}, {"A/same.txt", 10}, {"B/same.txt", 10}})
        Write(name, std::string(size, 'x'));
    Walk();
    // Numeric order of sizes; equal entries stay together with the later found first.
    EXPECT_EQ(Entries(),
              (Lines{"        9 A9", "        9 z9", "       10 same.txt", "       10 same.txt",
                     "      100 b100", "1234567890 big.bin", "5000000000 huge.img"}));
    EXPECT_EQ(Paths()[2], "C:\\B\\same.txt");

    UseDrives({}, "names");
    State.Catalogue.Clear();
    State.FolderList.Clear();
    State.RequireSameSize = false;
    Write("ReadMe.TXT", "123");
    Write("sub/readme.txt", "1234567");
    Write("other", "123");
    Walk();
    EXPECT_EQ(Entries(),
              (Lines{"other\\other", "readme.txt\\readme.txt", "ReadMe.TXT\\ReadMe.TXT"}));
}

// Skip folders match whole folder names at any depth, and an empty one none; known duplicates
// match in any letter case. The built-in rules are checked against fdupes (DifferentialTest).
TEST_F(CatalogueTest, SkipFoldersAndKnownDuplicates)
{
    State.SkipFolders.Add("\\sp3\\");
    State.SkipFolders.Add("");
    State.KnownDuplicates.Add("C:\\DATA\\KNOWN.TXT");
    for (const char* file : {"i386/sp3/u1", "I386/SP3/update/u2", "sp30/u3", "i386/u4",
                             "Data/known.txt", "Data/new.txt"})
        Write(file, "1");
    Walk();
    EXPECT_EQ(Paths(), (Lines{"C:\\Data\\new.txt", "C:\\sp30\\u3", "C:\\i386\\u4"}));
    // A skipped folder still takes its line in FolderList, and is said as skipped.
    EXPECT_GE(State.FolderList.IndexOf("C:\\I386\\SP3\\update\\"), 0);
    const Lines& shown = Window.StatusHistory[3];
    EXPECT_NE(std::find(shown.begin(), shown.end(), "Skipping C:\\I386\\SP3\\update\\"),
              shown.end());
}

// Root folders keep the case of their letters ("\Docs" and "\docs" are two folders here); one
// typed in another case than the one folder it names is that folder; one that names no folder
// is told after the outcome. ':' belongs to a Linux name.
TEST_F(SearchDriverTest, BoxesAreNormalisedAndSearchedAsTheyNowRead)
{
    const Lines all{
        "docs/a.dat",  "Docs/a.dat", "Docs2/a.dat", "i386/sp3/a.dat", "program files/x:a.txt",
        "sp30/y:a.txt"};
    for (const std::string& file : all) Write(file, Bytes(300, 1));
    const struct {
        TEditBox Box;
        std::string Typed, Reads, Message;
        Lines Found;
        std::string Outcome = "Scan complete";
    } cases[] = {
        {TEditBox::ebRootDir, "\\docs, \\ Docs", "\\",
         "Folder: \\DOCS\\  is already included in \nfolder: \\  and will therefore be removed.",
         all},
        {TEditBox::ebRootDir,
         "\\Docs,\\Docs2,\\docs",
         "\\docs\\,\\Docs\\,\\Docs2\\",
         "",
         {all[0], all[1], all[2]}},
        {TEditBox::ebRootDir,
         "\\DOCS2,,\"\",\\sp30,\\Gone",
         "\\DOCS2\\,\\Gone\\,\\sp30\\",
         "",
         {all[2], all[5]},
         "Scan complete - Folder not found: C:\\Gone\\"},
        {TEditBox::ebRootDir,
         "\\DOCS",
         "\\DOCS\\",
         "",
         {},
         "Scan complete - Folder not found: C:\\DOCS\\"},  // two folders match apart from case
        {TEditBox::ebSkipFolder,
         "SP3, \\, \"Program Files\"",
         "\"\\program files\\\",\\sp3\\",
         "",
         {all[0], all[1], all[2], all[5]}},
        {TEditBox::ebFileMask, "", "*.*", "", all},
        {TEditBox::ebFileMask, "*.txt *.bin, *.TXT", "*.bin,*.txt", "", {all[4], all[5]}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        Defaults();
        Window.Edits[c.Box] = c.Typed;
        Window.Messages.clear();
        Window.Log.clear();
        Search();
        EXPECT_EQ(Window.Edits[c.Box], c.Reads);
        EXPECT_EQ(Window.Messages, c.Message.empty() ? Lines{} : Lines{c.Message});
        Lines rows;
        for (const std::string& file : c.Found) rows.push_back(C(file));
        if (!rows.empty())
            rows.insert(rows.begin(), kHeader);
        EXPECT_EQ(Rows(), rows);
        EXPECT_EQ(Window.Status[3], c.Outcome);
        // The caption is rebuilt once, from the root box as it now reads.
        const auto caption = std::find(Window.Log.begin(), Window.Log.end(), "caption");
        ASSERT_EQ(std::count(caption, Window.Log.end(), "caption"), 1);
        EXPECT_EQ(caption[-1], "edit " + Window.Edits[TEditBox::ebRootDir]);
    }
}

TEST_F(SearchDriverTest, FloppyAsMasterFiltersTheLaterDrivesAndNeedsDriveA)
{
    UseDrives({"A=floppy,removable", "D=d"});
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

    Window.Drives = "CD";  // without drive A: the box does nothing
    Window.StatusHistory[0].clear();
    Search();
    EXPECT_EQ(Window.StatusHistory[0], (Lines{"Scanning folders ....", "Scanning folders ....", "",
                                              "Duplicates found...."}));
    EXPECT_EQ(Rows().size(), 7u);  // both groups, D: holding nothing
}

TEST_F(SearchDriverTest, StopDuringAWalkEndsTheSearchWithoutComparing)
{
    UseDrives({"D=d"});
    Write("one/sub/a.dat", Bytes(300, 1));
    Write("two/a.dat", Bytes(300, 1));
    Write("d/a.dat", Bytes(300, 1));
    const struct {
        const char* Name;
        std::string Roots;
        Lines Walked;
    } cases[] = {
        {"click in C:'s second folder", "\\", {"C:\\"}},
        {"no further root folder either", "\\one,\\two", {"C:\\one\\"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Window.Edits[TEditBox::ebRootDir] = c.Roots;
        Window.Drives = "CD";
        Window.StatusHistory[3].clear();
        Window.OnProcessMessages = [&](int call) {
            if (call == 2)  // the pump runs once per folder
                Driver.btnSearchClick();
        };
        Window.PumpCalls = 0;
        Search();
        EXPECT_FALSE(State.Running || Driver.Searching());
        EXPECT_EQ(FoldersShown(), c.Walked);  // drive D: never
        EXPECT_TRUE(Rows().empty());
        EXPECT_EQ(Window.Status[3], "Comparison interrupted");
        EXPECT_EQ(Window.Status[1] + "|" + Window.Status[2], "Bytes: 0|Files: 0");
        EXPECT_EQ(Window.SearchCaption, "Find Now");
    }
}

}  // namespace
