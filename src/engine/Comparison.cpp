#include "engine/Comparison.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "engine/Catalogue.h"
#include "engine/PassOrder.h"
#include "platform/FileFind.h"
#include "platform/Process.h"
#include "text/Format.h"
#include "text/LocaleCompare.h"
#include "text/TextUtil.h"

namespace {

// In name mode every entry gets this key, so the whole catalogue is one run.
constexpr std::int64_t kNameModeKey = 1234567890;

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

void ShowTotals(const TSearchState& state, TSearchWindow& window)
{
    window.SetStatusText(1, "Bytes: " + FormatInt(state.DuplicateBytes));
    window.SetStatusText(2, "Files: " + FormatInt(state.DuplicateFiles));
}

TComparison::TComparison(TSearchState& state, TSearchWindow& window, const TTreeScanner& scanner)
    : FState(state), FWindow(window), FScanner(scanner), FMatcher(state)
{
    FMatcher.OnBlock() = [this] { return PumpIfDue(); };
    FMatcher.OnOutOfDescriptors = [this](const TRunEntry& a, const TRunEntry& b) {
        FKeepOpen = false;
        if (FAhead)
            FAhead->Discard();  // the readers' files go first
        for (TRunEntry& entry : FRunList)
            if (&entry != &a && &entry != &b)
                entry.Close();
    };
}

bool TComparison::Pump()
{
    FWindow.ProcessMessages();
    FPumped = true;
    if (!FState.Running && FAhead)
        FAhead->Discard();
    return FState.Running;
}

// Called between blocks of long reads. Reading the clock at every pump of the walk through the
// catalogue would cost more than the pump itself; a pump since the last call counts as now.
bool TComparison::PumpIfDue()
{
    const auto now = std::chrono::steady_clock::now();
    if (FPumped) {
        FPumped = false;
        FLastPump = now;
    } else if (now - FLastPump >= PumpInterval) {
        Pump();
        FPumped = false;
        FLastPump = std::chrono::steady_clock::now();
    }
    return FState.Running;
}

void TComparison::AutoSizeColumns()
{
    FWindow.AutoSizeColumns();
    FState.ColumnsFixed = false;
}

void TComparison::FixColumnWidths()
{
    FWindow.FixColumnWidths();
    FState.ColumnsFixed = true;
}

// Entries are "key" + name as the catalogue made them. The name is taken exactly as stored,
// not trimmed: on this platform a name may begin or end with a blank, and a trimmed name
// would point at another file or at none. The catalogue keeps a size field as a number; only
// an entry of another form is read back from its text (into FEntryText).
bool TComparison::SplitEntry(int index, std::int64_t& key, std::string_view& name) const
{
    if (FState.RequireSameSize) {
        const std::int64_t size = FState.Catalogue.SizeField(index);
        if (size >= 0) {
            key = size;
            name = FState.Catalogue.Tail(index);
            return true;
        }
    }
    FEntryText = FState.Catalogue.Strings(index);
    const std::string& entry = FEntryText;
    if (FState.RequireSameSize) {
        std::size_t start = 0;
        while (start < entry.size() && IsBlank(entry[start])) ++start;
        const std::size_t space = entry.find(' ', start);
        if (space == std::string::npos)
            return false;
        long long value = 0;
        if (!TryStrToInt64(std::string_view(entry).substr(start, space - start), value))
            return false;
        key = value;
        name = std::string_view(entry).substr(space + 1);
    } else {
        const std::size_t slash = entry.find('\\');
        if (slash == std::string::npos)
            return false;
        key = kNameModeKey;
        name = std::string_view(entry).substr(slash + 1);
    }
    return true;
}

bool TComparison::ReadEntry(int index, std::int64_t& key, std::string& path) const
{
    std::string_view name;
    if (!SplitEntry(index, key, name))
        return false;
    const std::int64_t folder = FState.Catalogue.Objects(index);
    if (folder < 0 || folder >= FState.FolderList.Count())
        return false;
    path = FState.FolderList.Strings(static_cast<int>(folder));
    path.append(name);
    return true;
}

bool TComparison::KeyAt(int index, std::int64_t& key) const
{
    std::string_view name;
    key = -2;
    return SplitEntry(index, key, name);
}

std::uint32_t TComparison::FileSignature(std::int64_t size, const std::string& path)
{
    TRunEntry entry(path);
    return FMatcher.Signature(size, entry);
}

bool TComparison::CompareFiles(std::int64_t size, const std::string& first,
                               const std::string& other)
{
    TRunEntry a(first), b(other);
    if (!FMatcher.Match(size, a, b))
        return false;
    FMatcher.Count(size);
    return true;
}

// With the same date and time required, a file's stamp is the one the walk saw: no file is
// looked up again to order a run (the files compared must still share it then).
void TComparison::AddRunEntry(const std::string& path, int index, std::uint32_t walkTime)
{
    TRunEntry entry(path, index);
    if (!FState.RequireSameSize)
        entry.NameKey = UpperCaseAscii(TCatalogue::NameOfPath(path));
    if (FState.RequireSameSize && FState.RequireSameStamp) {
        entry.Signed = true;
        entry.Signature = TFileMatcher::StampOfWalkTime(walkTime);
    }
    entry.Ahead = FAhead != nullptr;  // the readers may have it
    FRunList.push_back(std::move(entry));
}

// Hands the readers the files of the coming runs, from the catalogue entries below current
// (the one the walk has just read, of currentKey). A walk that caught up with the readers in
// a long run leaves the rest of that run to FeedRun. With the same date and time required the
// stamps are known already: only the files that share theirs within the run are opened (as
// the sub-runs will), and kept open for the window thread.
void TComparison::FeedAhead(int current, std::int64_t currentKey)
{
    if (!FAhead || (FState.RequireSameStamp && FState.RequireSameName))
        return;
    std::int64_t key = -2;
    if (FAheadIndex >= current) {
        FAheadIndex = current - 1;
        while (FAheadIndex >= 0 && KeyAt(FAheadIndex, key) && key == currentKey) --FAheadIndex;
        FAheadRunLow = FAheadIndex + 1;
    }
    if (FAheadIndex < 0)
        return;
    const bool byStamp = FState.RequireSameStamp;
    const std::size_t room = FAhead->Room(false);
    std::size_t openRoom = FAhead->Room(true);
    if (room < FAhead->Batch(false))
        return;
    while (FAheadIndex >= 0 && FJobs.size() < room) {
        if (FAheadIndex < FAheadRunLow) {
            // A new run: its length says whether it is read at all, and kept open.
            std::int64_t runKey = -2;
            KeyAt(FAheadIndex, runKey);
            FAheadRunLow = FAheadIndex;
            while (FAheadRunLow > 0 && KeyAt(FAheadRunLow - 1, key) && key == runKey)
                --FAheadRunLow;
            const std::size_t length = static_cast<std::size_t>(FAheadIndex - FAheadRunLow) + 1;
            FAheadKeepOpen = length <= MaxOpenFiles;
            if (length < 2 || runKey <= 0) {
                FAheadIndex = FAheadRunLow - 1;
                continue;
            }
            if (byStamp)
                MarkSharedStamps();
        }
        if (byStamp && !FAheadShared[static_cast<std::size_t>(FAheadIndex - FAheadRunLow)]) {
            --FAheadIndex;
            continue;
        }
        if (FAheadKeepOpen || byStamp) {
            if (openRoom == 0)
                break;
            --openRoom;
        }
        std::string path;
        if (ReadEntry(FAheadIndex, key, path)) {
            AddJob(key, TRunEntry(std::move(path), FAheadIndex), FAheadKeepOpen || byStamp);
            FJobs.back().Sign = !byStamp;
        }
        --FAheadIndex;
    }
    FAhead->Submit(FJobs);
}

// Which entries of the run FeedAhead has come to share their stamp with another one.
void TComparison::MarkSharedStamps()
{
    std::vector<std::pair<std::uint32_t, std::size_t>> stamps;  // stamp, place in the run
    for (int i = FAheadRunLow; i <= FAheadIndex; ++i)
        stamps.emplace_back(TFileMatcher::StampOfWalkTime(FState.Catalogue.Extra(i)),
                            stamps.size());
    std::sort(stamps.begin(), stamps.end());
    FAheadShared.assign(stamps.size(), false);
    for (std::size_t i = 0; i < stamps.size(); ++i)
        FAheadShared[stamps[i].second] =
            (i > 0 && stamps[i - 1].first == stamps[i].first) ||
            (i + 1 < stamps.size() && stamps[i + 1].first == stamps[i].first);
}

// Hands the readers the files of this run from next on that they may not have had yet (a
// file they have is not handed out twice).
void TComparison::FeedRun(std::int64_t size, TRunList& runList, std::size_t& next)
{
    if (!FAhead || !FState.Running || FState.RequireSameStamp)
        return;
    const std::size_t room = FAhead->Room(FKeepOpen);
    if (room < FAhead->Batch(FKeepOpen))
        return;
    for (; next < runList.size() && FJobs.size() < room; ++next)
        if (runList[next].Ahead)
            AddJob(size, runList[next], FKeepOpen);
    FAhead->Submit(FJobs);
}

// Hands the readers the files of this run, from at on, that its sub-runs will open and that
// are not open yet: heads and the opened files, for the window thread to compare.
void TComparison::FeedCompare(std::int64_t size, TRunList& runList, std::size_t at)
{
    if (!FAhead || !FState.Running || size == 0 || FState.RequireSameName)
        return;
    FFeedNext = std::max(FFeedNext, at);
    const std::size_t room = FAhead->Room(true);
    if (room < FAhead->Batch(true))
        return;
    for (; FFeedNext < runList.size() && FJobs.size() < room; ++FFeedNext) {
        TRunEntry& entry = runList[FFeedNext];
        const bool shared =
            (FFeedNext > 0 && SameKey(runList[FFeedNext - 1], entry)) ||
            (FFeedNext + 1 < runList.size() && SameKey(entry, runList[FFeedNext + 1]));
        if (!shared || entry.Ahead || entry.Content())
            continue;
        AddJob(size, entry, true);
        FJobs.back().Sign = false;
        FJobs.back().Urgent = true;
        entry.Ahead = true;
    }
    FAhead->Submit(FJobs);
}

void TComparison::AddJob(std::int64_t size, const TRunEntry& entry, bool keepOpen)
{
    TAheadJob& job = FJobs.emplace_back();
    job.Index = entry.Index;
    job.Path = entry.Path;
    job.Size = size;
    job.KeepOpen = keepOpen;
}

// The signatures of a whole run, taken when the run is complete. A pair compared by checksum
// needs none: equal contents have equal checksums, so comparing the two at once gives the same
// groups, and a pair that differs early costs the same one read of each file.
void TComparison::SignRun(std::int64_t size, TRunList& runList)
{
    if (!FState.Running)
        return;
    if (!FState.RequireSameStamp && runList.size() == 2)
        return;
    std::size_t next = 0;
    for (std::size_t k = 0; k < runList.size(); ++k) {
        next = std::max(next, k + 1);
        FeedRun(size, runList, next);
        TRunEntry& entry = runList[k];
        entry.Signature = FMatcher.Signature(size, entry);
        Release(entry);
        PumpIfDue();
    }
}

void TComparison::ShowRunStatus(std::int64_t size)
{
    if (FState.RequireSameSize) {
        FWindow.SetStatusText(3, "Comparing " + FormatInt(size) +
                                     (FState.RequireSameName ? " byte files with the same name ..."
                                                             : " byte files ..."));
    } else {
        FWindow.SetStatusText(3, "Comparing files with the same name ...");
    }
    FWindow.RepaintStatusBar();
}

void TComparison::CompareCatalogue()
{
    FState.Busy = true;
    FState.DuplicateBytes = 0;
    FState.DuplicateFiles = 0;
    FState.OutOfDescriptors = false;
    std::int64_t previousKey = -1;
    std::string previousPath;
    std::uint32_t previousTime = 0;
    bool inRun = false;

    AutoSizeColumns();
    FWindow.BeginRowsUpdate();
    FRunList.clear();
    // Merged in steps: a catalogue of 200,000 entries sorted in one piece holds the window for
    // some 100 ms. A Stop or a close meanwhile only clears Running; the walk below then ends.
    FState.Catalogue.Prepare([this] { Pump(); });
    const int count = FState.Catalogue.Count();
    FWindow.SetProgressMax(count > 0 ? count - 1 : 1);
    FWindow.SetProgressVisible(true);
    FProcessed = 0;
    FState.RequireSameStamp = FWindow.Checked(TCheckBox::cbCheckFileTimestamp);
    FState.RequireSameName = FWindow.Checked(TCheckBox::cbCheckFilename);
    FWindow.SetListCaption("Comparing files ...");
    FWindow.ClearRows();
    const int savedPriority = TProcessPriority::GetPriorityClass();
    if (savedPriority != 0)
        TProcessPriority::SetPriorityClass(TProcessPriority::IdleClass());
    FPumped = true;
    // Started here, so the readers run at the comparison's priority too; name mode reads
    // nothing.
    const std::size_t openAhead = std::min(ReadAheadFiles, OpenFileLimit() / 4);
    if (Readers > 1 && openAhead >= 8 && FState.RequireSameSize && FState.Running) {
        FAhead = std::make_unique<TReadAhead>(Readers, std::max(ReadAheadJobs, openAhead),
                                              openAhead);
        FMatcher.Ahead = FAhead.get();
        FAheadIndex = count - 1;
        FAheadRunLow = count;
        FeedAhead(count, -2);
    }

    for (int index = FState.Catalogue.Count() - 1; index >= 0 && FState.Running; --index) {
        std::int64_t key = -2;  // an entry that cannot be read continues no run
        std::string path;
        ReadEntry(index, key, path);
        const std::uint32_t walkTime = FState.Catalogue.Extra(index);
        const bool continues = key == previousKey && key != -2;
        if (continues && !inRun) {
            FRunList.clear();
            AddRunEntry(previousPath, index + 1, previousTime);
            ShowRunStatus(key);
        }
        inRun = continues;
        if (continues) {
            AddRunEntry(path, index, walkTime);
        } else if (!FRunList.empty()) {
            CompareRun(previousKey, FRunList);
            FRunList.clear();
        }
        previousKey = key;
        previousPath = std::move(path);
        previousTime = walkTime;
        ++FProcessed;
        FState.Catalogue.Delete(index);
        FeedAhead(index, previousKey);
        Pump();
    }
    if (!FRunList.empty())
        CompareRun(previousKey, FRunList);
    FMatcher.Ahead = nullptr;
    FAhead.reset();

    if (savedPriority != 0)
        TProcessPriority::SetPriorityClass(savedPriority);
    FWindow.SetListCaption("What duplicates were found - double-click a file to review ...");
    FWindow.SetListHint("Double-click a file to review");
    ShowOutcome();
    FWindow.SetHourglass(true);
    FWindow.EndRowsUpdate();
    AutoSizeColumns();
    FWindow.SetHourglass(false);
    FWindow.SetProgressVisible(false);
    FWindow.SetProgressPosition(0);

    TRunList().swap(FRunList);
    FState.Catalogue.Clear();
    FState.FolderList.Clear();
    FState.Busy = false;
    FWindow.SetSearchCaption("Find Now");
}

void TComparison::ShowOutcome()
{
    std::string outcome = FScanner.KeepSearching ? "Scan complete" : "Scan interrupted";
    if (!FState.Running)
        outcome = "Comparison interrupted";
    if (FScanner.OutOfDescriptors)
        FState.OutOfDescriptors = true;
    if (FState.OutOfDescriptors)
        outcome = "Too many open files: some files were not compared";
    FWindow.SetStatusText(3, outcome);
    if (FState.DuplicateFiles != 0)
        FWindow.SetStatusText(0, "Duplicates found....");
}

// The order of a sorted string list of "%12d  path" texts: by signature, then by path in the
// locale's order; of equal texts the one added later comes first.
void TComparison::SortRun(TRunList& runList) const
{
    std::reverse(runList.begin(), runList.end());
    std::stable_sort(runList.begin(), runList.end(), [](const TRunEntry& a, const TRunEntry& b) {
        if (a.Signature != b.Signature)
            return a.Signature < b.Signature;
        return AnsiCompareText(a.Path, b.Path) < 0;
    });
}

bool TComparison::SameKey(const TRunEntry& a, const TRunEntry& b) const
{
    return FState.RequireSameSize ? a.Signature == b.Signature : a.NameKey == b.NameKey;
}

void TComparison::CompareRun(std::int64_t size, TRunList& runList)
{
    FKeepOpen = runList.size() <= MaxOpenFiles;
    FFeedNext = 0;
    if (FState.RequireSameSize) {
        SignRun(size, runList);
        SortRun(runList);
    } else {
        GroupEqualNames(runList);
        FWindow.SetProgressMax(static_cast<int>(runList.size()) - 1);
    }
    for (std::size_t begin = 0; begin < runList.size();) {
        std::size_t end = begin + 1;
        while (end < runList.size() && SameKey(runList[begin], runList[end])) ++end;
        if (!CompareSubRun(size, runList, begin, end))
            break;
        begin = end;
    }
    for (TRunEntry& entry : runList) {
        // Not read after all (the same-name rule, a stop): its job goes.
        if (entry.Ahead && FAhead)
            FAhead->Forget(entry.Index);
        entry.Ahead = false;
        entry.Close();
    }
    ShowTotals();
    FWindow.SetProgressPosition(FProcessed);
    if (!FState.ColumnsFixed && FState.DuplicateFiles > 0)
        FixColumnWidths();
    FWindow.RepaintRows();
}

// Equal names stand together in the catalogue only as far as the locale's comparison goes: it
// may put a name that is equal to them there but not equal in ASCII case (a non-ASCII case
// variant, a decomposed form) between two of them. Each name joins the first of its equals,
// the order is kept otherwise.
void TComparison::GroupEqualNames(TRunList& runList) const
{
    std::unordered_map<std::string_view, std::size_t> rankOfKey;
    std::vector<std::pair<std::size_t, std::size_t>> order;  // rank of the key, index
    order.reserve(runList.size());
    for (std::size_t i = 0; i < runList.size(); ++i)
        order.emplace_back(rankOfKey.emplace(runList[i].NameKey, rankOfKey.size()).first->second,
                           i);
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    TRunList sorted;
    sorted.reserve(runList.size());
    for (const auto& [rank, i] : order) sorted.push_back(std::move(runList[i]));
    runList.swap(sorted);
}

// The group of one head: begun with its first match; the files it lists, by device and inode,
// the head's own looked up only once a file is checked against it.
struct TComparison::TGroup {
    explicit TGroup(TRunEntry& head) : Head(head) {}
    TRunEntry& Head;
    bool Begun = false, HeadLooked = false;
    std::set<std::pair<std::uint64_t, std::uint64_t>> Files;
};

// Whether entry names a file that the group lists already under another name (a hard link, a
// folder reached twice): such a name is left out of the group and of the later passes, as
// deleting it would free nothing.
bool TComparison::ListedBefore(std::int64_t size, TRunEntry& entry, TGroup& group)
{
    if (!group.HeadLooked && FMatcher.Identify(size, group.Head))
        group.Files.emplace(group.Head.Device, group.Head.Inode);
    group.HeadLooked = true;
    return FMatcher.Identify(size, entry) && group.Files.count({entry.Device, entry.Inode}) > 0;
}

void TComparison::AddToGroup(std::int64_t size, TRunEntry& other, std::size_t index, TGroup& group)
{
    if (!group.Begun)
        BeginGroup(group.Head, index);
    group.Begun = true;
    AddFileRow(other);
    FMatcher.Count(size);
    if (other.Identified)
        group.Files.emplace(other.Device, other.Inode);
}

// One sub-run [begin, end): every file is checked against the first one, and those it matched
// are listed as one group, whatever stood between them; the others go to the later passes.
// False when the search was stopped.
bool TComparison::CompareSubRun(std::int64_t size, TRunList& runList, std::size_t begin,
                                std::size_t end)
{
    if (!Pump())
        return false;
    FeedCompare(size, runList, begin);
    TRunEntry& head = runList[begin];
    TGroup group(head);
    std::vector<std::size_t> unmatched;
    for (std::size_t i = begin + 1; i < end; ++i) {
        FeedCompare(size, runList, i);
        TRunEntry& other = runList[i];
        if (!ListedBefore(size, other, group)) {
            if (FMatcher.Match(size, head, other)) {
                AddToGroup(size, other, i, group);
            } else {
                unmatched.push_back(i);
            }
        }
        Release(other);
        if (!Pump())
            return false;
    }
    Release(head);
    return unmatched.size() < 2 || LaterPasses(size, runList, unmatched);
}

// The files left unmatched, again and again headed by the first of them, each head with one
// group; only files of the head's key are compared with it.
bool TComparison::LaterPasses(std::int64_t size, TRunList& runList,
                              const std::vector<std::size_t>& left)
{
    std::vector<std::optional<std::uint64_t>> keys;
    for (const std::size_t i : left) {
        keys.push_back(FMatcher.PassKey(size, runList[i]));
        Release(runList[i]);
        if (!PumpIfDue())
            return false;
    }
    TPassOrder order(keys);
    std::size_t head = 0;
    while (order.StartPass(head)) {
        TRunEntry& first = runList[left[head]];
        TGroup group(first);
        std::size_t file = 0;
        while (order.NextCandidate(file)) {
            TRunEntry& other = runList[left[file]];
            if (ListedBefore(size, other, group)) {
                order.Remove(file);
            } else if (FMatcher.Match(size, first, other)) {
                AddToGroup(size, other, left[file], group);
                order.Remove(file);
            }
            Release(other);
            if (!Pump())
                return false;
        }
        Release(first);
    }
    return true;
}

// In a long run a file is closed after each use; a short run keeps them all open.
void TComparison::Release(TRunEntry& entry)
{
    if (!FKeepOpen)
        entry.Close();
}

void TComparison::BeginGroup(TRunEntry& head, std::size_t index)
{
    if (!FState.RequireSameSize) {
        FWindow.SetProgressPosition(static_cast<int>(index));
        ShowTotals();
        FWindow.SetStatusText(3, "Comparing files named: " + head.NameKey);
    }
    if (FWindow.RowCount() > 0)
        FWindow.AddRow("");
    FWindow.AddRow(kDuplicateGroupCaption);
    AddFileRow(head);
}

// A file that vanished meanwhile just has no row.
void TComparison::AddFileRow(TRunEntry& entry)
{
    std::int64_t size = 0;
    if (const TFileContent* content = entry.Content()) {
        FWindow.AddOpenFile(entry.Path, size, *content);
    } else {
        FWindow.AddFile(entry.Path, size);
    }
}
