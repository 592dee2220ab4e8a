#pragma once
// The user's work on the results list: which file a selection names, reviewing and deleting a
// file, and tidying a group that fell to one file.
//
// Rows are laid out in groups: a header row whose caption contains "Duplicate files .....",
// its file rows, and an empty row before every header but the first. A list reloaded from a
// hand-edited file may break that layout (a file row first, a header without files); nothing
// here then walks past either end of the list.
#include <cstddef>
#include <string>
#include <vector>

#include "views/ResultRows.h"

class TfrmMain;

inline constexpr const char* kReviewHint = "Double-click a file to review";
inline constexpr std::ptrdiff_t kNoRow = -1;

// The caption of the row, exactly, when it names a file; empty for a header, an empty row or
// no row (kNoRow).
std::string SelectedFilePath(const TResultRows& rows, std::ptrdiff_t selected);
// The paths of the other file rows of the row's group.
std::vector<std::string> GroupCompanions(const TResultRows& rows, std::size_t row);
// Given the row that was above a removed one: when its group now holds a single file row,
// removes the empty row after the group, that file row and the header. Removes nothing when
// no header is found above `row` or the group holds two files or none.
void TidyGroup(TResultRows& rows, std::ptrdiff_t row);

class QKeyEvent;
class QPoint;
class QWidget;

// Deletes one file after Zarvex's own confirmation, to the trash or, when permanent, for
// good. `companions` are the other files of its group, for the last-copy check. True when no
// file exists at the path afterwards.
bool ShellDeleteFile(QWidget* parent, const std::string& path, bool permanent,
                     const std::vector<std::string>& companions);

// The window's handlers of the results list.
void ResultsListClick(TfrmMain& form);
// Double-click, and Enter once Find Now is no longer the default button.
void ReviewSelectedFile(TfrmMain& form);
// Enter reviews; Delete deletes to the trash, Shift+Delete (Shift alone) for good. The key is
// not consumed.
void ResultsListKeyDown(TfrmMain& form, const QKeyEvent& event);
// The results list's context menu at a point of the screen, for the selected row: what acts on
// one file is offered on a file row only; nothing is shown when nothing applies. The menu is
// the list's child "mnuResults" and is popped up without waiting for it.
void ShowResultsMenu(TfrmMain& form, const QPoint& at);
