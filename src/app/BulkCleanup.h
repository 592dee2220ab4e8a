#pragma once
// Cleaning up many rows of the results list at once: choosing the redundant copies of every
// group, and deleting the selected files after one confirmation, never the last copy of a
// group (CopyCleanup decides per file, with the contents read at that moment).
//
// The single-file keys and entries (Delete, Shift+Delete, Enter, the review dialog) stay as
// they are and act on one row; what is here acts on the selection as a whole.
#include <cstddef>
#include <vector>

#include "engine/CopyCleanup.h"
#include "views/GroupSelect.h"

class QKeyEvent;
class TfrmMain;

// The file rows selected in the results list, in row order.
TRowSelection SelectedFileRows(const TfrmMain& form);
// Replaces the list's selection by `rows`.
void SelectFileRows(TfrmMain& form, const TRowSelection& rows);

// The menu entries' actions.
void SelectAllButOneOfEachGroup(TfrmMain& form, TKeepRule keep);
void InvertSelectionWithinGroups(TfrmMain& form);
// Asks once, then trashes (or, when permanent, deletes) the selected files under a modal
// progress dialog whose Cancel stops after the current file, removes the rows of the files
// gone, tidies their groups and tells the outcome in one box. The totals are not touched: they
// change with the next search. Does nothing while a search runs.
void DeleteSelectedFiles(TfrmMain& form, bool permanent);

// The shortcuts of the selection entries on the results list (Ctrl+1, Ctrl+2, Ctrl+3 and
// Ctrl+I); true when the key was one of them and has been acted on.
bool BulkSelectionKey(TfrmMain& form, const QKeyEvent& key);
