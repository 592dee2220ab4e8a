#pragma once
// The saved lists: Zarvex.lis (every row of the results list, one line a row), NewDupl.lis
// (the path of every listed file) and SkipDupl.lis (known duplicates, read only, same form
// as NewDupl.lis), in the line forms of views/ListLines.h.
//
// Paths here are native. The files lie beside the executable, or in the per-user data folder
// when the executable's folder is not writable (an installed copy).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "text/StringList.h"
#include "views/ListLines.h"
#include "views/MessageBox.h"
#include "views/ResultRows.h"

struct TListFilePaths {
    std::string List;      // Zarvex.lis
    std::string SkipList;  // SkipDupl.lis
    std::string NewList;   // NewDupl.lis
};

// The folder of the list files: exeFolder when the user may write there and it is no system
// folder (/usr, /bin, /sbin, /lib*, /opt, /etc and below: root may write there, but an
// installed copy keeps its lists per user), else dataFolder (created when missing). Both
// native, without trailing "/".
std::string ListFolder(const std::string& exeFolder, const std::string& dataFolder);
// The per-user data folder of Zarvex ($XDG_DATA_HOME/Quillmoor/Zarvex).
std::string UserDataFolder();
// The three paths for the running executable.
TListFilePaths ListFilePaths();
TListFilePaths ListFilePathsIn(const std::string& folder);

// Writes the lines, each ended by CR LF, to a temporary file in the same folder and renames
// it over `nativePath`, so the old file stays whole until the new one is complete.
bool WriteLinesSafely(const std::vector<std::string>& lines, const std::string& nativePath);
// Nothing when there are no rows (the older files stay); otherwise Zarvex.lis, then
// NewDupl.lis; a failure of the first skips the second. True when both were written.
// leftOut, when given, is told how many file rows no line could hold.
bool WriteListFiles(const TResultRows& rows, const TListFilePaths& paths,
                    std::size_t* leftOut = nullptr);
// The window's note on file rows that the lists could not hold.
QString LeftOutMessage(std::size_t leftOut);

struct TReloadTotals {
    std::int64_t Files = 0;
    std::int64_t Bytes = 0;
};
// Appends one row per line and counts the totals as a search does: every file row that
// follows another file row of its group, with its size. A row whose size is negative or beyond
// 64 bits is malformed and left out; the byte total stops at the largest 64-bit value rather
// than wrap. progress(i) is told each line index.
TReloadTotals ReloadRows(const TStringList& lines, TResultRows& rows,
                         const std::function<void(int)>& progress = {});

// total + size, held at the largest 64-bit value instead of wrapping.
std::int64_t SaturatingAdd(std::int64_t total, std::int64_t size);

// True when any kind of directory entry is at the path.
bool ListFileExists(const std::string& nativePath);
// "previous run on yyyy-mmm-dd at hh:nn:ss" of the file's last change, local time; empty
// when the file cannot be looked at.
std::string ListFileStamp(const std::string& nativePath);
// The two questions of the first timer tick, Yes the default.
TMessageBoxRequest SkipListPrompt(const std::string& stamp);
TMessageBoxRequest PreviousListPrompt(const std::string& stamp);

// The box that names list or settings files which will not be written.
TMessageBoxRequest UnwritableFilesBox(const std::vector<std::string>& paths);

class TfrmMain;

// The window's side of the saved lists.
//
// First timer tick, before the drive list is filled: temporary list files left by a save that
// was killed are removed; one box names the list and settings files that will not be written
// because they are, or link to, something that is not a regular file; then the known-duplicates
// question, then the previous-results question, each only when its file is there.
void LoadSavedLists(TfrmMain& form);
// Appends the rows of Zarvex.lis to the results list with the progress bar and the hourglass,
// adds the totals and shows them. An empty or unreadable list reloads nothing.
void ReloadPreviousList(TfrmMain& form);
// Window destruction: writes both list files from the results list, and tells the user once
// when rows had to be left out.
void SaveListFiles(TfrmMain& form);
