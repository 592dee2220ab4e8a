#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "scan/TreeScan.h"
#include "support/Privileges.h"
#include "support/TempTree.h"

namespace fs = std::filesystem;
using Events = std::vector<std::string>;

namespace {

// A walk over a real temporary tree mapped to drive C:, every event written down as one line:
// "found <path>", "file <path> <size>", "done <FileFound>", "end <FileFound>".
class TreeScanTest : public testing::Test {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(TDriveTable::FromSpec("C=" + Tree.Root(), nullptr));
        Scanner.OnDirectoryFound = [this](TTreeScanner* s) {
            EXPECT_EQ(s->FileSize(), 0);
            Log.push_back("found " + s->FileFound());
        };
        Scanner.OnFileFound = [this](TTreeScanner* s) {
            Log.push_back("file " + s->FileFound() + " " + std::to_string(s->FileSize()));
        };
        Scanner.OnDirectoryDone = [this](TTreeScanner* s) {
            EXPECT_EQ(s->FileSize(), 0);
            Log.push_back("done " + s->FileFound());
        };
        Scanner.OnSearchDone = [this](TTreeScanner* s) {
            EXPECT_FALSE(s->SearchInProgress());
            Log.push_back("end " + s->FileFound());
        };
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    Events Walk(std::string_view root = "C:\\")
    {
        Log.clear();
        Scanner.SetInitialDirectory(root);
        Scanner.Search();
        return Log;
    }
    // Only the lines of one kind ("file", "found", ...), in order.
    Events Only(std::string_view kind) const
    {
        Events lines;
        for (const std::string& line : Log) {
            if (line.compare(0, kind.size() + 1, std::string(kind) + " ") == 0)
                lines.push_back(line);
        }
        return lines;
    }

    TTempTree Tree;
    TTreeScanner Scanner;
    Events Log;
};

TEST_F(TreeScanTest, ReportsFoldersAndFilesInTheDocumentedOrder)
{
    Tree.WriteFile("b.txt", "bb");
    Tree.WriteFile("a.txt", "a");
    Tree.MakeDir("Y");
    Tree.WriteFile("X/x.txt", "xxx");
    Scanner.SetFileMask("*.*");
    EXPECT_EQ(Walk(), (Events{
                          "found C:\\",
                          "file C:\\a.txt 1",
                          "file C:\\b.txt 2",
                          "found C:\\X\\",
                          "file C:\\X\\x.txt 3",
                          "done C:\\X\\x.txt",  // the last path reported inside, not the folder
                          "found C:\\Y\\",
                          "done C:\\Y\\",
                          "done C:\\Y\\",
                          "end C:\\Y\\",
                      }));
    EXPECT_FALSE(Scanner.SearchInProgress());
    EXPECT_EQ(Scanner.FileSize(), 0);
}

TEST_F(TreeScanTest, SortsNamesIgnoringCaseAndKeepsNamesThatDifferOnlyInCase)
{
    Tree.WriteFile("b.txt", "");
    Tree.WriteFile("C.txt", "");
    Tree.WriteFile("a.txt", "1");
    Tree.WriteFile("A.txt", "22");
    Tree.WriteFile("Docs/one", "");
    Tree.WriteFile("docs/two", "");
    Scanner.SetFileMaskCommaText("*.*,*.TXT");  // both masks match the .txt files
    Walk();
    // Two different entries are two files, however their names compare; each is reported once.
    EXPECT_EQ(Only("file"),
              (Events{"file C:\\A.txt 2", "file C:\\a.txt 1", "file C:\\b.txt 0",
                      "file C:\\C.txt 0", "file C:\\Docs\\one 0", "file C:\\docs\\two 0"}));
    EXPECT_EQ(Only("found"), (Events{"found C:\\", "found C:\\Docs\\", "found C:\\docs\\"}));
}

TEST_F(TreeScanTest, WithoutMasksReportsEveryFolderAndNoFile)
{
    Tree.WriteFile("a.txt", "a");
    Tree.WriteFile("sub/b.txt", "b");
    Walk();
    EXPECT_EQ(Only("file"), Events{});
    EXPECT_EQ(Only("found"), (Events{"found C:\\", "found C:\\sub\\"}));
    EXPECT_EQ(Scanner.FileMask(), "");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "");
}

