#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "engine/FileMatch.h"
#include "engine/SearchFixture.h"
#include "support/Privileges.h"

// What random trees cannot show: the layout and order of the groups, the rules besides
// content, and files that change or cannot be opened while they are compared.
namespace {

class ComparisonTest : public SearchFixture {
protected:
    // The rows of these groups, as the results list shows them.
    static Lines Groups(const std::vector<Lines>& groups)
    {
        Lines rows;
        for (const Lines& group : groups) {
            if (!rows.empty())
                rows.push_back("");
            rows.push_back(kHeader);
            for (const std::string& file : group) rows.push_back(C(file));
        }
        return rows;
    }
};

enum TRules { kDefault = 0, kContents = 1, kNames = 2, kSameName = 4, kKeepEmpty = 8 };

TEST_F(ComparisonTest, GroupsOfEveryRule)
{
    const std::string k = Bytes(1000, 7), n = Bytes(800, 4), a = Bytes(2000, 9),
                      big = Bytes(5000, 1), small = Bytes(50, 2);
    // clang-format off
    const struct {
        int Rules;
        std::vector<std::pair<std::string, std::string>> Tree;
        std::vector<Lines> Groups;
        std::int64_t Files, Bytes;
    } cases[] = {
        // One empty row between groups; the largest size first.
        {kDefault, {{"s1", small}, {"s2", small}, {"b1", big}, {"b2", big}, {"b3", big}},
         {{"b1", "b2", "b3"}, {"s1", "s2"}}, 3, 10050},
        // fA fB fC fD with fC different: one group, whatever stands between.
        {kContents, {{"fA", a}, {"fB", a}, {"fC", Bytes(2000, 9, 900)}, {"fD", a}},
         {{"fA", "fB", "fD"}}, 2, 4000},
        {kKeepEmpty, {{"x/e1", ""}, {"x/e2", ""}, {"y/e3", ""}}, {{"x/e1", "x/e2", "y/e3"}}, 2, 0},
        // Names alone, folding only ASCII letters ("\xC3\x89" is an upper-case e acute), also
        // when a name equal to two others but for such a letter was found between them.
        {kNames, {{"1/READ.ME", "abc"}, {"2/read.me", "1234"}, {"1/\xC3\x89", "x"},
                  {"2/\xC3\xA9", "x"}, {"1/\xC3\x89z", "x"}, {"2/\xC3\xA9z", "x"},
                  {"3/\xC3\x89z", "x"}},
         {{"1/READ.ME", "2/read.me"}, {"1/\xC3\x89z", "3/\xC3\x89z"}}, 2, 0},
        // The same name, ignoring ASCII case only.
        {kSameName, {{"p/b", k}, {"p/c", k}, {"q/B", n}, {"r/b", n}}, {{"q/B", "r/b"}}, 1, 800},
        {kDefault, {}, {}, 0, 0},  // an empty catalogue
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        UseDrives({}, "case" + std::to_string(&c - cases));
        Defaults();
        Window.Checks[TCheckBox::cbCheckFileTimestamp] = !(c.Rules & kContents);
        Window.Checks[TCheckBox::cbCheckFilesize] = !(c.Rules & kNames);
        Window.Checks[TCheckBox::cbCheckFilename] = c.Rules & kSameName;
        Window.Checks[TCheckBox::cbSkipEmptyFiles] = !(c.Rules & kKeepEmpty);
        for (const auto& [path, data] : c.Tree) Write(path, data);
        Window.FixWidthCalls = 0;
        Search();
        EXPECT_EQ(Rows(), Groups(c.Groups));
        EXPECT_EQ(Window.Status[1] + " " + Window.Status[2],
                  "Bytes: " + FormatInt(c.Bytes) + " Files: " + std::to_string(c.Files));
        EXPECT_EQ(Window.Status[3], "Scan complete");
        EXPECT_EQ(Window.FixWidthCalls, c.Files > 0 ? 1 : 0);  // frozen once, then free
        EXPECT_FALSE(State.ColumnsFixed || State.Busy || Window.ProgressVisible);
        EXPECT_EQ(State.Catalogue.Count() + State.FolderList.Count() + Window.OpenUpdates, 0);
    }
    State.DuplicateBytes = 5'000'000'000;  // totals are 64-bit
    ShowTotals(State, Window);
    EXPECT_EQ(Window.Status[1], "Bytes: 5,000,000,000");
}

TEST_F(ComparisonTest, AFileIsListedUnderOneNameOnly)
{
    for (const char* name : {"t/a.dat", "t/b.dat"}) Write(name, Bytes(1200, 2));
    Write("inner/x.dat", Bytes(900, 3));
    // A root folder given twice, and one file reached through two overlapping drives.
    Window.Edits[TEditBox::ebRootDir] = "\\t,\\t";
    UseDrives({"D=inner"});
    Window.Drives = "CD";
    Search();
    EXPECT_EQ(Rows(), Groups({{"t/a.dat", "t/b.dat"}}));
    EXPECT_EQ(State.DuplicateFiles, 1);

    Window.Checks[TCheckBox::cbCheckFilesize] = false;  // by name
    Search();
    EXPECT_EQ(Rows(), Groups({}));
}

// The walk catalogued a and b with 1000 bytes (both have 500 now), e and g
// empty, f empty then but not now, h as a file that is a FIFO now (never to be opened). Of the
// files compared, r2's head is rewritten after the checksums were taken, g2 grows and s2
// shrinks while they are compared, t2 got another date and time (the walk saw t1's); k1 and k2
// stay as they were.
TEST_F(ComparisonTest, FilesChangedSinceTheWalkAreNoDuplicates)
{
    for (const char* name : {"a", "b"}) Write(name, Bytes(500, 1));
    for (const char* name : {"e", "g"}) Write(name, "");
    Write("f", "now with contents");
    ASSERT_EQ(mkfifo(Tree.Path("h").c_str(), 0600), 0);
    for (const char* name : {"r1", "r2", "r3", "g1", "g2", "s1", "s2", "k1", "k2", "t1", "t2"})
        Write(name,
              Bytes(20000, name[0] + 100 * (name[1] == '3')));  // r3 differs: heads are read first
    Tree.SetTime("t2", kStamp + 3600);
    State.FolderList.Add("C:\\");
    const std::pair<int, std::string> walked[] = {
        {1000, "a"},   {1000, "b"},   {0, "e"},      {0, "f"},      {0, "g"},
        {1000, "h"},   {20000, "r1"}, {20000, "r2"}, {20000, "r3"}, {20000, "g1"},
        {20000, "g2"}, {20000, "k1"}, {20000, "k2"}, {20000, "s1"}, {20000, "s2"},
        {20000, "t1"}, {20000, "t2"}};
    for (const auto& [size, name] : walked)
        State.Catalogue.Add(TCatalogue::CatalogueKey(true, size, name) + name, 0);
    State.RequireSameSize = State.Running = Driver.TreeScanner1.KeepSearching = true;
    Driver.Comparison.OnCompare() = [this](const TRunEntry&, const TRunEntry& other) {
        const int fd = open(Tree.Path(TCatalogue::NameOfPath(other.Path)).c_str(), O_WRONLY);
        if (other.Path == C("r2"))
            pwrite(fd, "new", 3, 100);
        if (other.Path == C("g2"))
            pwrite(fd, "more", 4, 20000);
        if (other.Path == C("s2"))
            ftruncate(fd, 19000);
        close(fd);
    };
    const int watch = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(watch, Tree.Root().c_str(), IN_OPEN);

    Driver.Comparison.CompareCatalogue();

    EXPECT_EQ(Rows(), Groups({{"k1", "k2"}, {"e", "g"}}));
    alignas(inotify_event) char events[4096];
    for (ssize_t got; (got = read(watch, events, sizeof events)) > 0;)
        for (char* at = events; at < events + got;
             at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
            EXPECT_STRNE(reinterpret_cast<inotify_event*>(at)->name, "h");
    close(watch);
}

// The catalogue keeps the walk's write times in 32 bits: they give the stamps the files have,
// also at the ends of the range a stamp tells (before 1980 and after 2107 there is none).
TEST_F(ComparisonTest, WalkTimesGiveTheFilesStamps)
{
    const char* saved = std::getenv("TZ");
    const std::string savedZone = saved ? saved : "";
    setenv("TZ", "Pacific/Auckland", 1);  // 13 hours ahead then: 1980 begins in 1979 by UTC
    tzset();
    constexpr std::int64_t k1980 = 315532800;  // 1980-01-01 00:00 UTC
    for (const std::int64_t unixSeconds : {std::int64_t{0}, k1980 - 13 * 3600 - 1,
                                           k1980 - 13 * 3600 + 10, k1980, kStamp, kStamp + 1,
                                           std::int64_t{4354819199}, std::int64_t{7258118400}}) {
        Write("f", "x", unixSeconds);
        std::uint32_t stamp = 1;
        ASSERT_TRUE(TFileMatcher::StampOf(C("f"), stamp));
        const std::uint64_t fileTime = (unixSeconds + 11644473600) * 10000000ull;
        EXPECT_EQ(TFileMatcher::StampOfWalkTime(TFileMatcher::WalkTime(fileTime)), stamp)
            << unixSeconds;
    }
    if (saved)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

// Heads that come from the disk rather than the page cache call in more readers; what they
// read is the same.
TEST_F(ComparisonTest, ReadersGrowWhileFilesComeFromTheDisk)
{
    constexpr int kFiles = 64;
    std::vector<TAheadJob> jobs(kFiles);
    for (int i = 0; i < kFiles; ++i) {
        const std::string name = "f" + std::to_string(i);
        const int fd = open(Write(name, Bytes(3000, i)).c_str(), O_RDONLY);
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        close(fd);
        jobs[i].Index = i;
        jobs[i].Path = C(name);
        jobs[i].Size = 3000;
    }
    TReadAhead readers(2, kFiles, 8);
    readers.Submit(jobs);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // a job not started is withdrawn
    int fromDisk = 0;
    for (int i = 0; i < kFiles; ++i) {
        const std::optional<TAheadResult> result = readers.Take(i);
        if (result) {
            fromDisk += result->FromDisk;
            EXPECT_TRUE(result->Signed && !result->HeadRead);  // the head went with the file
            EXPECT_EQ(result->Signature, TContentReader::HeadChecksum(Bytes(3000, i), 3000));
        }
    }
    if (fromDisk > 1) {  // else the file system keeps everything in memory (tmpfs)
        EXPECT_GT(readers.Threads(), 2u);
    }
}

// With the descriptors nearly used up, the files kept open are closed to go on; with room for
// one file only, the comparison says that files went uncompared.
TEST_F(ComparisonTest, RunningOutOfFileDescriptorsIsSaid)
{
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "UBSan's type checks open a pipe of their own, and fail once none is left";
#endif
    for (int i = 0; i < 120; ++i) Write("f" + std::to_string(i), "the same");
    // Free descriptors from the walk on, or from the comparison on; said or all listed.
    const struct {
        bool FromWalk;
        int Free;
        bool Said;
    } cases[] = {{true, 1, true}, {false, 1, true}, {false, 4, false}};
    for (const auto& c : cases) {
        const int result = RunInChild([&] {
            int fd = 0;  // every descriptor below fd in use, fd free
            while ((fd = open("/dev/null", O_RDONLY)) < 20) continue;
            close(fd);
            bool lowered = false;
            auto lower = [&] {
                rlimit limit{};
                getrlimit(RLIMIT_NOFILE, &limit);
                limit.rlim_cur = static_cast<rlim_t>(fd + c.Free);
                lowered = setrlimit(RLIMIT_NOFILE, &limit) == 0;
            };
            if (c.FromWalk)
                lower();
            Window.OnProcessMessages = [&](int) {
                if (!lowered && Window.Status[3].find("Comparing") == 0)
                    lower();
            };
            Search();
            const bool said = Window.Status[3].find("Too many open files") == 0;
            const bool listed = Rows().size() == 121 && State.DuplicateFiles == 119;
            return static_cast<int>(!lowered || said != c.Said || said != State.OutOfDescriptors ||
                                    (!said && !listed));
        });
        EXPECT_EQ(result, 0) << c.FromWalk << c.Free;
    }
}

// A Stop in the middle of a large pair, which compared to its end would be listed.
TEST_F(ComparisonTest, StopAbandonsAPairHalfCompared)
{
    for (const char* name : {"a.big", "b.big"}) Write(name, Bytes(2 << 20, 3));  // eight blocks
    Driver.Comparison.PumpInterval = {};  // a pump between every two blocks
    // Pumps: one per catalogue entry (2), one for the sub-run's first file, then between blocks.
    int busyPumps = 0;
    Window.OnProcessMessages = [&](int) {
        if (State.Busy && ++busyPumps == 4)
            Driver.btnSearchClick();  // the button reads Stop now
    };
    Search();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Window.Status[3], "Comparison interrupted");
    EXPECT_FALSE(State.Busy || Driver.Searching());
}

}  // namespace
