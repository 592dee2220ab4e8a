// The bulk clean-up on real trees: a selected file goes only while another copy of its bytes
// stays, whatever happened to the tree after the search.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>

#include "engine/CopyCleanup.h"
#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

constexpr const char* kSame = "the same words";

struct TCase {
    const char* Name;
    std::vector<std::string> Files;         // listed paths below drive C:, in group order
    std::string Selected;                   // '1' per selected file
    std::function<void(TTempTree&)> Setup;  // the tree as searched; default: every file kSame
    std::function<void(TTempTree&)> After;  // what changes between the search and the clean-up
    std::string Outcomes;  // per selected file: Removed, No copy, Changed, not reached (-)
    std::string Left;      // '1' per listed file still there at the end
    TCleanupMode Mode = TCleanupMode::cmTrash;
    int CancelAtCall = 0;  // the pump's call that answers "cancel"; 0: never
};

const TCase kCases[] = {
    {"three, two selected", {"a", "b", "c"}, "011", {}, {}, "RR", "100"},
    {"whole group selected: the first stays", {"a", "b", "c"}, "111", {}, {}, "RR", "100"},
    {"dry run touches nothing",
     {"a", "b", "c"},
     "011",
     {},
     {},
     "RR",
     "111",
     TCleanupMode::cmDryRun},
    {"permanent", {"a", "b"}, "01", {}, {}, "R", "10", TCleanupMode::cmPermanent},
    {"selected file grew",
     {"a", "b"},
     "01",
     {},
     [](TTempTree& t) { t.WriteFile("b", "the same words!"); },
     "C",
     "11"},
    {"selected file rewritten, same size",
     {"a", "b"},
     "01",
     {},
     [](TTempTree& t) { t.WriteFile("b", "other  words!!"); },
     "N",
     "11"},
    {"the other copy deleted meanwhile",
     {"a", "b"},
     "01",
     {},
     [](TTempTree& t) { unlink(t.Path("a").c_str()); },
     "N",
     "01"},
    {"the other copy changed meanwhile",
     {"a", "b", "c"},
     "011",
     {},
     [](TTempTree& t) { t.WriteFile("a", "other  words!!"); },
     "NR",
     "110"},
    {"hard links of one file",
     {"a", "b"},
     "01",
     [](TTempTree& t) {
         t.WriteFile("a", kSame);
         link(t.Path("a").c_str(), t.Path("b").c_str());
     },
     {},
     "N",
     "11"},
    {"a link on the way",
     {"a", "l/b"},
     "01",
     [](TTempTree& t) {
         t.WriteFile("a", kSame);
         t.WriteFile("d/b", kSame);
         symlink(t.Path("d").c_str(), t.Path("l").c_str());
     },
     {},
     "C",
     "11"},
    {"cancel after the first file",
     {"a", "b", "c"},
     "011",
     {},
     {},
     "R-",
     "101",
     TCleanupMode::cmTrash,
     2},
};

char Letter(TCleanupOutcome outcome)
{
    switch (outcome) {
        case TCleanupOutcome::coRemoved:
            return 'R';
        case TCleanupOutcome::coKeptNoCopy:
            return 'N';
        case TCleanupOutcome::coKeptChanged:
            return 'C';
        case TCleanupOutcome::coNotReached:
            return '-';
        default:
            return '?';
    }
}

TEST(CopyCleanupTest, RemovesASelectedFileOnlyWhileAnotherCopyOfItsBytesStays)
{
    for (const TCase& c : kCases) {
        SCOPED_TRACE(c.Name);
        TTempTree tree;
        TEnvGuard trash("XDG_DATA_HOME", tree.MakeDir(".data"));
        TDriveTable::SetCurrent(TDriveTable::FromFolders({tree.Root()}));
        TCleanupGroup group;
        for (std::size_t i = 0; i < c.Files.size(); ++i) {
            if (!c.Setup)
                tree.WriteFile(c.Files[i], kSame);
            std::string path = "C:\\" + c.Files[i];
            std::replace(path.begin(), path.end(), '/', '\\');
            group.Files.push_back({path, 14, c.Selected[i] == '1', i});
        }
        if (c.Setup)
            c.Setup(tree);
        const TCleanupPlan plan = PlanCleanup({group});
        if (c.After)
            c.After(tree);
        int calls = 0;
        std::int64_t bytesSeen = 0;
        const TCleanupReport report =
            CleanUpCopies({group}, c.Mode, [&](const TCleanupProgress& p) {
                bytesSeen = p.BytesDone;
                return ++calls != c.CancelAtCall;
            });

        std::string outcomes, left;
        for (const TCleanupResult& r : report.Files) outcomes += Letter(r.Outcome);
        for (const std::string& file : c.Files)
            left += access(tree.Path(file).c_str(), F_OK) == 0 ? '1' : '0';
        EXPECT_EQ(outcomes, c.Outcomes);
        EXPECT_EQ(left, c.Left);
        EXPECT_EQ(plan.Files, c.Outcomes.size());
        EXPECT_EQ(plan.KeptFirst.size(), c.Selected.find('0') == std::string::npos ? 1u : 0u);
        EXPECT_EQ(report.Cancelled, c.CancelAtCall != 0);
        EXPECT_EQ(bytesSeen, 14 * static_cast<std::int64_t>(outcomes.find('-') == std::string::npos
                                                                ? outcomes.size()
                                                                : outcomes.find('-')));
        TDriveTable::ResetCurrent();
    }
}

}  // namespace
