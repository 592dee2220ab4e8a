#pragma once
// Deleting one listed duplicate, for the review dialog and the results list alike.
//
// A saved list may be days old, so before anything is removed Zarvex looks for another file of
// the same group that still holds the same contents. When there is none, the confirmation says
// that this is the last copy and its default answer is No.
#include <string>
#include <vector>

#include "views/MessageBox.h"

class QWidget;

// True when one of `others` is a different file (not the same inode) that still exists with
// the same size and contents as `path`. False when `path` itself cannot be read.
bool HasIdenticalCopy(const std::string& path, const std::vector<std::string>& others);

// The confirmation box for deleting `path`.
TMessageBoxRequest DeleteConfirmation(const std::string& path, bool permanent, bool lastCopy);

// Asks, then deletes `path` to the trash or, when permanent, for good. A refused confirmation
// or a failed deletion leaves the file in place (a failure is told in a box). Every box goes
// through TMessageBox. True when no
// file exists at `path` afterwards, also when it had already gone (then nothing is asked).
bool ConfirmAndDelete(QWidget* parent, const std::string& path, bool permanent,
                      const std::vector<std::string>& others);
