// The bulk clean-up on real trees: a selected file goes only while another copy of its bytes
// stays, whatever happened to the tree after the search.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "engine/CopyCleanup.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

constexpr const char* kSame = "the same words";
constexpr const char* kOther = "other  words!!";  // as long as kSame

// What happens to the tree: before the search (the links) or between the search and the clean-up.
// clang-format off
enum TEvent { evNone, evSelectedGrew, evSelectedRewritten, evOtherDeleted, evOtherChanged,
              evHardLinks, evLinkOnWay };

// Files a, b, c of one group of kSame; b is listed through a link to its folder for evLinkOnWay.
struct TCase {
    const char* Name;
    const char* Selected;  // '1' per selected file
    TEvent Event;
    const char* Outcomes;  // per selected file: Removed, No copy, Changed, Gone, Failed, not reached (-)
    const char* Left;      // '1' per file still there at the end
    TCleanupMode Mode = TCleanupMode::cmTrash;
    int CancelAtCall = 0;  // the pump's call that answers "cancel"; 0: never
};

const TCase kCases[] = {
    {"three, two selected",                   "011", evNone,              "RR", "100"},
    {"whole group selected: the first stays", "111", evNone,              "RR", "100"},
    {"dry run touches nothing",               "011", evNone,              "RR", "111", TCleanupMode::cmDryRun},
    {"permanent",                             "01",  evNone,              "R",  "10",  TCleanupMode::cmPermanent},
    {"selected file grew",                    "01",  evSelectedGrew,      "C",  "11"},
    {"selected file rewritten, same size",    "01",  evSelectedRewritten, "N",  "11"},
    {"the other copy deleted meanwhile",      "01",  evOtherDeleted,      "N",  "01"},
    {"the other copy changed meanwhile",      "011", evOtherChanged,      "NR", "110"},
    {"hard links of one file",                "01",  evHardLinks,         "N",  "11"},
    {"a link on the way",                     "01",  evLinkOnWay,         "C",  "11"},
    {"cancel after the first file",           "011", evNone,              "R-", "101", TCleanupMode::cmTrash, 2},
};
// clang-format on

TEST(CopyCleanupTest, RemovesASelectedFileOnlyWhileAnotherCopyOfItsBytesStays)
{
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        TEnvGuard trash("XDG_DATA_HOME", tree.MakeDir(".data"));
        TDriveTable::SetCurrent(TDriveTable::FromFolders({tree.Root()}));
        TCleanupGroup group;
        std::vector<std::string> files;
        for (std::size_t i = 0; c.Selected[i]; ++i) {
            files.push_back(c.Event == evLinkOnWay && i == 1 ? "l/b" : std::string(1, 'a' + i));
            if (c.Event == evHardLinks && i == 1) {
                link(tree.Path("a").c_str(), tree.Path("b").c_str());
            } else if (c.Event == evLinkOnWay && i == 1) {
                tree.WriteFile("d/b", kSame);
                symlink(tree.Path("d").c_str(), tree.Path("l").c_str());
            } else {
                tree.WriteFile(files[i], kSame);
            }
            std::string path = "C:\\" + files[i];
            std::replace(path.begin(), path.end(), '/', '\\');
            group.Files.push_back({path, 14, c.Selected[i] == '1', i});
        }
        const TCleanupPlan plan = PlanCleanup({group});
        if (c.Event == evSelectedGrew)
            tree.WriteFile("b", "the same words!");
        if (c.Event == evSelectedRewritten)
            tree.WriteFile("b", kOther);
        if (c.Event == evOtherDeleted)
            unlink(tree.Path("a").c_str());
        if (c.Event == evOtherChanged)
            tree.WriteFile("a", kOther);
        int calls = 0;
        std::int64_t bytesSeen = 0;
        const TCleanupReport report =
            CleanUpCopies({group}, c.Mode, [&](const TCleanupProgress& p) {
                bytesSeen = p.BytesDone;
                return ++calls != c.CancelAtCall;
            });

        std::string outcomes, left;
        for (const TCleanupResult& r : report.Files)
            outcomes += "RNCGF-"[static_cast<int>(r.Outcome)];
        for (const std::string& file : files)
            left += access(tree.Path(file).c_str(), F_OK) == 0 ? '1' : '0';
        EXPECT_EQ(outcomes, c.Outcomes);
        EXPECT_EQ(left, c.Left);
        EXPECT_EQ(plan.Files, outcomes.size());
        EXPECT_EQ(plan.KeptFirst.size(), std::string(c.Selected).find('0') == std::string::npos);
        EXPECT_EQ(report.Cancelled, c.CancelAtCall != 0);
        EXPECT_EQ(bytesSeen,
                  14 * static_cast<std::int64_t>(std::min(outcomes.find('-'), outcomes.size())));
        TDriveTable::ResetCurrent();
    }
}

// A file written in place while it is compared (same size, same inode) makes the bytes just
// read stale: neither the selected file nor its copy may then let the selected one go.
TEST(CopyCleanupTest, AFileWrittenWhileItIsComparedKeepsTheSelectedOne)
{
    const std::string big(2 << 20, 'x');
    for (const char* written : {"a", "b"}) {
        SCOPED_TRACE(written);
        TTempTree tree;
        TDriveTable::SetCurrent(TDriveTable::FromFolders({tree.Root()}));
        tree.WriteFile("a", big);
        tree.WriteFile("b", big);
        TCleanupGroup group;
        group.Files = {{"C:\\a", 2 << 20, false, 0}, {"C:\\b", 2 << 20, true, 1}};
        int calls = 0;
        const auto pump = [&](const TCleanupProgress&) {
            if (++calls == 2) {  // a megabyte into the comparison: the first byte was read
                usleep(20000);   // past the clock tick of the file's last change
                std::FILE* file = std::fopen(tree.Path(written).c_str(), "r+");
                std::fputc('y', file);
                std::fclose(file);
            }
            return true;
        };
        const TCleanupReport report = CleanUpCopies({group}, TCleanupMode::cmPermanent, pump);
        EXPECT_NE(report.Files[0].Outcome, TCleanupOutcome::coRemoved);
        EXPECT_EQ(access(tree.Path("b").c_str(), F_OK), 0);
        TDriveTable::ResetCurrent();
    }
}

// The check before a single deletion shares the rules: a hard link or the file itself is no
// copy, and the pump can stop it between files.
TEST(CopyCleanupTest, TheOneFileCheckStopsAtTheFirstCopy)
{
    TTempTree tree;
    TDriveTable::SetCurrent(TDriveTable::FromFolders({tree.Root()}));
    tree.WriteFile("a", kSame);
    tree.WriteFile("b", kSame);
    tree.WriteFile("c", kOther);
    link(tree.Path("a").c_str(), tree.Path("h").c_str());
    EXPECT_EQ(FindIdenticalCopy("C:\\a", {"C:\\c", "C:\\h", "C:\\a"}), TCopyCheck::ccNoCopy);
    EXPECT_EQ(FindIdenticalCopy("C:\\a", {"C:\\c", "C:\\b"}), TCopyCheck::ccCopyFound);
    EXPECT_EQ(FindIdenticalCopy("C:\\gone", {"C:\\a"}), TCopyCheck::ccNoCopy);
    int calls = 0;
    EXPECT_EQ(FindIdenticalCopy("C:\\a", {"C:\\c", "C:\\b"}, [&] { return ++calls < 2; }),
              TCopyCheck::ccCancelled);
    TDriveTable::ResetCurrent();
}

}  // namespace
