#include "scan/TreeScan.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <optional>
#include <utility>

#include "platform/FileContent.h"
#include "platform/FileFind.h"
#include "platform/Paths.h"
#include "text/FileDescriptor.h"
#include "text/LocaleCompare.h"
#include "text/PathText.h"

// One folder on the path from the root to the folder being visited, with the subfolders it
// still has to visit. Kept on an explicit stack, so the depth of a tree costs heap, not stack.
// Each subfolder is opened relative to its parent's descriptor, without following a link, and
// must still be the folder that the listing saw (device and inode).
struct TTreeScanner::TSubfolder {
    std::string Path;
    std::uint64_t Device = 0, Inode = 0;
};

struct TTreeScanner::TFolderVisit {
    std::vector<TSubfolder> Subfolders;
    std::size_t Next = 0;
    std::string Name;    // to open the folder again from an ancestor
    TFileDescriptor Fd;  // -1 for a folder whose descriptor is not held
};

namespace {

// Puts entries of the listing (by index) in the sorted order of a folder's private lists: the
// locale's case-insensitive order, and names equal under it ("A.txt" and "a.txt", two
// different entries here) by their bytes, so that the order never depends on the order of the
// directory. One collation key per name, then plain byte comparisons: far cheaper than
// collating name against name at every comparison of the sort.
void SortByName(std::vector<std::size_t>& entries, const TFolderListing& listing)
{
    if (entries.size() < 2)
        return;
    struct TSortItem {
        std::size_t KeyOffset, KeyLength, Entry;
    };
    std::string keys;
    std::vector<TSortItem> items;
    items.reserve(entries.size());
    for (std::size_t entry : entries) {
        const std::size_t offset = keys.size();
        AppendCollationKey(listing.Name(entry), keys);
        items.push_back({offset, keys.size() - offset, entry});
    }
    std::sort(items.begin(), items.end(), [&](const TSortItem& a, const TSortItem& b) {
        const std::string_view keyA(keys.data() + a.KeyOffset, a.KeyLength);
        const std::string_view keyB(keys.data() + b.KeyOffset, b.KeyLength);
        if (int c = keyA.compare(keyB); c != 0)
            return c < 0;
        return listing.Name(a.Entry) < listing.Name(b.Entry);
    });
    for (std::size_t i = 0; i < items.size(); ++i) entries[i] = items[i].Entry;
}

bool IsDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

// Whether the folder at this depth of the walk keeps its descriptor while its subtree is
// walked. Every folder down to a depth that real trees reach does; below that only every 16th
// (and further down every 256th), so that a tree thousands of levels deep stays within the
// descriptors a process may hold, at the price of opening a few folders again on the way down.
bool HoldsDescriptor(std::size_t depth)
{
    return depth < 128 || (depth % 16 == 0 && depth < 4096) || depth % 256 == 0;
}

std::string CurrentDirectory()
{
    std::string buffer(PATH_MAX, '\0');
    if (!getcwd(buffer.data(), buffer.size()))
        return std::string();
    buffer.resize(buffer.find('\0'));
    std::optional<std::string> path = FromNativePath(buffer);
    return path ? *path : std::string();
}

// Clears SearchInProgress when a handler's exception ends the walk.
class TProgressGuard {
public:
    explicit TProgressGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TProgressGuard() { FFlag = false; }
    TProgressGuard(const TProgressGuard&) = delete;
    TProgressGuard& operator=(const TProgressGuard&) = delete;

private:
    bool& FFlag;
};

}  // namespace

TTreeScanner::TTreeScanner() = default;

std::string TTreeScanner::FileMask() const
{
    return FMasks.Count() == 0 ? std::string() : FMasks[0];
}

void TTreeScanner::SetFileMask(std::string_view mask)
{
    if (FSearchInProgress)
        return;
    FMasks.Clear();
    FMasks.Add(mask);
}

std::string TTreeScanner::FileMaskCommaText() const
{
    return FMasks.CommaText();
}

void TTreeScanner::SetFileMaskCommaText(std::string_view text)
{
    if (FSearchInProgress)
        return;
    FMasks.SetCommaText(text);
}

std::string TTreeScanner::NormalFolder(std::string_view dir)
{
    // Taking the folder part of a path that ends in a backslash and appending the backslash
    // again gives the same path back, so appending the one backslash is the whole rule.
    std::string folder(dir);
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder;
}

