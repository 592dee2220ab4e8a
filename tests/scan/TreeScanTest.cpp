#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "scan/TreeScan.h"
#include "support/Privileges.h"
#include "support/TempTree.h"

namespace {

// A walk over a temporary tree mapped to drive C:, every event written down as one line:
// "found <path>", "file <path> <size>", "done <FileFound>", "end <FileFound>". Each test runs
// with the folders read by the walk alone, and ahead of it by a thread (one folder at most, so
// the walk often takes over, and many).
class TreeScanTest : public testing::TestWithParam<std::size_t> {
protected:
    void SetUp() override
    {
        TDriveTable::SetCurrent(TDriveTable::FromSpec("C=" + Tree.Root(), nullptr));
        Scanner.ListingsAhead = GetParam();
        // Sizes show on file lines, and on others only when not zero.
        auto log = [this](std::string kind) {
            return [this, kind](TTreeScanner* s) {
                EXPECT_EQ(s->SearchInProgress(), kind != "end");
                const std::string size = std::to_string(s->FileSize());
                Log.push_back(kind + " " + s->FileFound() +
                              (kind == "file" || size != "0" ? " " + size : ""));
            };
        };
        Scanner.OnDirectoryFound = log("found");
        Scanner.OnFileFound = log("file");
        Scanner.OnDirectoryDone = log("done");
        Scanner.OnSearchDone = log("end");
        Scanner.SetFileMask("*.*");
    }
    void TearDown() override { TDriveTable::ResetCurrent(); }

    // Entries "path" (empty file), "path=contents" or "folder/".
    void Make(std::initializer_list<std::string_view> entries)
    {
        for (std::string_view e : entries) {
            const std::size_t eq = e.find('=');
            if (e.back() == '/')
                Tree.MakeDir(e);
            else
                Tree.WriteFile(e.substr(0, eq), eq == e.npos ? "" : e.substr(eq + 1));
        }
    }
    static constexpr std::string_view All = "found file done end";
    // One walk; its lines of the kinds named ("file", "found file", ...), each ended by "|".
    std::string Walk(std::string_view kinds = All, std::string_view root = "C:\\")
    {
        Log.clear();
        Scanner.SetInitialDirectory(root);
        Scanner.Search();
        std::string lines;
        for (const std::string& line : Log)
            if (kinds.find(line.substr(0, line.find(' '))) != std::string_view::npos)
                lines += line + "|";
        return lines;
    }

