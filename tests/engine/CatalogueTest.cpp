#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/Catalogue.h"
#include "engine/FakeWindow.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// The handlers bound to a real scanner walking a temporary tree mapped to drive C:. The rules
// start neutral (nothing skipped, empty files kept, size mode); each test turns on its own.
class CatalogueTest : public testing::Test {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(TDriveTable::FromSpec("C=" + Tree.Root(), nullptr));
        Catalogue.Bind(Scanner);
        Scanner.SetFileMask("*.*");
        Scanner.SetFindHiddenFiles(true);
        State.SkipSysbckupFolder = false;
        State.SkipDesktopIniFolders = false;
        State.IncludeEmptyFiles = true;
        State.RequireSameSize = true;
        State.ScanMode = TScanMode::smNormal;
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    void Walk(std::string_view root = "C:\\")
    {
        Scanner.SetInitialDirectory(root);
        Scanner.Search();
    }
    Lines Entries() const
    {
        Lines lines;
        for (int i = 0; i < State.Catalogue.Count(); ++i) lines.push_back(State.Catalogue[i]);
        return lines;
    }
    // The full paths of the catalogued files, in catalogue order: folder line + entry's name.
    Lines Paths() const
    {
        Lines paths;
        for (int i = 0; i < State.Catalogue.Count(); ++i) {
            const std::string& entry = State.Catalogue[i];
            const auto folder = static_cast<int>(State.Catalogue.Objects(i));
            paths.push_back(State.FolderList[folder] + NameOfEntry(entry));
        }
        return paths;
    }
    // The file name after the key: after the size field's space, or after the name's backslash.
    std::string NameOfEntry(const std::string& entry) const
    {
        if (!State.RequireSameSize)
            return entry.substr(entry.find('\\') + 1);
        return entry.substr(entry.find(' ', entry.find_first_not_of(' ')) + 1);
    }
    Lines Folders() const
    {
        Lines lines;
        for (int i = 0; i < State.FolderList.Count(); ++i) lines.push_back(State.FolderList[i]);
        return lines;
    }

    TTempTree Tree;
    TSearchState State;
    TFakeWindow Window;
    TTreeScanner Scanner;
    TCatalogue Catalogue{State, Window};
};

