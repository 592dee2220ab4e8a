#include "cli/TerminalWindow.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include "text/Format.h"
#include "text/TextUtil.h"
#include "views/FileRow.h"
#include "views/ListLines.h"

namespace {

volatile std::sig_atomic_t gInterruptRequested = 0;

// The progress line is redrawn at most this often: a terminal is slow, a walk is not.
constexpr auto kDrawInterval = std::chrono::milliseconds(100);

// Names come from anywhere: control characters must not drive the terminal.
std::string Printable(const std::string& text, bool keepLineFeeds)
{
    std::string out = text;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 32 || u == 127) && !(keepLineFeeds && c == '\n')) c = '?';
    }
    return out;
}

// Cuts at a character boundary of UTF-8 text.
std::string Shortened(std::string text, std::size_t width)
{
    if (text.size() <= width) return text;
    std::size_t cut = width;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
    return text;
}

double Milliseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::size_t TerminalWidth(std::FILE* file)
{
    struct winsize size {};
    if (ioctl(fileno(file), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col - 1;
    return 79;
}

}  // namespace

void TTerminalWindow::InterruptHandler(int)
{
    gInterruptRequested = 1;
}

void TTerminalWindow::StartClock()
{
    for (TGap& gap : FWallGap) gap = TGap{};
    for (TGap& gap : FCpuGap) gap = TGap{};
    FPumpCalls = 0;
    FLastWall = Milliseconds(CLOCK_MONOTONIC);
    FLastCpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
}

void TTerminalWindow::StopClock()
{
    if (MeasurePumps) MeasureGap("after the last pump", phComparison);
}

void TTerminalWindow::MeasureGap(const std::string& place, TPhase phase)
{
    const double wall = Milliseconds(CLOCK_MONOTONIC), cpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
    if (wall - FLastWall > FWallGap[phase].Milliseconds) FWallGap[phase] = {wall - FLastWall, place};
    if (cpu - FLastCpu > FCpuGap[phase].Milliseconds) FCpuGap[phase] = {cpu - FLastCpu, place};
    FLastWall = wall;
    FLastCpu = cpu;
}

void TTerminalWindow::ProcessMessages()
{
    ++FPumpCalls;
    if (MeasurePumps) {
        // Panel 0 names the walk's pass while the walk runs; both panels are empty only
        // between the walk and the comparison's first step.
        const std::string place = Trim(FStatus[0] + " " + FStatus[3]);
        const TPhase phase = FStatus[0].rfind("Scanning", 0) == 0 ? phWalk
                             : place.empty()                      ? phSort
                                                                  : phComparison;
        MeasureGap(place.empty() ? "sorting the catalogue" : place, phase);
    }
    if (gInterruptRequested && !FInterrupted) {
        gInterruptRequested = 0;
        FInterrupted = true;
        std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends the program at once
        if (OnInterrupt) OnInterrupt();
    }
    DrawProgress(false);
    // What the pump itself costs (drawing) is no gap.
    if (MeasurePumps) {
        FLastWall = Milliseconds(CLOCK_MONOTONIC);
        FLastCpu = Milliseconds(CLOCK_THREAD_CPUTIME_ID);
    }
}

std::string TTerminalWindow::StatusText(int panel) const
{
    return panel >= 0 && panel < 4 ? FStatus[panel] : std::string();
}

void TTerminalWindow::SetStatusText(int panel, const std::string& text)
{
    if (panel >= 0 && panel < 4) FStatus[panel] = text;
}

void TTerminalWindow::RepaintStatusBar()
{
    DrawProgress(false);
}

std::string TTerminalWindow::ProgressLine() const
{
    std::string line = FStatus[0];
    if (FProgressVisible && FProgressMax > 0) {
        const long long percent = 100LL * FProgressPosition / FProgressMax;
        line += (line.empty() ? "" : " ") + std::to_string(percent) + "%";
    }
    if (!FStatus[3].empty()) line += (line.empty() ? "" : "  ") + FStatus[3];
    return line;
}

void TTerminalWindow::DrawProgress(bool now)
{
    if (!Progress) return;
    const TClock::time_point time = TClock::now();
    if (!now && time - FLastDraw < kDrawInterval) return;
    FLastDraw = time;
    const std::string line = Shortened(Printable(ProgressLine(), false), TerminalWidth(Progress));
    std::fprintf(Progress, "\r%s\x1b[K", line.c_str());
    std::fflush(Progress);
    FLineShown = true;
}

void TTerminalWindow::ClearProgress()
{
    if (!Progress || !FLineShown) return;
    std::fputs("\r\x1b[K", Progress);
    std::fflush(Progress);
    FLineShown = false;
}

std::string TTerminalWindow::EditText(TEditBox box)
{
    const auto it = Edits.find(box);
    return it == Edits.end() ? std::string() : it->second;
}

void TTerminalWindow::SetEditText(TEditBox box, const std::string& text)
{
    Edits[box] = text;
}

bool TTerminalWindow::Checked(TCheckBox box)
{
    const auto it = Checks.find(box);
    return it != Checks.end() && it->second;
}

void TTerminalWindow::ShowMessage(const std::string& text)
{
    ClearProgress();
    if (Messages) std::fprintf(Messages, "%s\n", Printable(text, true).c_str());
}

// A failed write leaves the stream's error flag set; whoever closes the file reports it.
void TTerminalWindow::Write(std::FILE* file, const std::string& line)
{
    if (!file || std::ferror(file)) return;
    std::fwrite(line.data(), 1, line.size(), file);
    std::fputs(kListLineEnd, file);
}

// An empty row ends a group, a header row begins one; both are written with the group's
// second file, so that a group left with fewer than two files that a line can hold is not
// written at all (as the window saves its lists).
void TTerminalWindow::AddRow(const std::string& caption)
{
    if (OnRow) OnRow(TResultRow{caption, {}});
    ++FRowCount;
    FInGroup = !caption.empty();
    FGroupFiles = 0;
}

void TTerminalWindow::WriteLines(const TRowLines& lines)
{
    Write(ResultList, lines.Result);
    if (!lines.NewDuplicate.empty()) Write(DuplicateList, lines.NewDuplicate);
}

// A row left out of the lists (a name with a line break) still counts as added, as it stays in
// the window's list; its path is told once, and it is not in the totals.
void TTerminalWindow::WriteRow(const TResultRow& row, std::int64_t size)
{
    if (OnRow) OnRow(row);  // the other output forms hold every name
    ++FRowCount;
    if (HoldsLineBreak(row.Caption)) {
        if ((ResultList || DuplicateList) && FLeftOut.insert(row.Caption).second && Messages) {
            ClearProgress();
            std::fprintf(Messages, "zarvex-find: not written, the name holds a line break: %s\n",
                         Printable(row.Caption, false).c_str());
        }
        return;
    }
    const TRowLines lines = LinesOfRow(row);
    if (FInGroup && FGroupFiles == 0) {
        FHeldFile = lines;
        ++FGroupFiles;
        return;
    }
    if (FInGroup && FGroupFiles == 1) {
        if (FGroupsWritten++ > 0)
            Write(ResultList, ListLine(TResultRow{}));
        Write(ResultList, ListLine(TResultRow{kGroupHeaderCaption, {}}));
        WriteLines(FHeldFile);
    }
    if (FInGroup) {
        ++FGroupFiles;
        ++FWrittenFiles;
        if (Checked(TCheckBox::cbCheckFilesize))
            FWrittenBytes += size;  // as the engine counts
    }
    WriteLines(lines);
}

std::string TTerminalWindow::TotalsText() const
{
    return "Bytes: " + FormatInt(FWrittenBytes) + "  Files: " + FormatInt(FWrittenFiles);
}

bool TTerminalWindow::AddFile(const std::string& path, std::int64_t& size)
{
    TResultRow row;
    if (!DescribeFile(path, row, size)) return false;
    WriteRow(row, size);
    return true;
}

bool TTerminalWindow::AddOpenFile(const std::string& path, std::int64_t& size,
                                  const TFileContent& content)
{
    TResultRow row;
    if (!DescribeFile(path, content, row, size)) return false;
    WriteRow(row, size);
    return true;
}
