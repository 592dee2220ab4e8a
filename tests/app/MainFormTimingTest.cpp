// Figures of the window, printed, never asserted: run with ZARVEX_MEASURE=1 (and, for the
// search, ZARVEX_MEASURE_TREE=<native folder>) and --gtest_filter='Timing*'.
#include <chrono>
#include <cstdio>

#include "WindowFixture.h"

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

class TimingTest : public WindowFixture {
protected:
    void SetUp() override
    {
        if (qgetenv("ZARVEX_MEASURE").isEmpty())
            GTEST_SKIP() << "set ZARVEX_MEASURE=1";
        WindowFixture::SetUp();
    }
};

TEST_F(TimingTest, OpenWindowAndFirstFileRows)
{
    FTree.WriteSized("c/a.txt", 100);
    FTree.WriteSized("c/b.odt", 100);
    auto start = TClock::now();
    TfrmMain& form = Open(false);  // the program makes the review dialog later
    form.show();
    form.grab();
    form.Timer1Timer();
    std::printf("window: created, painted and drives filled in %.1f ms\n", MsSince(start));
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
        if (i % 3 == 0 && i > 0)
            rows.push_back({"", {}});
        if (i % 3 == 0)
            rows.push_back({kGroupHeaderCaption, {}});
        rows.push_back(
            {"C:\\Data\\folder " + std::to_string(i / 3) + "\\file " + std::to_string(i) + ".txt",
             {std::to_string(1000 + i), "plain text document", "2023/11/14 22:13", "   A", "",
              ""}});
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
    if (tree.isEmpty())
        GTEST_SKIP() << "set ZARVEX_MEASURE_TREE to a native folder";
    SetDrives("C=" + tree.toStdString());
    TfrmMain& form = OpenAndStart();
    const auto start = TClock::now();
    auto last = start;
    double longest = 0;
    std::string where;
    form.OnProcessMessages = [&] {
        if (MsSince(last) > longest) {
            longest = MsSince(last);
            where = form.StatusPanels[3]->text().toStdString();
        }
        last = TClock::now();
    };
    form.btnSearch->click();
    std::printf("search of %s: %.0f ms, %zu rows; longest gap %.1f ms (at \"%s\")\n",
                tree.constData(), MsSince(start), form.FileListView1->Rows().Count(), longest,
                where.c_str());
}

}  // namespace