TEST(CatalogueKeyTest, SizeFieldIsNineWideOrInFullAndNamesEndInABackslash)
{
    EXPECT_EQ(TCatalogue::CatalogueKey(true, 999'999'999, "x"), "999999999 ");
    EXPECT_EQ(TCatalogue::CatalogueKey(true, 1'234'567'890, "x"), "1234567890 ");
    EXPECT_EQ(TCatalogue::CatalogueKey(true, 9'000'000'000'000'000'000, "x"),
              "9000000000000000000 ");
    EXPECT_EQ(TCatalogue::CatalogueKey(false, 1234, "ReadMe.TXT"), "ReadMe.TXT\\");

    EXPECT_EQ(TCatalogue::NameOfPath("C:\\Data\\a.txt"), "a.txt");
    EXPECT_EQ(TCatalogue::NameOfPath("C:a.txt"), "a.txt");
    EXPECT_EQ(TCatalogue::NameOfPath("a.txt"), "a.txt");
}

TEST_F(CatalogueTest, SizeModeEntriesHoldTheSizeFieldAndTheName)
{
    Tree.WriteSized("Data/readme.txt", 1234);
    ASSERT_EQ(truncate(Tree.WriteFile("Data/big.bin", "").c_str(), 1'234'567'890), 0);
    ASSERT_EQ(truncate(Tree.WriteFile("huge.img", "").c_str(), 5'000'000'000LL), 0);
    Walk();
    EXPECT_EQ(Entries(),
              (Lines{"     1234 readme.txt", "1234567890 big.bin", "5000000000 huge.img"}));
    EXPECT_EQ(Paths(), (Lines{"C:\\Data\\readme.txt", "C:\\Data\\big.bin", "C:\\huge.img"}));
}

TEST_F(CatalogueTest, NameModeKeysOnTheStoredNameWhateverItsCase)
{
    State.RequireSameSize = false;
    Tree.WriteSized("ReadMe.TXT", 3);
    Tree.WriteSized("sub/readme.txt", 7);
    Tree.WriteSized("other", 3);
    Walk();
    // Equal names stand together, whatever the case of their letters.
    EXPECT_EQ(Entries(),
              (Lines{"other\\other", "readme.txt\\readme.txt", "ReadMe.TXT\\ReadMe.TXT"}));
}

TEST_F(CatalogueTest, SizesGroupInNumericOrderAndEqualEntriesStayWithTheLaterFoundFirst)
{
    Tree.WriteSized("b100", 100);
    Tree.WriteSized("z9", 9);
    Tree.WriteSized("A9", 9);
    Tree.WriteSized("A/same.txt", 10);
    Tree.WriteSized("B/same.txt", 10);
    Walk();
    EXPECT_EQ(Entries(), (Lines{"        9 A9", "        9 z9", "       10 same.txt",
                                "       10 same.txt", "      100 b100"}));
    EXPECT_EQ(Paths()[2], "C:\\B\\same.txt");
    EXPECT_EQ(Paths()[3], "C:\\A\\same.txt");
}

TEST_F(CatalogueTest, EmptyFilesFollowTheirRule)
{
    Tree.WriteFile("empty", "");
    Tree.WriteFile("full", "x");
    Walk();
    EXPECT_EQ(Entries(), (Lines{"        0 empty", "        1 full"}));

    State.Catalogue.Clear();
    State.IncludeEmptyFiles = false;
    Walk();
    EXPECT_EQ(Entries(), Lines{"        1 full"});
}

TEST_F(CatalogueTest, SwapFileNamesAndEveryPieceOfThemAreNeverCatalogued)
{
    for (const char* name : {"mm256.dat", "MM2048.DAT", "dat", ".dat", "a", "mm512.dat"}) {
        Tree.WriteFile(name, "data");
    }
    Walk();
    EXPECT_EQ(Entries(), Lines{"        4 mm512.dat"});
}

TEST_F(CatalogueTest, SysbckupFoldersAndEverythingBelowAreSkipped)
{
    Tree.WriteFile("WINDOWS/SYSBCKUP/s1", "1");
    Tree.WriteFile("WINDOWS/sysbckup/deep/s2", "1");
    Tree.WriteFile("SYSBCKUPX/s3", "1");
    Tree.WriteFile("WINDOWS/s4", "1");
    State.SkipSysbckupFolder = true;
    Walk();
    EXPECT_EQ(Paths(), (Lines{"C:\\SYSBCKUPX\\s3", "C:\\WINDOWS\\s4"}));

    State.Catalogue.Clear();
    State.SkipSysbckupFolder = false;
    Walk();
    EXPECT_EQ(State.Catalogue.Count(), 4);
}

TEST_F(CatalogueTest, UserSkipFoldersMatchWholeComponentsAtAnyDepth)
{
    Tree.WriteFile("i386/sp3/u1", "1");
    Tree.WriteFile("I386/SP3/update/u2", "1");
    Tree.WriteFile("sp30/u3", "1");
    Tree.WriteFile("i386/u4", "1");
    Tree.WriteFile("keep/u5", "1");
    State.SkipFolders.Add("\\sp3\\");
    State.SkipFolders.Add("");  // never matches everything
    Walk();
    EXPECT_EQ(Paths(), (Lines{"C:\\sp30\\u3", "C:\\i386\\u4", "C:\\keep\\u5"}));
}

TEST_F(CatalogueTest, DesktopIniSkipsItsOwnFolderOnly)
{
    Tree.WriteFile("custom/desktop.ini", "[.ShellClassInfo]");
    Tree.WriteFile("custom/photo", "1");
    Tree.WriteFile("custom/plain/below", "1");
    Tree.WriteFile("odd/desktop.ini/x", "1");  // a folder of that name is no desktop.ini file
    Tree.WriteFile("odd/y", "1");
    State.SkipDesktopIniFolders = true;
    Walk();
    EXPECT_EQ(Paths(),
              (Lines{"C:\\custom\\plain\\below", "C:\\odd\\desktop.ini\\x", "C:\\odd\\y"}));
}

TEST_F(CatalogueTest, KnownDuplicatesAreLeftOutInAnyLetterCase)
{
    Tree.WriteFile("Data/known.txt", "1");
    Tree.WriteFile("Data/new.txt", "2");
    State.KnownDuplicates.Add("C:\\DATA\\KNOWN.TXT");
    Walk();
    EXPECT_EQ(Paths(), Lines{"C:\\Data\\new.txt"});
}

TEST_F(CatalogueTest, FilteredPassKeepsOnlyKeysOfTheMasterPass)
{
    Tree.WriteSized("master/k10", 10);
    Tree.WriteSized("master/k20", 20);
    Tree.WriteSized("other/o20", 20);
    Tree.WriteSized("other/o30", 30);
    State.ScanMode = TScanMode::smMaster;
    Walk("C:\\master\\");
    State.ScanMode = TScanMode::smFiltered;
    Walk("C:\\other\\");
    EXPECT_EQ(State.MasterKeys.CommaText(), "\"       10 \",\"       20 \"");
    EXPECT_EQ(Paths(), (Lines{"C:\\master\\k10", "C:\\master\\k20", "C:\\other\\o20"}));

    // In name mode the keys are names, matched ignoring case.
    State.Catalogue.Clear();
    State.MasterKeys.Clear();
    State.RequireSameSize = false;
    Tree.WriteSized("master/Photo.JPG", 1);
    Tree.WriteSized("other/photo.jpg", 2);
    State.ScanMode = TScanMode::smMaster;
    Walk("C:\\master\\");
    State.ScanMode = TScanMode::smFiltered;
    Walk("C:\\other\\");
    EXPECT_EQ(Paths(), (Lines{"C:\\master\\k10", "C:\\master\\k20", "C:\\other\\photo.jpg",
                              "C:\\master\\Photo.JPG"}));
}

TEST_F(CatalogueTest, EveryFolderTakesALineAndShowsInTheStatusBar)
{
    Tree.WriteFile("WINDOWS/SYSBCKUP/a", "1");
    Tree.WriteFile("docs/b", "1");
    State.SkipSysbckupFolder = true;
    Walk();
    const Lines folders{"C:\\", "C:\\docs\\", "C:\\WINDOWS\\", "C:\\WINDOWS\\SYSBCKUP\\"};
    EXPECT_EQ(Folders(), folders);
    EXPECT_EQ(Window.StatusHistory[3],
              (Lines{"C:\\", "C:\\docs\\", "C:\\WINDOWS\\", "Skipping C:\\WINDOWS\\SYSBCKUP\\"}));
    EXPECT_EQ(Window.StatusRepaints, 4);
    EXPECT_TRUE(Window.StatusHistory[0].empty());
    EXPECT_EQ(Paths(), Lines{"C:\\docs\\b"});
}

TEST_F(CatalogueTest, UpdateBracketsNestOnePairPerFolderAndCloseAfterAStop)
{
    Tree.WriteFile("a/b/c/f", "1");
    Tree.WriteFile("z/g", "1");
    int deepest = 0;
    auto found = Scanner.OnDirectoryFound;
    Scanner.OnDirectoryFound = [&](TTreeScanner* s) {
        found(s);
        deepest = std::max(deepest, State.Catalogue.UpdateCount());
        if (s->FileFound() == "C:\\a\\b\\c\\")
            s->KeepSearching = false;
    };
    Walk();
    EXPECT_EQ(deepest, 4);
    EXPECT_EQ(State.Catalogue.UpdateCount(), 0);
    EXPECT_EQ(Paths(), Lines{"C:\\a\\b\\c\\f"});
}

}  // namespace