    TTempTree Tree;
    TTreeScanner Scanner;
    std::vector<std::string> Log;
};

TEST_P(TreeScanTest, ReportsFoldersAndFilesInOrder)
{
    Make({"b.txt", "a.txt=a", "Y/", "X/x.txt=xxx"});
    ASSERT_EQ(truncate(Tree.Path("b.txt").c_str(), 5'000'000'000LL), 0);  // sparse
    // A folder's "done" carries the last path reported inside it.
    EXPECT_EQ(Walk(),
              "found C:\\|file C:\\a.txt 1|file C:\\b.txt 5000000000|found C:\\X\\|"
              "file C:\\X\\x.txt 3|done C:\\X\\x.txt|found C:\\Y\\|done C:\\Y\\|done C:\\Y\\|"
              "end C:\\Y\\|");
}

TEST_P(TreeScanTest, MasksAndFlagsChooseWhatIsReported)
{
    Make({"a.txt=a", "A.txt=22", "C.TXT", "noext", "r1.doc", "r1.doc,noext", ".secret",
          ".cache/inside", "sub/inner.txt", "Sub/other"});
    const std::string folders = "found C:\\Sub\\|found C:\\sub\\|";
    const struct {
        const char* masks;
        bool hiddenFiles, hiddenFolders, recursive;
        std::string seen;
    } cases[] = {
        // No mask: every folder, no file.
        {"", false, false, true, "found C:\\|" + folders},
        // Names sorted ignoring case, those equal so by their bytes; one report per file however
        // many masks take it; "*.*" takes names without a dot.
        {"*.*,*.TXT", false, false, true,
         "found C:\\|file C:\\A.txt 2|file C:\\a.txt 1|file C:\\C.TXT 0|file C:\\noext 0|"
         "file C:\\r1.doc 0|file C:\\r1.doc,noext 0|found C:\\Sub\\|file C:\\Sub\\other 0|"
         "found C:\\sub\\|file C:\\sub\\inner.txt 0|"},
        // A mask never reaches into another folder; an empty one takes nothing.
        {"*.txt,?1.doc,sub\\*.txt,,sub/*.txt", false, false, true,
         "found C:\\|file C:\\A.txt 2|file C:\\a.txt 1|file C:\\C.TXT 0|file C:\\r1.doc 0|"
         "found C:\\Sub\\|found C:\\sub\\|file C:\\sub\\inner.txt 0|"},
        {"\"r1.doc,noext\"", false, false, true, "found C:\\|file C:\\r1.doc,noext 0|" + folders},
        {"*s*", true, false, true, "found C:\\|file C:\\.secret 0|" + folders},
        {"*s*", false, true, true,
         "found C:\\|found C:\\.cache\\|file C:\\.cache\\inside 0|" + folders},
        {"a.*", false, false, false, "found C:\\|file C:\\A.txt 2|file C:\\a.txt 1|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.masks);
        Scanner.SetFileMaskCommaText(c.masks);
        Scanner.SetFindHiddenFiles(c.hiddenFiles);
        Scanner.SetFindHiddenFolders(c.hiddenFolders);
        Scanner.SetRecursive(c.recursive);
        EXPECT_EQ(Walk("found file"), c.seen);
    }
    // The list drops masks equal but for case, keeping the first; one mask is never split.
    Scanner.SetFileMaskCommaText("*.TXT *.doc,*.txt");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "*.doc,*.TXT");
    EXPECT_EQ(Scanner.FileMask(), "*.doc");
    Scanner.SetFileMask("b.txt,a.txt");
    EXPECT_EQ(Scanner.FileMaskCommaText(), "\"b.txt,a.txt\"");
}

TEST_P(TreeScanTest, RootIsNormalisedAndAMissingOneGivesOnlyItsPairOfEvents)
{
    EXPECT_EQ(Walk(All, "C:\\nowhere"),
              "found C:\\nowhere\\|done C:\\nowhere\\|end C:\\nowhere\\|");
    EXPECT_EQ(Walk(All, "Q:"), "found Q:\\|done Q:\\|end Q:\\|");  // no such drive

    Make({"work/here.txt=h"});
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(Tree.Path("work"));
    const std::string files = Walk("file", "");  // the current directory
    std::filesystem::current_path(old);
    EXPECT_EQ(Scanner.InitialDirectory(), "C:\\work\\");
    EXPECT_EQ(files, "file C:\\work\\here.txt 1|");
}

TEST_P(TreeScanTest, StopFinishesTheCurrentFolderAndEntersNoOther)
{
    Make({"A/a1", "A/a2", "A/deeper/d", "B/b"});
    const std::string stopped =
        "found C:\\|found C:\\A\\|file C:\\A\\a1 0|file C:\\A\\a2 0|done C:\\A\\a2|"
        "done C:\\A\\a2|end C:\\A\\a2|";
    auto record = Scanner.OnFileFound;
    Scanner.OnFileFound = [&](TTreeScanner* s) {
        record(s);
        if (s->FileFound() == "C:\\A\\a1")
            s->KeepSearching = false;  // the folder's other files still come
    };
    EXPECT_EQ(Walk(), stopped);

    Scanner.OnFileFound = record;
    int pumps = 0;
    Scanner.ProcessMessages = [&] {
        if (++pumps == 3)
            Scanner.KeepSearching = false;  // before A\deeper: skipped without any event
    };
    EXPECT_EQ(Walk(), stopped);
    EXPECT_EQ(pumps, 4);  // once per folder, not per file; B's visit pumps, then returns
}

// A folder swapped for a link (or for another folder) after its parent was listed is entered
// as one that cannot be listed: the walk never leaves the tree through it.
TEST_P(TreeScanTest, AFolderSwappedDuringTheWalkIsNotFollowed)
{
    TTempTree elsewhere;
    elsewhere.WriteFile("secret", "s");
    Make({"link/a", "moved/b", "z/c"});
    auto found = Scanner.OnDirectoryFound;
    Scanner.OnDirectoryFound = [&](TTreeScanner* s) {
        found(s);
        if (s->FileFound() != "C:\\")
            return;
        ASSERT_EQ(rename(Tree.Path("link").c_str(), Tree.Path("gone").c_str()), 0);
        ASSERT_EQ(symlink(elsewhere.Root().c_str(), Tree.Path("link").c_str()), 0);
        ASSERT_EQ(rename(Tree.Path("moved").c_str(), Tree.Path("old").c_str()), 0);
        Tree.WriteFile("moved/new", "n");
    };
    EXPECT_EQ(Walk("found file"),
              "found C:\\|found C:\\link\\|found C:\\moved\\|found C:\\z\\|"
              "file C:\\z\\c 0|");
}

TEST_P(TreeScanTest, UnreadableFolderStillGetsItsPairOfEvents)
{
    Make({"locked/inside", "open/x"});
    OpenToOthers(Tree.Root(), Tree.Path("open"));
    ASSERT_EQ(chmod(Tree.Path("locked").c_str(), 0), 0);
    const std::string expected =
        "found C:\\|found C:\\locked\\|done C:\\locked\\|found C:\\open\\|file C:\\open\\x 0|"
        "done C:\\open\\x|done C:\\open\\x|end C:\\open\\x|";
    EXPECT_EQ(RunUnprivileged([&] { return Walk() == expected ? 0 : 1; }), 0);
}

TEST_P(TreeScanTest, VeryDeepTreeIsWalkedWhole)
{
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(Tree.Root());
    std::string folders = "found C:\\|", bottom = "C:\\";
    for (int i = 0; i < 2000; ++i) {
        std::filesystem::create_directory("d");
        std::filesystem::current_path("d");
        bottom += "d\\";
        folders += "found " + bottom + "|";
    }
    std::ofstream("bottom").flush();
    std::filesystem::current_path(old);
    EXPECT_EQ(Walk("found file"), folders + "file " + bottom + "bottom 0|");
    EXPECT_EQ(std::count(Log.begin(), Log.end(), "done " + bottom + "bottom"), 2001);
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, TreeScanTest, testing::Values(0, 1, 64));

}  // namespace
