#pragma once
// Choosing the redundant copies in the results rows, and handing the chosen files of each group
// to the clean-up.
//
// A group is a header row (its caption holds "Duplicate files .....") and the rows after it up
// to the next row whose trimmed caption is empty, the next header, or the end. Only those rows
// are file rows: a selection made here never holds a header, an empty row, or a row standing
// before the first header (a hand-edited list may have one). A selection is a sorted list of
// row indexes without repeats (one given in any order is taken as sorted).
#include <cstddef>
#include <vector>

#include "engine/CopyCleanup.h"
#include "views/ResultRows.h"

using TRowSelection = std::vector<std::size_t>;

struct TRowGroup {
    std::size_t Header = 0;
    std::vector<std::size_t> Files;  // row indexes in list order
};

std::vector<TRowGroup> GroupsOfRows(const std::vector<TResultRow>& rows);

// Which file of each group stays unselected. Newest and oldest go by the "Modified" text as the
// list shows it (minute steps), by the file's own time when the text cannot be read; among
// equal times the first in list order stays. A file whose time cannot be had at all never
// counts as the newest or the oldest.
enum class TKeepRule { krFirst, krNewest, krOldest };

// Every file row of every group but the one the rule keeps; the old selection is replaced.
TRowSelection SelectAllButOne(const std::vector<TResultRow>& rows, TKeepRule keep);
// Every file row that was not selected, and none that was; rows outside groups end unselected.
TRowSelection InvertWithinGroups(const std::vector<TResultRow>& rows,
                                 const TRowSelection& selection);

// The groups for the clean-up: every file row with its caption as path, its listed size (a
// size text that is no number gives -1, which no file matches), its row index, and whether
// it is selected. Groups without a selected file are left out.
std::vector<TCleanupGroup> CleanupGroupsOfRows(const std::vector<TResultRow>& rows,
                                               const TRowSelection& selection);
