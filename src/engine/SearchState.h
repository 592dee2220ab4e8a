#pragma once
// The search state of the main window: working lists, flags, snapshots and totals. The window
// owns one for its whole life; the engine reads and writes it directly.
#include <cstdint>

#include "engine/CatalogueList.h"
#include "text/StringList.h"

enum class TScanMode { smNormal, smMaster, smFiltered };

struct TSearchState {
    TCatalogueList Catalogue;  // entries; object = FolderList index
    TStringList FolderList;    // folders in the order reported
    TStringList MasterKeys{true, TDuplicates::dupAccept};
    TStringList SkipFolders{true, TDuplicates::dupIgnore};      // "\name\", lower case
    TStringList KnownDuplicates{true, TDuplicates::dupIgnore};  // full paths

    // Kept by the catalogue handlers between events.
    int CurrentFolder = 0;
    bool SkipThisFolder = false;

    // Snapshots of the rules, taken at the start of a search.
    bool SkipSysbckupFolder = true;
    bool SkipDesktopIniFolders = true;
    bool IncludeEmptyFiles = false;
    bool RequireSameSize = true;
    bool RequireSameStamp = true;
    bool RequireSameName = false;
    TScanMode ScanMode = TScanMode::smNormal;

    bool Running = false;  // a search may go on
    bool Busy = false;     // the comparison runs
    bool ColumnsFixed = false;

    // Sizes and totals are 64-bit: nothing wraps.
    std::int64_t DuplicateBytes = 0;
    std::int64_t DuplicateFiles = 0;
    // The last comparison could not open some file for want of file descriptors: its
    // outcome is incomplete.
    bool OutOfDescriptors = false;
};
