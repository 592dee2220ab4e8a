// Figures of the window, printed, never asserted: run with ZARVEX_MEASURE=1 (and, for the
// search, ZARVEX_MEASURE_TREE=<native folder>) and --gtest_filter='Timing*'.
#include <chrono>
#include <cstdio>
#include <ctime>

#include "WindowFixture.h"
#include "engine/SearchDriver.h"

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// CPU time of this thread: tells work from waiting for a CPU on a busy machine.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class TimingTest : public WindowFixture {
protected:
    void SetUp() override
    {
        if (qgetenv("ZARVEX_MEASURE").isEmpty()) GTEST_SKIP() << "set ZARVEX_MEASURE=1";
        WindowFixture::SetUp();
    }
};

// With the first and the second file row.
TEST_F(TimingTest, OpenWindowAndFirstFileRows)
{
    FTree.WriteSized("c/a.txt", 100);
    FTree.WriteSized("c/b.odt", 100);
    auto start = TClock::now();
    TfrmMain& form = Open(false);  // the program makes the review dialog later
    const double created = MsSince(start);
    form.show();
    form.grab();  // the first paint of every control
    const double painted = MsSince(start);
    form.Timer1Timer();
    std::printf("window: created %.1f ms, painted %.1f ms, drives filled %.1f ms\n", created,
                painted, MsSince(start));
    std::int64_t size = 0;
    start = TClock::now();
    form.AddFile("C:\\a.txt", size);
    const double first = MsSince(start);
    start = TClock::now();
    form.AddFile("C:\\b.odt", size);
    std::printf("file rows: first %.1f ms, second %.1f ms\n", first, MsSince(start));
}

TEST_F(TimingTest, FillHundredThousandRows)
{
    TfrmMain& form = OpenAndStart();
    std::vector<TResultRow> rows;
    for (int i = 0; rows.size() < 100000; ++i) {
        if (i % 3 == 0 && i > 0) rows.push_back({"", {}});
        if (i % 3 == 0) rows.push_back({kGroupHeaderCaption, {}});
        rows.push_back({"C:\\Data\\folder " + std::to_string(i / 3) + "\\file " +
                            std::to_string(i) + ".txt",
                        {std::to_string(1000 + i), "plain text document", "2023/11/14 22:13",
                         "   A", "", ""}});
    }
    rows.resize(100000);
    const auto start = TClock::now();
    form.BeginRowsUpdate();
    form.ClearRows();
    form.AutoSizeColumns();
    for (TResultRow& row : rows) form.FileListView1->Rows().Append(std::move(row));
    form.EndRowsUpdate();
    form.AutoSizeColumns();
    form.FileListView1->grab();
    std::printf("%zu rows: appended, shown and painted in %.1f ms\n", rows.size(), MsSince(start));
}

TEST_F(TimingTest, LongestGapBetweenEventsDuringASearch)
{
    const QByteArray tree = qgetenv("ZARVEX_MEASURE_TREE");
    if (tree.isEmpty()) GTEST_SKIP() << "set ZARVEX_MEASURE_TREE to a native folder";
    SetDrives("C=" + tree.toStdString());
    TfrmMain& form = OpenAndStart();
    auto last = TClock::now();
    double lastCpu = CpuMs(), longest = 0, longestCpu = 0, longestWalk = 0;
    long pumps = 0;
    std::string where, before;
    form.OnProcessMessages = [&] {
        const double gap = MsSince(last), cpu = CpuMs() - lastCpu;
        const std::string now = form.StatusPanels[3]->text().toStdString();
        if (gap > longest) {
            longest = gap;
            where = "at pump " + std::to_string(pumps) + " from \"" + before + "\" to \"" + now;
        }
        longestCpu = std::max(longestCpu, cpu);
        if (form.Driver().TreeScanner1.SearchInProgress()) longestWalk = std::max(longestWalk, gap);
        ++pumps;
        before = now;
        last = TClock::now();
        lastCpu = CpuMs();
    };
    const auto start = TClock::now();
    last = start;
    form.btnSearch->click();
    std::printf("search of %s: %.0f ms, %ld pumps, %zu rows; after the last pump %.1f ms\n"
                "  longest gap %.1f ms %s\"; in the walk %.1f ms; in CPU time %.1f ms\n",
                tree.constData(), MsSince(start), pumps, form.FileListView1->Rows().Count(),
                MsSince(last), longest, where.c_str(), longestWalk, longestCpu);
}

}  // namespace