TEST_F(TreeScanTest, MaskListIsSortedDeduplicatedAndQuotedAsCommaText)
{
    Scanner.SetFileMaskCommaText("*.txt *.doc");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "*.doc,*.txt");
    EXPECT_EQ(Scanner.FileMask(), "*.doc");

    Scanner.SetFileMaskCommaText("*.TXT,*.txt");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "*.TXT");  // the one written first

    Scanner.SetFileMaskCommaText("\"my *.txt\"");
    EXPECT_EQ(Scanner.FileMask(), "my *.txt");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "\"my *.txt\"");

    Scanner.SetFileMask("b.txt,a.txt");  // one mask, not split
    EXPECT_EQ(Scanner.FileMaskCommaText(), "\"b.txt,a.txt\"");

    Scanner.SetFileMask("");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "\"\"");
}

TEST_F(TreeScanTest, MasksFollowWildcardRulesAndNeverReachIntoAnotherFolder)
{
    Tree.WriteFile("Report.TXT", "");
    Tree.WriteFile("noext", "");
    Tree.WriteFile("a1.doc", "");
    Tree.WriteFile("sub/inner.txt", "");
    Scanner.SetFileMaskCommaText("*.txt,?1.doc,sub\\*.txt,,sub/*.txt");
    Walk();
    EXPECT_EQ(Only("file"),
              (Events{"file C:\\a1.doc 0", "file C:\\Report.TXT 0", "file C:\\sub\\inner.txt 0"}));

    Scanner.SetFileMask("*.*");
    Walk();
    EXPECT_EQ(Only("file").size(), 4u);  // "*.*" takes names without a dot too

    Tree.WriteFile("a1.doc,noext", "");
    Scanner.SetFileMask("a1.doc,noext");  // one mask holding a comma
    Walk();
    EXPECT_EQ(Only("file"), Events{"file C:\\a1.doc,noext 0"});
}

TEST_F(TreeScanTest, MaskSettersAreIgnoredWhileAWalkRuns)
{
    Tree.WriteFile("a.txt", "");
    Tree.WriteFile("b.doc", "");
    Tree.WriteFile("sub/c.doc", "");
    Scanner.SetFileMask("*.doc");
    Scanner.OnDirectoryFound = [](TTreeScanner* s) {
        s->SetFileMask("*.txt");
        s->SetFileMaskCommaText("*.txt,*.*");
    };
    Walk();
    EXPECT_EQ(Only("file"), (Events{"file C:\\b.doc 0", "file C:\\sub\\c.doc 0"}));
    EXPECT_EQ(Scanner.FileMaskCommaText(), "*.doc");
}

TEST_F(TreeScanTest, HiddenFilesAndFoldersFollowTheirFlags)
{
    Tree.WriteFile(".secret", "");
    Tree.WriteFile("plain", "");
    Tree.WriteFile(".cache/inside", "");
    Scanner.SetFileMask("*.*");

    Walk();
    EXPECT_EQ(Only("file"), Events{"file C:\\plain 0"});
    EXPECT_EQ(Only("found"), Events{"found C:\\"});  // not entered, not reported

    Scanner.SetFindHiddenFiles(true);
    Walk();
    EXPECT_EQ(Only("file"), (Events{"file C:\\.secret 0", "file C:\\plain 0"}));

    Scanner.SetFindHiddenFiles(false);
    Scanner.SetFindHiddenFolders(true);
    Walk();
    EXPECT_EQ(Only("file"), (Events{"file C:\\plain 0", "file C:\\.cache\\inside 0"}));
}

TEST_F(TreeScanTest, NonRecursiveWalkReportsTheRootOnly)
{
    Tree.WriteFile("a.txt", "a");
    Tree.WriteFile("sub/b.txt", "b");
    Scanner.SetFileMask("*.*");
    Scanner.SetRecursive(false);
    EXPECT_EQ(Walk(),
              (Events{"found C:\\", "file C:\\a.txt 1", "done C:\\a.txt", "end C:\\a.txt"}));
}

TEST_F(TreeScanTest, RecursionTurnedOffInsideAVisitReportsSubfoldersWithoutEnteringThem)
{
    Tree.WriteFile("X/x.txt", "");
    Tree.MakeDir("Y");
    Tree.WriteFile("top", "");
    Scanner.SetFileMask("*.*");
    Scanner.OnDirectoryDone = nullptr;
    Scanner.OnFileFound = [](TTreeScanner* s) {
        s->SetRecursive(false);  // the root's subfolders are collected by now
    };
    Walk();
    EXPECT_EQ(Log, (Events{"found C:\\", "found C:\\X\\", "found C:\\Y\\", "end C:\\Y\\"}));
}

