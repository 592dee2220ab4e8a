#pragma once
// Removing many redundant copies at once, never the last one.
//
// The contract: a selected file is removed only if, at that moment, another file of its group
// that stays (not selected, or selected but kept) still exists as a regular file of the
// catalogued size, is not the same file (device and inode), and has the same bytes, read now.
// A group whose every file is selected keeps its first file. Groups are handled in order and
// files in list order, so an earlier kept file can be the copy that lets a later one go.
//
// Files are opened without following a link anywhere on their path and read only when they
// are regular files; nothing here asks the user anything.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TCleanupFile {
    std::string Path;       // program path, exactly as listed
    std::int64_t Size = 0;  // size when the search listed it
    bool Selected = false;
    std::size_t Tag = 0;  // the caller's (a row index); carried into the results
};

struct TCleanupGroup {
    std::vector<TCleanupFile> Files;  // in list order
};

enum class TCleanupMode { cmTrash, cmPermanent, cmDryRun };

// What the confirmation says before anything happens.
struct TCleanupPlan {
    std::size_t Files = 0;               // files to remove
    std::int64_t Bytes = 0;              // their catalogued sizes
    std::vector<std::string> Paths;      // their paths, in order
    std::vector<std::string> KeptFirst;  // first files of fully selected groups, which stay
};
TCleanupPlan PlanCleanup(const std::vector<TCleanupGroup>& groups);

enum class TCleanupOutcome {
    coRemoved,      // in the trash, or deleted (dry run: would be)
    coKeptNoCopy,   // no other copy of the same bytes was left
    coKeptChanged,  // the file is no longer what the search listed (size, or no regular file)
    coGone,         // nothing was at the path any more
    coFailed,       // reading, trashing or deleting failed: Reason tells why
    coNotReached,   // the run was cancelled before this file
};

struct TCleanupResult {
    std::string Path;
    std::int64_t Size = 0;
    std::size_t Tag = 0;
    TCleanupOutcome Outcome = TCleanupOutcome::coNotReached;
    std::string Reason;  // why it stays or failed; for coRemoved the path of the copy that stays
};

struct TCleanupProgress {
    std::size_t FilesDone = 0, FilesTotal = 0;
    std::int64_t BytesDone = 0, BytesTotal = 0;
    std::string Current;  // the file about to be handled; empty at the end
};
// Called before the first file, after every file, between the copies tried for a file, and
// every megabyte while a file is compared; false cancels: a file already handled keeps its outcome,
// the file being compared is left untouched, and nothing after it is touched. A window lets its
// events run in here.
using TCleanupPump = std::function<bool(const TCleanupProgress&)>;

struct TCleanupReport {
    std::vector<TCleanupResult> Files;  // one per file of the plan, in order
    bool Cancelled = false;
    std::size_t Count(TCleanupOutcome outcome) const;
};

TCleanupReport CleanUpCopies(const std::vector<TCleanupGroup>& groups, TCleanupMode mode,
                             const TCleanupPump& pump = {});

// A short text for an outcome, e.g. "kept: no other copy was left".
std::string OutcomeText(const TCleanupResult& result);

// The check before one file is deleted by hand, with the same rules as above: whether one of
// `others` is a different file (not the same device and inode) that still exists with the
// same size and the same bytes as `path`, read now; it stops at the first one found. ccNoCopy
// when `path` itself cannot be read. `pump` (may be empty) runs before the first file, between
// files and every megabyte of a comparison; when it answers false the check stops with
// ccCancelled.
enum class TCopyCheck { ccCopyFound, ccNoCopy, ccCancelled };
TCopyCheck FindIdenticalCopy(const std::string& path, const std::vector<std::string>& others,
                             const std::function<bool()>& pump = {});
