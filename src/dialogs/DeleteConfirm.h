#pragma once
// Deleting one listed duplicate, for the review dialog and the results list alike.
//
// A saved list may be days old, so before anything is removed Zarvex looks for another file of
// the same group that still holds the same contents. When there is none, the confirmation says
// that this is the last copy. A confirmation defaults to Yes only for the trash with a copy
// left; a permanent deletion and the last copy default to No.
#include <string>
#include <vector>

#include "views/MessageBox.h"

class QWidget;

// The confirmation box for deleting `path`: it names the file in the program's form and, on
// the next line, as the native path.
TMessageBoxRequest DeleteConfirmation(const std::string& path, bool permanent, bool lastCopy);

// Asks, then deletes `path` to the trash or, when permanent, for good. The copy check keeps
// the window alive under a wait cursor, and Escape meanwhile cancels the whole deletion. A
// refused confirmation or a failed deletion leaves the file in place (a failure is told in a
// box). Every box goes through TMessageBox. True when no file exists at `path` afterwards,
// also when it had already gone (then nothing is asked).
bool ConfirmAndDelete(QWidget* parent, const std::string& path, bool permanent,
                      const std::vector<std::string>& others);
