#pragma once
// The duplicate comparison: turns the catalogue into groups of duplicate files in the results
// rows, and keeps the byte and file totals.
//
// The catalogue is read from its end and cut into runs of equal key (one size, or in name mode
// the whole catalogue). Each run is ordered by a signature (the date-time stamp or a checksum of
// the first 512 bytes) and cut into sub-runs of equal signature (or equal name); every file of
// a sub-run is checked against the sub-run's first file, and all it matched form one group. The
// files that the first file did not match then form a sub-run of their own, again and again
// while two remain, so every set of identical files is found, and listed once; there a file is
// read byte for byte only against a first file of equal content hash, so k different files cost
// about k reads.
//
// A file is never a duplicate of itself (same device and inode), and a group lists each file
// under one name only: the one met first. Nor is a file a duplicate when its size is no longer
// the catalogued one, it changed while it was read, or it cannot be read whole.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/ComparisonReaders.h"
#include "engine/FileMatch.h"
#include "engine/RunEntry.h"
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
    void AutoSizeColumns();
    void FixColumnWidths();

    // Tests only: called right before the bytes of two opened files are compared.
    std::function<void(const TRunEntry&, const TRunEntry&)>& OnCompare()
    {
        return FMatcher.OnCompare;
    }

    // Inside the reading of large files the pump runs at least this often.
    std::chrono::steady_clock::duration PumpInterval = std::chrono::milliseconds(10);
    // Runs of up to this many files keep all of them open until the run is done, so each is
    // opened once; in longer runs a file is closed after each use.
    std::size_t MaxOpenFiles = 128;
    // Reader threads that read ahead of the window thread in size mode; 1: none, the window
    // thread reads everything itself. The groups are the same either way.
    std::size_t Readers = DefaultReaderThreads();
    // Jobs handed to the readers and not yet taken back, at most; of them, files the readers
    // hold open for the window thread, at most (and never more than a quarter of the
    // descriptors the process may open). A job that keeps no file open holds a path and a
    // signature only.
    std::size_t ReadAheadJobs = 8192;
    std::size_t ReadAheadFiles = 256;

private:
    using TRunList = std::vector<TRunEntry>;

    void CompareRun(std::int64_t size, TRunList& runList);
    bool CompareSubRun(std::int64_t size, TRunList& runList, std::size_t begin, std::size_t end);
    bool LaterPasses(std::int64_t size, TRunList& runList, const std::vector<std::size_t>& left);
    struct TGroup;
    bool ListedBefore(std::int64_t size, TRunEntry& entry, TGroup& group);
    void AddToGroup(std::int64_t size, TRunEntry& other, std::size_t index, TGroup& group);
    void GroupEqualNames(TRunList& runList) const;
    bool SameKey(const TRunEntry& a, const TRunEntry& b) const;
    void BeginGroup(TRunEntry& head, std::size_t index);
    void AddFileRow(TRunEntry& entry);
    void SortRun(TRunList& runList) const;
    void AddRunEntry(const std::string& path, int index, std::uint32_t walkTime);
    void FeedAhead(int current, std::int64_t currentKey);
    void MarkSharedStamps();
    void FeedRun(std::int64_t size, TRunList& runList, std::size_t& next);
    void FeedCompare(std::int64_t size, TRunList& runList, std::size_t at);
    void AddJob(std::int64_t size, const TRunEntry& entry, bool keepOpen);
    bool KeyAt(int index, std::int64_t& key) const;
    void SignRun(std::int64_t size, TRunList& runList);
    void Release(TRunEntry& entry);
    void ShowRunStatus(std::int64_t size);
    void ShowOutcome();
    bool ReadEntry(int index, std::int64_t& key, std::string& path) const;
    bool SplitEntry(int index, std::int64_t& key, std::string_view& name) const;

    // The event pump. Pump() always runs it; PumpIfDue() only when it last ran PumpInterval
    // ago (inside long reads). Both return whether the search may go on.
    bool Pump();
    bool PumpIfDue();

    TSearchState& FState;
    TSearchWindow& FWindow;
    const TTreeScanner& FScanner;
    TFileMatcher FMatcher;
    TRunList FRunList;
    // The readers, and the next catalogue entry to hand them; the run it lies in ends at
    // FAheadRunLow (its lowest index) and keeps its files open or not.
    std::unique_ptr<TReadAhead> FAhead;
    int FAheadIndex = -1, FAheadRunLow = 0;
    bool FAheadKeepOpen = false;
    std::vector<bool> FAheadShared;  // by stamp: the entries of that run worth opening
    std::vector<TAheadJob> FJobs;  // gathered to be handed out at once
    std::size_t FFeedNext = 0;     // the next entry of the run FeedCompare looks at
    bool FKeepOpen = true;         // the current run keeps its files open
    int FProcessed = 0;
    std::chrono::steady_clock::time_point FLastPump;
    bool FPumped = false;            // the pump ran since PumpIfDue last looked at the clock
    mutable std::string FEntryText;  // an entry read back as text; SplitEntry's name points in
};
