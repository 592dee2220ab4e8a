#pragma once
// The shell's file operations: deleting one file to the trash or for good, telling whether
// opening a file would run it, and starting a viewer on a file.
//
// Nothing here asks the user anything: confirmations are the caller's. A file is reached from
// its drive's root without following links and acted on by the bytes of its name; only a
// regular file is ever deleted. A link on the way, or standing where the file was listed, and
// a folder named by a hand-edited list are refused, never followed or trashed whole.
#include <string>
#include <string_view>

enum class TDeleteOutcome {
    doDeleted,   // nothing is left at the path
    doNotFound,  // nothing was there to begin with
    doNotAFile,  // a folder, device or the like: refused, left in place
    doFailed,    // the file system refused, or a link was on the way; the file is where it was
};

struct TDeleteResult {
    TDeleteOutcome Outcome = TDeleteOutcome::doFailed;
    std::string Error;  // the system's reason when Outcome is doFailed
};

// Sends one file to the freedesktop.org trash of its file system, so it can be restored.
TDeleteResult MoveToTrash(std::string_view programPath);
// Removes one file for good.
TDeleteResult DeletePermanently(std::string_view programPath);
// The same for a file the caller has opened and checked: they act on exactly the entry it
// holds, relative to its folder's descriptor, with no second walk from the drive's root.
class TListedFile;
TDeleteResult TrashListedFile(const TListedFile& file);
TDeleteResult DeleteListedFile(const TListedFile& file);

// True when handing the file to its associated program would run code: a file with an execute
// bit, a .desktop launcher, a Windows or ELF executable, an installer or a Java archive. A
// script without its execute bit only opens in an editor, so it is not counted.
bool IsProgramFile(std::string_view programPath);

// Starts program (program's path form) with the file as its one argument, detached; both
// names reach it byte for byte. False when the program is missing or could not be started.
bool StartDetached(std::string_view programPath, std::string_view fileProgramPath);
