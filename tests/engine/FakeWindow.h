#pragma once
// TFakeWindow: a TSearchWindow that records what the engine did to the window, for the engine
// tests. Every call is also written to Log, one line each, so a test can check the order of
// calls across different kinds ("status 3: C:\Data\", "pump 2", "row: Duplicate files .....").
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/SearchWindow.h"

class TFakeWindow : public TSearchWindow {
public:
    struct TRow {
        std::string Caption;
        bool IsFile = false;    // added through AddFile
        std::int64_t Size = 0;  // what AddFile reported, for file rows
    };

    // --- Inputs a test sets before the run ---
    std::map<TEditBox, std::string> Edits;
    std::map<TCheckBox, bool> Checks;  // absent boxes read as unchecked
    std::string Drives;                // SelectedDrives
    // Runs inside ProcessMessages, given the 1-based number of the call: the place to press
    // Stop ("clear Running at the third pump"). May be empty.
    std::function<void(int call)> OnProcessMessages;
    // Decides AddFile. Empty: a file row when the path can be looked up on a drive (its real
    // size), nothing when it cannot.
    std::function<bool(const std::string& path, std::int64_t& size)> DescribeFile;

    // --- What happened ---
    std::vector<std::string> Log;
    std::array<std::string, 4> Status;                      // current panel texts
    std::array<std::vector<std::string>, 4> StatusHistory;  // every text set, per panel
    int StatusRepaints = 0;
    int PumpCalls = 0;
    int CaptionUpdates = 0;
    std::vector<std::string> Messages;  // ShowMessage texts, in order
    std::string ListCaption, SearchCaption, ListHint;
    std::vector<std::string> SearchCaptionHistory;
    bool Hourglass = false;
    int HourglassCalls = 0;
    int ProgressMax = 0, ProgressPosition = 0;
    bool ProgressVisible = false;
    std::vector<int> ProgressPositions;
    std::vector<TRow> Rows;
    int RowsUpdateDepth = 0;  // open BeginRowsUpdate brackets
    int RowsUpdatePairs = 0;  // completed brackets
    int RowRepaints = 0;
    int AutoSizeCalls = 0;
    int FixWidthCalls = 0;
    int ClearRowsCalls = 0;

    // Captions of all rows, in order (group layout checks).
    std::vector<std::string> RowCaptions() const;

    void ProcessMessages() override;
    void SetStatusText(int panel, const std::string& text) override;
    void RepaintStatusBar() override;
    std::string EditText(TEditBox box) override;
    void SetEditText(TEditBox box, const std::string& text) override;
    bool Checked(TCheckBox box) override;
    std::string SelectedDrives() override;
    void UpdateCaption() override;
    void ShowMessage(const std::string& text) override;
    void SetListCaption(const std::string& text) override;
    void SetSearchCaption(const std::string& text) override;
    void SetListHint(const std::string& text) override;
    void SetHourglass(bool on) override;
    void SetProgressMax(int value) override;
    void SetProgressPosition(int value) override;
    void SetProgressVisible(bool visible) override;
    int RowCount() override;
    void ClearRows() override;
    void AddRow(const std::string& caption) override;
    bool AddFile(const std::string& path, std::int64_t& size) override;
    void BeginRowsUpdate() override;
    void EndRowsUpdate() override;
    void RepaintRows() override;
    void AutoSizeColumns() override;
    void FixColumnWidths() override;
};