void TTreeScanner::Search()
{
    if (FSearchInProgress)
        return;
    {
        TProgressGuard progress(FSearchInProgress);
        FFileFound.clear();
        FFileSize = 0;
        if (FInitialDirectory.empty())
            FInitialDirectory = CurrentDirectory();
        FInitialDirectory = NormalFolder(FInitialDirectory);
        KeepSearching = true;
        FListing.SetWatchedName(WatchedFileName);
        FWalkMasks.clear();
        for (int i = 0; i < FMasks.Count(); ++i) FWalkMasks.push_back(FMasks[i]);
        ScanFolder(FInitialDirectory);
    }
    Fire(OnSearchDone);
}

void TTreeScanner::Fire(const TNotifyEvent& event)
{
    // A copy, so a handler may reassign its own event without destroying the running callable.
    if (!event)
        return;
    TNotifyEvent handler = event;
    handler(this);
}

// Takes the root by value: a handler may rewrite InitialDirectory while the walk runs.
void TTreeScanner::ScanFolder(std::string folder)
{
    // Each listing read ahead holds up to two descriptors.
    const std::size_t ahead = std::min(ListingsAhead, OpenFileLimit() / 16);
    struct TAheadGuard {
        std::unique_ptr<TListingReader>& Ahead;
        ~TAheadGuard() { Ahead.reset(); }
    } guard{FAhead};
    if (ahead > 0)
        FAhead = std::make_unique<TListingReader>(FWalkMasks, FListing.WatchedName(), ahead);
    std::vector<TFolderVisit> path;
    if (!EnterFolder(TSubfolder{std::move(folder)}, path))
        return;
    while (!path.empty()) {
        TFolderVisit& visit = path.back();
        if (visit.Next == visit.Subfolders.size()) {
            path.pop_back();
            Fire(OnDirectoryDone);
            continue;
        }
        TSubfolder subfolder = std::move(visit.Subfolders[visit.Next++]);
        if (FRecursive) {
            EnterFolder(subfolder, path);  // invalidates `visit`
        } else {
            // Reached only when a handler turned Recursive off during this visit.
            FFileFound = std::move(subfolder.Path);
            Fire(OnDirectoryFound);
        }
    }
}

// The descriptor of a subfolder of the innermost folder on the path, opened from the nearest
// folder on the path that still holds its own.
int TTreeScanner::OpenSubfolder(const std::vector<TFolderVisit>& path, const std::string& name)
{
    std::size_t held = path.size() - 1;
    if (path[held].Fd.Get() >= 0)
        return OpenSubfolderNoFollow(path[held].Fd.Get(), name);
    while (held > 0 && path[held].Fd.Get() < 0) --held;
    TFileDescriptor fd(fcntl(path[held].Fd.Get(), F_DUPFD_CLOEXEC, 0));
    for (std::size_t i = held + 1; i < path.size() && fd.Get() >= 0; ++i)
        fd = TFileDescriptor(OpenSubfolderNoFollow(fd.Get(), path[i].Name));
    return fd.Get() < 0 ? -1 : OpenSubfolderNoFollow(fd.Get(), name);
}

