#pragma once
// The duplicate comparison: turns the catalogue into groups of duplicate files in the results
// rows, and keeps the byte and file totals.
//
// The catalogue is read from its end and cut into runs of equal key (one size, or in name mode
// the whole catalogue). Each run is ordered by a signature (the date-time stamp or a checksum of
// the first 512 bytes) and cut into sub-runs of equal signature (or equal name); every file of
// a sub-run is checked against the sub-run's first file. The files that the first file did not
// match then form a sub-run of their own, again and again while two remain, so every set of
// identical files is found; there a file is read byte for byte only against a first file of
// equal content hash, so k different files cost about k reads.
//
// A file is never a duplicate of itself (same device and inode), nor when its size is no longer
// the catalogued one or it cannot be read whole.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/ContentReader.h"
#include "engine/SearchState.h"
#include "engine/SearchWindow.h"
#include "scan/TreeScan.h"

// The caption of the row that heads each group in the results list.
inline constexpr const char* kDuplicateGroupCaption = "Duplicate files .....";

// Writes the totals into status panels 1 and 2 ("Bytes: 1,000", "Files: 1"). Also for a
// reloaded results list.
void ShowTotals(const TSearchState& state, TSearchWindow& window);

class TComparison {
public:
    // All three must outlive this object. The scanner's KeepSearching tells at the end whether
    // the walk ran to its end.
    TComparison(TSearchState& state, TSearchWindow& window, const TTreeScanner& scanner);

    // One whole comparison of the catalogue; leaves Catalogue and FolderList empty.
    void CompareCatalogue();
    // True when other is a duplicate of first under the current rules; counts it in the totals.
    bool CompareFiles(std::int64_t size, const std::string& first, const std::string& other);
    // The stamp or checksum that orders a run of files of this size (0 to 2147483647).
    std::uint32_t FileSignature(std::int64_t size, const std::string& path);

    void ShowTotals() { ::ShowTotals(FState, FWindow); }
    // Inside the reading of large files the pump runs at least this often.
    std::chrono::steady_clock::duration PumpInterval = std::chrono::milliseconds(10);
    void AutoSizeColumns();
    void FixColumnWidths();

private:
    struct TRunEntry {
        std::string Path;
        std::uint32_t Signature = 0;  // size mode
        std::string NameKey;          // name mode: the name in ASCII upper case
        enum class THash : unsigned char { hNone, hDone, hFailed } HashState = THash::hNone;
        std::uint64_t Hash = 0;
    };
    using TRunList = std::vector<TRunEntry>;

    void CompareRun(std::int64_t size, TRunList& runList);
    bool CompareSubRun(std::int64_t size, TRunList& runList, std::size_t begin, std::size_t end);
    bool SameKey(const TRunEntry& a, const TRunEntry& b) const;
    bool MatchAgain(std::int64_t size, TRunEntry& head, TRunEntry& other);
    bool EnsureHash(std::int64_t size, TRunEntry& entry);
    void BeginGroup(const TRunEntry& head, std::size_t index);
    void AddFileRow(const std::string& path);
    void SortRun(TRunList& runList) const;
    void AddRunEntry(std::int64_t size, const std::string& path);
    void ShowRunStatus(std::int64_t size);
    void ShowOutcome();
    bool ReadEntry(int index, std::int64_t& key, std::string& path) const;
    bool TwoEmptyFiles(const std::string& first, const std::string& other) const;
    bool SameContentsOf(std::int64_t size, const std::string& first, const std::string& other);

    // The event pump, timed; Pump() always runs it, PumpIfDue() only when the last run is a
    // while ago (inside long reads). Both return whether the search may go on.
    bool Pump();
    bool PumpIfDue();

    TSearchState& FState;
    TSearchWindow& FWindow;
    const TTreeScanner& FScanner;
    TContentReader FReader;
    TRunList FRunList;
    int FProcessed = 0;
    std::chrono::steady_clock::time_point FLastPump;
};