TEST_F(TreeScanTest, EmptyInitialDirectoryWalksTheCurrentDirectory)
{
    Tree.WriteFile("work/here.txt", "h");
    Scanner.SetFileMask("*.*");
    const fs::path old = fs::current_path();
    fs::current_path(Tree.Path("work"));
    Walk("");
    fs::current_path(old);
    EXPECT_EQ(Scanner.InitialDirectory(), "C:\\work\\");
    EXPECT_EQ(Only("file"), Events{"file C:\\work\\here.txt 1"});
}

TEST_F(TreeScanTest, InitialDirectoryIsBroughtIntoNormalForm)
{
    EXPECT_EQ(TTreeScanner::NormalFolder("C:"), "C:\\");
    EXPECT_EQ(TTreeScanner::NormalFolder("D:\\Data"), "D:\\Data\\");
    EXPECT_EQ(TTreeScanner::NormalFolder("D:\\Data\\"), "D:\\Data\\");
    EXPECT_EQ(TTreeScanner::NormalFolder("\\"), "\\");

    Tree.WriteFile("Data/f", "");
    Tree.WriteFile("Data/sub/g", "");
    Scanner.SetFileMask("*.*");
    auto found = Scanner.OnDirectoryFound;
    Scanner.OnDirectoryFound = [&](TTreeScanner* s) {
        found(s);
        s->SetInitialDirectory("C:\\elsewhere");  // holds for the next walk only
    };
    Walk("C:\\Data");
    EXPECT_EQ(Only("file"), (Events{"file C:\\Data\\f 0", "file C:\\Data\\sub\\g 0"}));
    EXPECT_EQ(Scanner.InitialDirectory(), "C:\\elsewhere");
}

TEST_F(TreeScanTest, MissingRootGivesItsPairOfEventsAndNothingElse)
{
    Scanner.SetFileMask("*.*");
    EXPECT_EQ(Walk("C:\\nowhere"),
              (Events{"found C:\\nowhere\\", "done C:\\nowhere\\", "end C:\\nowhere\\"}));
    EXPECT_EQ(Walk("Q:\\"), (Events{"found Q:\\", "done Q:\\", "end Q:\\"}));  // no such drive
}

// --- Stopping ---

TEST_F(TreeScanTest, StopFromAFileHandlerFinishesThatFolderAndUnwinds)
{
    Tree.WriteFile("A/a1", "");
    Tree.WriteFile("A/a2", "");
    Tree.WriteFile("A/deeper/d", "");
    Tree.WriteFile("B/b", "");
    Scanner.SetFileMask("*.*");
    auto record = Scanner.OnFileFound;
    Scanner.OnFileFound = [&](TTreeScanner* s) {
        record(s);
        if (s->FileFound() == "C:\\A\\a1")
            s->KeepSearching = false;
    };
    EXPECT_EQ(Walk(), (Events{"found C:\\", "found C:\\A\\", "file C:\\A\\a1 0", "file C:\\A\\a2 0",
                              "done C:\\A\\a2", "done C:\\A\\a2", "end C:\\A\\a2"}));
}

TEST_F(TreeScanTest, StopFromThePumpSkipsTheFolderAboutToBeEnteredWithoutAnyEvent)
{
    Tree.WriteFile("A/a", "");
    Tree.WriteFile("A/a2", "");
    Tree.WriteFile("B/b", "");
    Tree.WriteFile("C/c", "");
    Scanner.SetFileMask("*.*");
    int pumps = 0;
    Scanner.ProcessMessages = [&] {
        if (++pumps == 3)
            Scanner.KeepSearching = false;  // before B
    };
    EXPECT_EQ(Walk(), (Events{"found C:\\", "found C:\\A\\", "file C:\\A\\a 0", "file C:\\A\\a2 0",
                              "done C:\\A\\a2", "done C:\\A\\a2", "end C:\\A\\a2"}));
    EXPECT_EQ(pumps, 4);  // once per folder, not per file; C's visit pumps, then returns

    // A stop asked for before the walk starts is lost.
    pumps = -100;
    Scanner.KeepSearching = false;
    Walk();
    EXPECT_EQ(Only("file").size(), 4u);
}