// Reports one folder and its files and pushes its visit; false (no event at all) when the walk
// has been asked to stop. The folder is read once, before it is reported: its subfolders and
// the files of every mask come from the same listing, filtered as a folder search and one
// search per mask would be. A mask is matched against the folder's names only, so it can never
// reach into another folder. A folder that is no longer the one its parent listed (swapped for
// a link or another folder meanwhile) is reported as one that cannot be listed.
bool TTreeScanner::EnterFolder(const TSubfolder& folder, std::vector<TFolderVisit>& path)
{
    Pump();
    if (!KeepSearching)
        return false;
    const std::string name(
        path.empty() ? std::string_view()
                     : PathName(std::string_view(folder.Path).substr(0, folder.Path.size() - 1)));
    TFileDescriptor fd;
    bool listed = false;
    std::optional<TListingReader::TResult> readAhead;
    if (FAhead && !path.empty())
        readAhead = FAhead->Take(folder.Path);
    if (readAhead) {
        fd = std::move(readAhead->Fd);
        std::swap(FListing, readAhead->Listing);
        FListing.SetCancel(nullptr);  // the reader's flag goes with the reader
        listed = readAhead->Listed;
        errno = readAhead->Error;
    } else {
        fd.Reset(path.empty() ? OpenFolderNoFollow(folder.Path) : OpenSubfolder(path, name));
        listed = FListing.ReadAt(fd.Get(), &FWalkMasks);
    }
    if (!listed && (errno == EMFILE || errno == ENFILE))
        OutOfDescriptors = true;
    if (listed && !path.empty() &&
        (FListing.Device() != folder.Device || FListing.Inode() != folder.Inode)) {
        FListing.Clear();
    }
    FHoldsWatched = FListing.HoldsWatchedFile();
    FFileSize = 0;
    FFileFound = folder.Path;
    Fire(OnDirectoryFound);
    FHoldsWatched = false;

    const bool collectFolders = FRecursive;
    const std::uint32_t folderFilter = faDirectory | (FFindHiddenFolders ? faHidden : 0);
    const bool hiddenFiles = FFindHiddenFiles;
    std::vector<std::size_t> folders, files;
    if (FListing.Count() >= kLongFolder)
        PumpIfDue();
    for (std::size_t i = 0; i < FListing.Count(); ++i) {
        const std::uint32_t attr = FListing.Entry(i).Attr;
        if (attr & (faSysFile | faVolumeID))
            continue;
        if (attr & faDirectory) {
            if (collectFolders && PassesAttrFilter(attr, folderFilter) &&
                !IsDotEntry(FListing.Name(i))) {
                folders.push_back(i);
            }
        } else if ((attr & faHidden) == 0 || hiddenFiles) {
            files.push_back(i);  // the listing kept only names that match a mask
        }
    }
    SortByName(folders, FListing);
    TFolderVisit visit;
    visit.Subfolders.reserve(folders.size());
    for (std::size_t i : folders) {
        TSubfolder& subfolder = visit.Subfolders.emplace_back();
        subfolder.Path.assign(folder.Path).append(FListing.Name(i)).push_back('\\');
        subfolder.Device = FListing.Entry(i).Device;
        subfolder.Inode = FListing.Entry(i).Inode;
    }
    // The subfolders are read ahead while this folder's files are reported.
    if (FAhead && fd.Get() >= 0 && !folders.empty()) {
        std::vector<TListingReader::TFolder> ahead;
        for (std::size_t k = 0, room = FAhead->Room(); k < folders.size() && k < room; ++k)
            ahead.push_back({visit.Subfolders[k].Path, std::string(FListing.Name(folders[k]))});
        FAhead->Submit(fd.Get(), ahead);
    }
    ReportFiles(folder.Path, files);
    visit.Name = name;
    if (HoldsDescriptor(path.size()) && !visit.Subfolders.empty())
        visit.Fd = std::move(fd);
    path.push_back(std::move(visit));
    return true;
}

// Every file collected is reported: KeepSearching is not read here, so a stop asked for by one
// of these handlers still lets the folder's remaining files through.
void TTreeScanner::ReportFiles(const std::string& folder, std::vector<std::size_t>& files)
{
    SortByName(files, FListing);
    std::size_t reported = 0;
    for (std::size_t i : files) {
        FFileFound.assign(folder).append(FListing.Name(i));
        FFileSize = FListing.Entry(i).Size;
        FFileWriteTime = FListing.Entry(i).LastWriteTime;
        Fire(OnFileFound);
        if (++reported % kLongFolder == 0)
            PumpIfDue();
    }
    FFileSize = 0;
    FFileWriteTime = 0;
}

void TTreeScanner::Pump()
{
    FLastPump = std::chrono::steady_clock::now();
    if (ProcessMessages) {
        TProcessMessages pump = ProcessMessages;  // may reassign itself, as events may
        pump();
    }
}

// A folder of tens of thousands of files would keep the window from its messages for longer
// than a user accepts; such a folder lets them run in between too, every 25 ms at most. Small
// folders never get here, so they still see exactly one pump each. KeepSearching is not read.
void TTreeScanner::PumpIfDue()
{
    if (std::chrono::steady_clock::now() - FLastPump >= std::chrono::milliseconds(25))
        Pump();
}
