#pragma once
// TTerminalWindow: the search's window for a terminal. The edit boxes, check boxes and drive
// selection are fields set before the search; rows are written to the list files as soon as
// they are added (nothing is kept, so a large result costs no memory); the status bar is one
// progress line on standard error when that is a terminal; Ctrl+C is a click on Stop.
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "engine/SearchWindow.h"
#include "views/ListLines.h"
#include "views/ResultRows.h"

class TTerminalWindow : public TSearchWindow {
public:
    using TClock = std::chrono::steady_clock;

    // --- Inputs ---
    std::map<TEditBox, std::string> Edits;
    std::map<TCheckBox, bool> Checks;
    std::string Drives;

    // --- Outputs ---
    std::FILE* ResultList = nullptr;     // every row (Zarvex.lis form)
    std::FILE* DuplicateList = nullptr;  // file rows' paths (NewDupl.lis form); may be null
    std::FILE* Messages = stderr;        // the overlap message
    std::FILE* Progress = nullptr;       // the progress line; null: none
    // Told every row as it is added, for the forms written at the end.
    std::function<void(const TResultRow&)> OnRow;

    // Run inside the pump once Ctrl+C was pressed (InterruptHandler below).
    std::function<void()> OnInterrupt;
    bool Interrupted() const { return FInterrupted; }
    // For SIGINT: only sets a flag that the next pump reads.
    static void InterruptHandler(int signal);

    // The pump statistics: the longest stretches between two pumps (also from the start to the
    // first and from the last to the end), by the wall clock and by the thread's CPU clock,
    // which a busy machine does not stretch. Without MeasurePumps the pump reads no clock (it
    // runs once per catalogue entry).
    struct TGap {
        double Milliseconds = 0;
        std::string Place;  // the status texts when it ended
    };
    // The comparison's first stretch, apart: it sorts the catalogue in one piece.
    enum TPhase { phWalk, phSort, phComparison, phCount };
    bool MeasurePumps = false;
    void StartClock();
    void StopClock();
    const TGap& LongestGap(TPhase phase) const { return FWallGap[phase]; }
    const TGap& LongestCpuGap(TPhase phase) const { return FCpuGap[phase]; }
    long PumpCalls() const { return FPumpCalls; }

    // The totals of the groups as written: every file of a written group but its first (and
    // its size, in size mode), as the engine counts what it found.
    std::string TotalsText() const;
    // Removes the progress line from the terminal.
    void ClearProgress();

    void ProcessMessages() override;
    void SetStatusText(int panel, const std::string& text) override;
    std::string StatusText(int panel) const override;
    void RepaintStatusBar() override;
    std::string EditText(TEditBox box) override;
    void SetEditText(TEditBox box, const std::string& text) override;
    bool Checked(TCheckBox box) override;
    std::string SelectedDrives() override { return Drives; }
    void UpdateCaption() override {}
    void ShowMessage(const std::string& text) override;
    void SetListCaption(const std::string&) override {}
    void SetSearchCaption(const std::string&) override {}
    void SetListHint(const std::string&) override {}
    void SetHourglass(bool) override {}
    void SetProgressMax(int value) override { FProgressMax = value; }
    void SetProgressPosition(int value) override { FProgressPosition = value; }
    void SetProgressVisible(bool visible) override { FProgressVisible = visible; }
    int RowCount() override { return FRowCount; }
    void ClearRows() override { FRowCount = 0; }
    void AddRow(const std::string& caption) override;
    bool AddFile(const std::string& path, std::int64_t& size) override;
    bool AddOpenFile(const std::string& path, std::int64_t& size, const TFileContent& content) override;
    void BeginRowsUpdate() override {}
    void EndRowsUpdate() override {}
    void RepaintRows() override {}
    void AutoSizeColumns() override {}
    void FixColumnWidths() override {}

private:
    void Write(std::FILE* file, const std::string& line);
    void WriteLines(const TRowLines& lines);
    void WriteRow(const TResultRow& row, std::int64_t size);
    void DrawProgress(bool now);
    std::string ProgressLine() const;

    std::string FStatus[4];
    int FProgressMax = 0, FProgressPosition = 0;
    bool FProgressVisible = false;
    int FRowCount = 0;
    // The group being written: its rows come one by one and nothing is kept but its first file.
    bool FInGroup = false;
    int FGroupFiles = 0;  // files of the group that a line can hold, so far
    TRowLines FHeldFile;
    long FGroupsWritten = 0;
    std::int64_t FWrittenFiles = 0, FWrittenBytes = 0;
    std::set<std::string> FLeftOut;
    bool FInterrupted = false;
    bool FLineShown = false;
    TClock::time_point FLastDraw{};
    void MeasureGap(const std::string& place, TPhase phase);
    double FLastWall = 0, FLastCpu = 0;  // milliseconds
    TGap FWallGap[phCount], FCpuGap[phCount];
    long FPumpCalls = 0;
};