TEST_F(TreeScanTest, HandlerExceptionEndsTheWalkAndLeavesTheScannerUsable)
{
    Tree.WriteFile("a", "");
    Tree.WriteFile("sub/b", "");
    Scanner.SetFileMask("*.*");
    auto record = Scanner.OnFileFound;
    Scanner.OnFileFound = [](TTreeScanner*) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(Walk(), std::runtime_error);
    EXPECT_FALSE(Scanner.SearchInProgress());
    Scanner.SetFileMask("b");  // accepted again
    Scanner.OnFileFound = record;
    Walk();
    EXPECT_EQ(Only("file"), Events{"file C:\\sub\\b 0"});
}

TEST_F(TreeScanTest, HandlersMayReassignEventsAndCannotNestAWalk)
{
    Tree.WriteFile("a", "");
    Tree.WriteFile("b", "");
    Scanner.SetFileMask("*.*");
    Events files;
    const std::string tag(40, 'x');  // big enough that the callable lives on the heap
    Scanner.OnFileFound = [&files, tag](TTreeScanner* s) {
        s->Search();                            // ignored: a walk runs already
        s->OnFileFound = nullptr;               // the running handler's own callable goes...
        files.push_back(tag + s->FileFound());  // ...while it still reads its captures
    };
    Walk();
    EXPECT_EQ(files, Events{tag + "C:\\a"});
    EXPECT_EQ(Only("found"), Events{"found C:\\"});
}

// --- Bad input ---

TEST_F(TreeScanTest, HostileEntriesAreNeverReportedOrFollowedAndOddNamesKeepTheirBytes)
{
    Tree.WriteFile("real/file", "data");
    const std::string odd = std::string("bad\xff\xfe name, \"q\"");
    Tree.WriteFile("real/" + odd, "");
    ASSERT_EQ(symlink(Tree.Root().c_str(), Tree.Path("real/loop").c_str()), 0);
    ASSERT_EQ(symlink(Tree.Path("real/file").c_str(), Tree.Path("real/link").c_str()), 0);
    ASSERT_EQ(mkfifo(Tree.Path("real/pipe").c_str(), 0600), 0);
    Tree.WriteFile("real/back\\slash", "x");
    Scanner.SetFileMask("*.*");
    Walk();
    EXPECT_EQ(Only("file"), (Events{"file C:\\real\\" + odd + " 0", "file C:\\real\\file 4"}));
    EXPECT_EQ(Only("found"), (Events{"found C:\\", "found C:\\real\\"}));
}

TEST_F(TreeScanTest, UnreadableFolderStillGetsItsPairOfEvents)
{
    Tree.WriteFile("locked/inside", "");
    Tree.WriteFile("open/x", "");
    OpenToOthers(Tree.Root(), Tree.Path("open"));
    ASSERT_EQ(chmod(Tree.Path("locked").c_str(), 0), 0);
    Scanner.SetFileMask("*.*");
    const Events expected{"found C:\\",       "found C:\\locked\\", "done C:\\locked\\",
                          "found C:\\open\\", "file C:\\open\\x 0", "done C:\\open\\x",
                          "done C:\\open\\x", "end C:\\open\\x"};
    EXPECT_EQ(RunUnprivileged([&] { return Walk() == expected ? 0 : 1; }), 0);
}

TEST_F(TreeScanTest, FileSizesAreSixtyFourBit)
{
    const std::string big = Tree.WriteFile("big", "");
    ASSERT_EQ(truncate(big.c_str(), 5'000'000'000LL), 0);  // sparse: no disk used
    Scanner.SetFileMask("*.*");
    Walk();
    EXPECT_EQ(Only("file"), Events{"file C:\\big 5000000000"});
}

TEST_F(TreeScanTest, VeryDeepTreeIsWalkedWhole)
{
    constexpr int depth = 2000;
    int dir = open(Tree.Root().c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(dir, 0);
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(mkdirat(dir, "d", 0700), 0);
        int next = openat(dir, "d", O_RDONLY | O_DIRECTORY);
        close(dir);
        ASSERT_GE(next, 0);
        dir = next;
    }
    int file = openat(dir, "bottom", O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    close(file);
    close(dir);

    Scanner.SetFileMask("*.*");
    Walk();
    EXPECT_EQ(Only("found").size(), depth + 1u);
    EXPECT_EQ(Only("done").size(), depth + 1u);
    std::string bottom = "C:\\";
    for (int i = 0; i < depth; ++i) bottom += "d\\";
    EXPECT_EQ(Only("file"), Events{"file " + bottom + "bottom 0"});
}

}  // namespace
