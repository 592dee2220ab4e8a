#include "engine/CopyCleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "platform/Paths.h"
#include "platform/ShellOps.h"
#include "text/FileDescriptor.h"

namespace {

// One listed file opened for reading, or why it could not be.
struct TOpened {
    TFileDescriptor Fd;
    struct stat St {};
    TCleanupOutcome Refusal = TCleanupOutcome::coRemoved;  // coRemoved: opened fine
    std::string Reason;
};

// Opens the file at a program path for reading without following a link anywhere on the way
// (TListedFile), and only when it is a regular file: it is looked at before it is opened
// (opening a device can have effects of its own) and again after.
TOpened OpenListed(const std::string& programPath)
{
    TOpened result;
    TListedFile listed;
    switch (listed.Open(programPath)) {
        case TListedState::lsFile:
            break;
        case TListedState::lsNotFound:
            result.Refusal = TCleanupOutcome::coGone;
            return result;
        case TListedState::lsLinkOnTheWay:
            result.Refusal = TCleanupOutcome::coKeptChanged;
            result.Reason = "a link stands on its path";
            return result;
        case TListedState::lsNotAFile:
            result.Refusal = TCleanupOutcome::coKeptChanged;
            result.Reason = "no regular file any more";
            return result;
        case TListedState::lsFailed:
            result.Refusal = TCleanupOutcome::coFailed;
            result.Reason = listed.Error();
            return result;
    }
    result.Fd = TFileDescriptor(openat(listed.Folder(), listed.Name().c_str(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (result.Fd.Get() < 0 || fstat(result.Fd.Get(), &result.St) != 0) {
        const int code = errno;
        result.Refusal = code == ENOENT ? TCleanupOutcome::coGone : TCleanupOutcome::coFailed;
        result.Reason = std::strerror(code);
        return result;
    }
    if (!S_ISREG(result.St.st_mode) || result.St.st_ino != listed.Stat().st_ino ||
        result.St.st_dev != listed.Stat().st_dev) {
        result.Refusal = TCleanupOutcome::coKeptChanged;
        result.Reason = "no regular file any more";
    }
    return result;
}

enum class TCompare { tcSame, tcDifferent, tcUnreadable, tcCancelled };

// Reads up to `want` bytes at offset; fewer only at the end of the file. -1 on an error.
ssize_t ReadFull(int fd, char* buffer, std::size_t want, std::int64_t offset)
{
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n =
            pread(fd, buffer + got, want - got, offset + static_cast<std::int64_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// Reads both files from the start in blocks and stops at the first difference; a file that
// ends early differs. keepGoing is asked every megabyte, so a window stays responsive on large
// files and can cancel.
TCompare SameBytes(int a, int b, std::int64_t size, const std::function<bool()>& keepGoing)
{
    constexpr std::size_t kBlock = 1 << 16;
    constexpr int kBlocksPerPump = 16;
    std::vector<char> bufA(kBlock), bufB(kBlock);
    int blocks = 0;
    for (std::int64_t offset = 0; offset < size;) {
        if (++blocks % kBlocksPerPump == 0 && !keepGoing())
            return TCompare::tcCancelled;
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::int64_t>(kBlock, size - offset));
        const ssize_t gotA = ReadFull(a, bufA.data(), want, offset);
        const ssize_t gotB = ReadFull(b, bufB.data(), want, offset);
        if (gotA < 0 || gotB < 0)
            return TCompare::tcUnreadable;
        if (gotA != static_cast<ssize_t>(want) || gotB != static_cast<ssize_t>(want) ||
            std::memcmp(bufA.data(), bufB.data(), want) != 0)
            return TCompare::tcDifferent;
        offset += static_cast<std::int64_t>(want);
    }
    return TCompare::tcSame;
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when the open file was written (or truncated) since it was opened: bytes read before
// the change may no longer be what it holds.
bool ChangedSinceOpened(const TOpened& file)
{
    struct stat now {};
    return fstat(file.Fd.Get(), &now) != 0 || now.st_size != file.St.st_size ||
           now.st_ctim.tv_sec != file.St.st_ctim.tv_sec ||
           now.st_ctim.tv_nsec != file.St.st_ctim.tv_nsec;
}

// The one copy check of the program: the first of `candidates` that is another regular file
// (not self's device and inode) of self's size with the same bytes, read now. keepGoing is
// asked between candidates and while comparing. tcSame sets `found`; tcDifferent means no copy
// (`unreadable` then tells a read error met on the way, if any).
TCompare FirstCopy(const TOpened& self, const std::vector<std::string>& candidates,
                   const std::function<bool()>& keepGoing, std::size_t& found,
                   std::string& unreadable)
{
    for (std::size_t j = 0; j < candidates.size(); ++j) {
        if (j > 0 && !keepGoing())
            return TCompare::tcCancelled;
        const TOpened other = OpenListed(candidates[j]);
        if (other.Refusal != TCleanupOutcome::coRemoved || other.St.st_size != self.St.st_size ||
            SameFile(other.St, self.St))
            continue;
        const TCompare same = SameBytes(self.Fd.Get(), other.Fd.Get(), self.St.st_size, keepGoing);
        if (same == TCompare::tcSame && ChangedSinceOpened(other))
            continue;  // written while it was read: no copy of what self holds now
        if (same == TCompare::tcSame)
            found = j;
        if (same == TCompare::tcSame || same == TCompare::tcCancelled)
            return same;
        if (same == TCompare::tcUnreadable && unreadable.empty())
            unreadable = std::string("could not read: ") + std::strerror(errno);
    }
    return TCompare::tcDifferent;
}

// The selection a group is handled with: a group whose every file is selected keeps its first.
std::vector<bool> Chosen(const TCleanupGroup& group, bool& keptFirst)
{
    std::vector<bool> chosen;
    bool all = !group.Files.empty();
    for (const TCleanupFile& file : group.Files) {
        chosen.push_back(file.Selected);
        all = all && file.Selected;
    }
    keptFirst = all;
    if (all)
        chosen[0] = false;
    return chosen;
}

// Decides and acts on one selected file of a group; stays[] tells which files of the group
// stay, and gains this one unless it goes. False when keepGoing cancelled while the file was
// read: then it is left untouched and its result stays "not reached".
bool HandleFile(const TCleanupGroup& group, std::size_t index, std::vector<bool>& stays,
                TCleanupMode mode, const std::function<bool()>& keepGoing, TCleanupResult& result)
{
    const TCleanupFile& file = group.Files[index];
    stays[index] = true;
    TOpened self = OpenListed(file.Path);
    if (self.Refusal != TCleanupOutcome::coRemoved) {
        result.Outcome = self.Refusal;
        result.Reason = self.Reason;
        if (self.Refusal == TCleanupOutcome::coGone)
            stays[index] = false;
        return true;
    }
    if (self.St.st_size != file.Size) {
        result.Outcome = TCleanupOutcome::coKeptChanged;
        result.Reason = "its size changed since the search";
        return true;
    }
    // Only files that stay and were listed with the same size can be the copy.
    std::vector<std::string> candidates;
    std::vector<std::size_t> candidateIndex;
    for (std::size_t j = 0; j < group.Files.size(); ++j) {
        if (j != index && stays[j] && group.Files[j].Size == file.Size) {
            candidates.push_back(group.Files[j].Path);
            candidateIndex.push_back(j);
        }
    }
    std::size_t found = 0;
    const TCompare same = FirstCopy(self, candidates, keepGoing, found, result.Reason);
    if (same == TCompare::tcCancelled)
        return false;
    const TCleanupFile* copy =
        same == TCompare::tcSame ? &group.Files[candidateIndex[found]] : nullptr;
    struct stat after {};
    if (!copy) {
        result.Outcome =
            result.Reason.empty() ? TCleanupOutcome::coKeptNoCopy : TCleanupOutcome::coFailed;
        return true;
    }
    // The path must still name the file just read, unwritten since it was opened; it is
    // removed through the folder descriptor of this last look, never by a new walk.
    TListedFile again;
    if (ChangedSinceOpened(self) || fstat(self.Fd.Get(), &after) != 0 ||
        after.st_size != file.Size || again.Open(file.Path) != TListedState::lsFile ||
        !SameFile(again.Stat(), self.St)) {
        result.Outcome = TCleanupOutcome::coKeptChanged;
        result.Reason = "it changed while it was read";
        return true;
    }
    result.Reason = copy->Path;
    if (mode == TCleanupMode::cmDryRun) {
        result.Outcome = TCleanupOutcome::coRemoved;
        stays[index] = false;
        return true;
    }
    const TDeleteResult removed =
        mode == TCleanupMode::cmTrash ? TrashListedFile(again) : DeleteListedFile(again);
    switch (removed.Outcome) {
        case TDeleteOutcome::doDeleted:
            result.Outcome = TCleanupOutcome::coRemoved;
            stays[index] = false;
            break;
        case TDeleteOutcome::doNotFound:
            result.Outcome = TCleanupOutcome::coGone;
            stays[index] = false;
            break;
        case TDeleteOutcome::doNotAFile:
            result.Outcome = TCleanupOutcome::coKeptChanged;
            result.Reason = "no regular file any more";
            break;
        case TDeleteOutcome::doFailed:
            result.Outcome = TCleanupOutcome::coFailed;
            result.Reason = removed.Error;
            break;
    }
    return true;
}

}  // namespace

TCleanupPlan PlanCleanup(const std::vector<TCleanupGroup>& groups)
{
    TCleanupPlan plan;
    for (const TCleanupGroup& group : groups) {
        bool keptFirst = false;
        const std::vector<bool> chosen = Chosen(group, keptFirst);
        if (keptFirst)
            plan.KeptFirst.push_back(group.Files[0].Path);
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            if (!chosen[i])
                continue;
            ++plan.Files;
            plan.Bytes += group.Files[i].Size;
            plan.Paths.push_back(group.Files[i].Path);
        }
    }
    return plan;
}

std::size_t TCleanupReport::Count(TCleanupOutcome outcome) const
{
    std::size_t count = 0;
    for (const TCleanupResult& file : Files) count += file.Outcome == outcome;
    return count;
}

TCleanupReport CleanUpCopies(const std::vector<TCleanupGroup>& groups, TCleanupMode mode,
                             const TCleanupPump& pump)
{
    TCleanupReport report;
    std::vector<std::vector<bool>> chosen;
    TCleanupProgress progress;
    for (const TCleanupGroup& group : groups) {
        bool keptFirst = false;
        chosen.push_back(Chosen(group, keptFirst));
        for (std::size_t i = 0; i < group.Files.size(); ++i) {
            if (!chosen.back()[i])
                continue;
            const TCleanupFile& file = group.Files[i];
            report.Files.push_back(
                {file.Path, file.Size, file.Tag, TCleanupOutcome::coNotReached, {}});
            ++progress.FilesTotal;
            progress.BytesTotal += file.Size;
        }
    }
    std::size_t next = 0;
    if (!report.Files.empty())
        progress.Current = report.Files[0].Path;
    report.Cancelled = pump && !pump(progress);
    for (std::size_t g = 0; g < groups.size() && !report.Cancelled; ++g) {
        std::vector<bool> stays(chosen[g].size());
        for (std::size_t i = 0; i < stays.size(); ++i) stays[i] = !chosen[g][i];
        for (std::size_t i = 0; i < stays.size() && !report.Cancelled; ++i) {
            if (!chosen[g][i])
                continue;
            TCleanupResult& result = report.Files[next++];
            const auto keepGoing = [&] { return !pump || pump(progress); };
            if (!HandleFile(groups[g], i, stays, mode, keepGoing, result)) {
                report.Cancelled = true;
                break;
            }
            ++progress.FilesDone;
            progress.BytesDone += result.Size;
            progress.Current = next < report.Files.size() ? report.Files[next].Path : std::string();
            report.Cancelled = pump && !pump(progress);
        }
    }
    return report;
}

std::string OutcomeText(const TCleanupResult& result)
{
    switch (result.Outcome) {
        case TCleanupOutcome::coRemoved:
            return "removed";
        case TCleanupOutcome::coKeptNoCopy:
            return "kept: no other copy was left";
        case TCleanupOutcome::coKeptChanged:
            return "kept: changed since the search" +
                   (result.Reason.empty() ? "" : " (" + result.Reason + ")");
        case TCleanupOutcome::coGone:
            return "already gone";
        case TCleanupOutcome::coFailed:
            return "failed: " + result.Reason;
        case TCleanupOutcome::coNotReached:
            return "not reached: cancelled";
    }
    return {};
}

TCopyCheck FindIdenticalCopy(const std::string& path, const std::vector<std::string>& others,
                             const std::function<bool()>& pump)
{
    const std::function<bool()> keepGoing = [&pump] { return !pump || pump(); };
    if (!keepGoing())
        return TCopyCheck::ccCancelled;
    const TOpened self = OpenListed(path);
    if (self.Refusal != TCleanupOutcome::coRemoved)
        return TCopyCheck::ccNoCopy;
    std::vector<std::string> candidates;
    for (const std::string& other : others) {
        if (other != path)
            candidates.push_back(other);
    }
    std::size_t found = 0;
    std::string unreadable;
    switch (FirstCopy(self, candidates, keepGoing, found, unreadable)) {
        case TCompare::tcSame:
            return TCopyCheck::ccCopyFound;
        case TCompare::tcCancelled:
            return TCopyCheck::ccCancelled;
        default:
            return TCopyCheck::ccNoCopy;
    }
}
