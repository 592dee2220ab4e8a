#include "cli/FindRun.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/ResultFormats.h"
#include "cli/TerminalWindow.h"
#include "engine/SearchDriver.h"
#include "platform/Drives.h"
#include "platform/Paths.h"
#include "text/TextFile.h"
#include "text/TextUtil.h"

namespace fs = std::filesystem;

namespace {

#ifndef ZARVEX_VERSION
#define ZARVEX_VERSION "unknown"
#endif

void Complain(std::FILE* err, const std::string& text)
{
    std::fprintf(err, "zarvex-find: %s\n", text.c_str());
}

// Every FOLDER as the absolute native folder it names; false (and a message) for one that is
// no folder.
bool ResolveFolders(const std::vector<std::string>& folders, std::vector<std::string>& resolved,
                    std::string& error)
{
    for (const std::string& folder : folders) {
        std::error_code ec;
        const fs::path path = fs::canonical(folder, ec);
        if (ec || !fs::is_directory(path, ec)) {
            error = "cannot search '" + folder + "': " +
                    (ec ? ec.message() : std::string("not a folder"));
            return false;
        }
        resolved.push_back(path.string());
    }
    return true;
}

// Whether the drive of this letter is searched: named by --drives (in either case), else every
// FOLDER's drive, else the fixed drives as the drive list chooses them.
bool Wanted(const TFindOptions& options, char letter, int type)
{
    if (options.Drives) {
        const char lower = static_cast<char>(letter - 'A' + 'a');
        return options.Drives->find_first_of(std::string{letter, lower}) != std::string::npos;
    }
    return options.Folders.empty() ? type == dtFixed : type >= dtRemovable;
}

// The drive letters to search, A to Z; false (and a message) for a drive named that is absent.
bool ChooseDrives(const TFindOptions& options, std::string& drives, std::string& error)
{
    if (!options.Folders.empty()) {
        std::vector<std::string> folders;
        if (!ResolveFolders(options.Folders, folders, error)) return false;
        TDriveTable::SetCurrent(TDriveTable::FromFolders(folders));
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const int type = GetDriveType(std::string(1, letter) + ":\\");
        if (!Wanted(options, letter, type)) continue;
        if (type < dtRemovable) {
            error = std::string("there is no drive ") + letter + ": (see ZARVEX_DRIVES)";
            return false;
        }
        drives.push_back(letter);
    }
    return true;
}

void SetInputs(const TFindOptions& options, TTerminalWindow& window)
{
    window.Edits[TEditBox::ebFileMask] = options.Mask;
    window.Edits[TEditBox::ebRootDir] = options.In;
    window.Edits[TEditBox::ebSkipFolder] = options.Skip;
    window.Checks[TCheckBox::cbCheckFileTimestamp] = options.SameStamp;
    window.Checks[TCheckBox::cbCheckFilename] = options.SameName;
    window.Checks[TCheckBox::cbSkipEmptyFiles] = options.SkipEmpty;
    window.Checks[TCheckBox::cbFloppyIsMaster] = options.FloppyMaster;
    window.Checks[TCheckBox::cbSkipSysbckup] = options.SkipSysbckup;
    window.Checks[TCheckBox::cbSkipDesktopFolders] = options.SkipDesktopIni;
    window.Checks[TCheckBox::cbCheckFilesize] = options.SameSize;
}

// An output list: the file named, or the stream given. A named file is replaced only by a
// complete list (written beside it, renamed at the end); a device or FIFO named on the command
// line is written as a stream, but never one reached through a link.
class TOutput {
public:
    bool Open(const std::optional<std::string>& path, std::FILE* fallback, std::string& error)
    {
        if (!path) {
            FFile = fallback;
            return true;
        }
        FPath = *path;
        struct stat st {};
        if (stat(path->c_str(), &st) == 0 && S_ISREG(st.st_mode))
            FTarget = st;
        if (lstat(path->c_str(), &st) == 0 && !S_ISLNK(st.st_mode) && !S_ISREG(st.st_mode) &&
            !S_ISDIR(st.st_mode)) {
            FFile = std::fopen(path->c_str(), "wb");
        } else if (!MayReplaceFile(*path)) {
            error =
                "will not write '" + *path + "': it is neither a regular file nor a link to one";
            return false;
        } else if (FReplacement.Begin(*path)) {
            FFile = fdopen(dup(FReplacement.Fd()), "wb");
        }
        FOwned = FFile != nullptr;
        if (!FFile)
            error = "cannot write '" + *path + "': " + std::strerror(errno);
        return FFile != nullptr;
    }
    // Flushes and closes; false when anything written did not reach the file. An interrupted
    // search leaves a named file as it was.
    bool Finish(bool interrupted, std::string& error, std::string& note)
    {
        if (!FFile)
            return true;
        errno = 0;
        bool ok = std::fflush(FFile) == 0 && !std::ferror(FFile);
        int code = errno;
        if (FOwned && std::fclose(FFile) != 0)
            ok = false;
        FFile = nullptr;
        if (ok && FReplacement.Fd() >= 0) {
            if (interrupted) {
                FReplacement.Discard();
                note = "the search was interrupted: '" + FPath + "' is left as it was";
            } else if (!FReplacement.Commit()) {
                ok = false;
                code = errno;
            }
        }
        if (!ok) {
            error = "cannot write '" + (FPath.empty() ? std::string("standard output") : FPath) +
                    "': " + std::strerror(code ? code : EIO);
        }
        return ok;
    }
    std::FILE* File() const { return FFile; }
    const std::string& Path() const { return FPath; }
    // Whether the list would take the place of this file of the results (a regular file, by
    // its size and then by device and inode).
    bool Replaces(const TResultRow& row) const
    {
        long long size = -1;
        struct stat st {};
        if (!FTarget || row.SubItems.empty() || !TryStrToInt64(row.SubItems[0], size) ||
            size != FTarget->st_size)
            return false;
        const std::optional<std::string> native = ToNativePath(row.Caption);
        return native && lstat(native->c_str(), &st) == 0 && st.st_dev == FTarget->st_dev &&
               st.st_ino == FTarget->st_ino;
    }

private:
    std::FILE* FFile = nullptr;
    std::string FPath;
    std::optional<struct stat> FTarget;  // the regular file the list replaces, if any
    bool FOwned = false;
    TFileReplacement FReplacement;  // discarded when not committed
};

void Summarise(const TFindOptions& options, const TTerminalWindow& window, std::FILE* err)
{
    if (!options.Quiet) {
        std::fprintf(err, "%s\n%s\n", window.StatusText(3).c_str(), window.TotalsText().c_str());
    }
    if (!options.Stats) return;
    std::fprintf(err, "Event pump: %ld calls", window.PumpCalls());
    static const char* const kPhases[] = {"the walk", "the catalogue's sort", "the comparison"};
    for (int phase = 0; phase < TTerminalWindow::phCount; ++phase) {
        const auto p = static_cast<TTerminalWindow::TPhase>(phase);
        const TTerminalWindow::TGap& wall = window.LongestGap(p);
        std::fprintf(err, "; longest gap in %s %.1f ms (%s), in CPU time %.1f ms", kPhases[phase],
                     wall.Milliseconds, wall.Place.c_str(), window.LongestCpuGap(p).Milliseconds);
    }
    std::fputc('\n', err);
}

int Search(const TFindOptions& options, std::FILE* out, std::FILE* err)
{
    std::string drives, error;
    if (!ChooseDrives(options, drives, error)) {
        Complain(err, error);
        return kExitUsage;
    }
    TSearchState state;
    if (options.KnownDuplicates && !state.KnownDuplicates.LoadFromFile(*options.KnownDuplicates)) {
        Complain(err, "cannot read the known duplicates '" + *options.KnownDuplicates + "'");
        return kExitUsage;
    }
    TOutput results, duplicates;
    if (!results.Open(options.Output, out, error) ||
        !duplicates.Open(options.NewDuplicates, nullptr, error)) {
        Complain(err, error);
        return kExitCannotWrite;
    }

    TTerminalWindow window;
    SetInputs(options, window);
    window.Drives = drives;
    // Every form but the saved list's, and the clean-up, need the whole result first.
    TResultFormat format = options.Null ? TResultFormat::rfNull : TResultFormat::rfList;
    if (options.Format && !options.Null) ParseResultFormat(*options.Format, format);
    const bool listForm = format == TResultFormat::rfList;
    const bool writeList = !options.TrashDuplicates || options.Output;
    std::vector<TResultRow> rows;
    if (!listForm || options.TrashDuplicates)
        window.OnRow = [&rows](const TResultRow& row) { rows.push_back(row); };
    window.ResultList = listForm && writeList ? results.File() : nullptr;
    window.DuplicateList = duplicates.File();
    // A list is never written over a file of the results: it would take the place of one of
    // the copies (and the clean-up would move the others to the trash).
    const TOutput* clash = nullptr;
    std::string clashRow;
    window.OnRow = [&, collect = window.OnRow](const TResultRow& row) {
        if (collect) collect(row);
        for (const TOutput* output : {&results, &duplicates})
            if (!clash && output->Replaces(row)) {
                clash = output;
                clashRow = row.Caption;
            }
    };
    window.Messages = err;
    if (!options.Quiet && isatty(fileno(err))) window.Progress = err;
    window.MeasurePumps = options.Stats;
    TSearchDriver driver(state, window);
    window.OnInterrupt = [&driver] { driver.btnSearchClick(); };

    // SIGTERM stops the search as Ctrl+C does, so no temporary list is left behind.
    const auto oldHandler = std::signal(SIGINT, TTerminalWindow::InterruptHandler);
    const auto oldTermHandler = std::signal(SIGTERM, TTerminalWindow::InterruptHandler);
    window.StartClock();
    driver.btnSearchClick();
    window.StopClock();
    if (!window.Interrupted()) {
        std::signal(SIGINT, oldHandler);
        std::signal(SIGTERM, oldTermHandler);
    }
    window.ClearProgress();

    bool written = true, trashed = true;
    if (clash) {
        Complain(err, "will not write '" + clash->Path() + "': it is one of the files found (" +
                          clashRow + "); nothing was written or moved to the trash");
        std::string ignored;
        for (TOutput* output : {&results, &duplicates}) output->Finish(true, ignored, ignored);
        Summarise(options, window, err);
        return kExitCannotWrite;
    }
    if (!listForm && writeList) {
        const std::string text = FormatResults(rows, format);
        std::fwrite(text.data(), 1, text.size(), results.File());
    }
    if (options.TrashDuplicates && window.Interrupted())
        Complain(err, "the search was stopped: nothing was moved to the trash");
    else if (options.TrashDuplicates)
        trashed = TrashDuplicates(rows, options.DryRun, out, options.Quiet ? nullptr : err);
    for (TOutput* output : {&results, &duplicates}) {
        std::string note;
        if (!output->Finish(window.Interrupted(), error, note)) {
            Complain(err, error);
            written = false;
        }
        if (!note.empty())
            Complain(err, note);
    }
    Summarise(options, window, err);
    if (!written || !trashed) return kExitCannotWrite;
    if (window.Interrupted()) return kExitInterrupted;
    return state.OutOfDescriptors ? kExitIncomplete : kExitSearched;
}

}  // namespace

int RunFind(const TFindOptions& options, std::FILE* out, std::FILE* err)
{
    if (options.Help) {
        std::fputs(UsageText().c_str(), out);
        return kExitSearched;
    }
    if (options.Version) {
        std::fprintf(out, "zarvex-find (Zarvex) %s\n", ZARVEX_VERSION);
        return kExitSearched;
    }
    return Search(options, out, err);
}
