#pragma once
// TSearchDriver: one search from the Find Now button to the listed groups, and the same button
// as Stop. It owns the tree scanner, the catalogue handlers and the comparison, and acts on the
// window's search state and on the window through TSearchWindow.
//
// A search runs inside btnSearchClick and lets the window's events run at the pump points of
// the walk (once per folder) and of the comparison (once per catalogue entry and per run
// entry). A click that arrives there re-enters btnSearchClick and only clears flags; the
// running search notices them at its next check.
#include <string>
#include <string_view>

#include "engine/Catalogue.h"
#include "engine/Comparison.h"
#include "engine/SearchState.h"
#include "engine/SearchWindow.h"
#include "scan/TreeScan.h"

class TSearchDriver {
public:
    // Both must outlive the driver.
    TSearchDriver(TSearchState& state, TSearchWindow& window);
    TSearchDriver(const TSearchDriver&) = delete;
    TSearchDriver& operator=(const TSearchDriver&) = delete;

    // The search button: stops the walk under way, or the comparison under way, or else runs a
    // whole search (scan, then comparison).
    void btnSearchClick();
    // The scanning phase of one search: inputs normalised, every selected drive and root
    // folder walked into the catalogue.
    void ScanDrives();
    // For the window's close query: whatever runs stops at its next check.
    void StopSearch();
    // A search is under way (between the start of btnSearchClick and its end).
    bool Searching() const { return FSearching; }

    TTreeScanner TreeScanner1;
    TCatalogue Catalogue;
    TComparison Comparison;

    // A folder entry as the search uses it: trimmed, with a backslash before and after it
    // ("Docs" gives "\Docs\"); lowerCase folds its ASCII letters too (the skip list).
    static std::string NormaliseFolder(std::string_view entry, bool lowerCase);

private:
    void ReadRootFolders(TStringList& rootFolders);
    static void AddRootFolder(TStringList& folders, const std::string& folder);
    void RemoveNestedFolders(TStringList& folders);
    void ReadSkipFolders();
    void ReadFileMask();
    void TakeSnapshots();
    void ScanDrive(char letter, const TStringList& rootFolders);

    TSearchState& FState;
    TSearchWindow& FWindow;
    bool FSearching = false;
    // The root folders of this search that named no folder ("C:\\Music\\, D:\\Music\\").
    std::string FMissingFolders;
};
