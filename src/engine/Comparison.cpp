#include "engine/Comparison.h"

#include <algorithm>

#include "engine/Catalogue.h"
#include "platform/FileFind.h"
#include "platform/Process.h"
#include "text/Format.h"
#include "text/LocaleCompare.h"
#include "text/TextUtil.h"

namespace {

// In name mode every entry gets this key, so the whole catalogue is one run.
constexpr std::int64_t kNameModeKey = 1234567890;

constexpr std::int64_t kFileTimeEpochOffset = 11644473600;  // seconds from 1601 to 1970
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;

std::uint32_t DosStamp(std::uint64_t lastWriteTime)
{
    const std::int64_t seconds =
        static_cast<std::int64_t>(lastWriteTime / kFileTimeTicksPerSecond) - kFileTimeEpochOffset;
    return DateTimeToDosDateTime(UnixToLocalDateTime(seconds));
}

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
    : FState(state), FWindow(window), FScanner(scanner)
{
    FReader.OnBlock = [this] { return PumpIfDue(); };
}

bool TComparison::Pump()
{
    FWindow.ProcessMessages();
    FLastPump = std::chrono::steady_clock::now();
    return FState.Running;
}

bool TComparison::PumpIfDue()
{
    if (std::chrono::steady_clock::now() - FLastPump >= PumpInterval) return Pump();
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
// would point at another file or at none.
bool TComparison::ReadEntry(int index, std::int64_t& key, std::string& path) const
{
    const std::string& entry = FState.Catalogue.Strings(index);
    std::string_view name;
    if (FState.RequireSameSize) {
        std::size_t start = 0;
        while (start < entry.size() && IsBlank(entry[start])) ++start;
        const std::size_t space = entry.find(' ', start);
        if (space == std::string::npos) return false;
        long long value = 0;
        if (!TryStrToInt64(std::string_view(entry).substr(start, space - start), value)) return false;
        key = value;
        name = std::string_view(entry).substr(space + 1);
    } else {
        const std::size_t slash = entry.find('\\');
        if (slash == std::string::npos) return false;
        key = kNameModeKey;
        name = std::string_view(entry).substr(slash + 1);
    }
    const std::int64_t folder = FState.Catalogue.Objects(index);
    if (folder < 0 || folder >= FState.FolderList.Count()) return false;
    path = FState.FolderList.Strings(static_cast<int>(folder));
    path.append(name);
    return true;
}

std::uint32_t TComparison::FileSignature(std::int64_t size, const std::string& path)
{
    if (size == 0) return 0;
    if (FState.RequireSameStamp) {
        TSearchRec rec;
        if (!FindFile(path, rec)) return 0;
        return DosStamp(rec.LastWriteTime) & 0x7FFFFFFFu;
    }
    TFileContent file;
    if (!file.Open(path)) return 0;
    return TContentReader::HeadChecksum(file, size);
}

void TComparison::AddRunEntry(std::int64_t size, const std::string& path)
{
    TRunEntry entry;
    entry.Path = path;
    if (FState.RequireSameSize) {
        entry.Signature = FileSignature(size, path);
    } else {
        entry.NameKey = UpperCaseAscii(TCatalogue::NameOfPath(path));
    }
    FRunList.push_back(std::move(entry));
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
    std::int64_t previousKey = -1;
    std::string previousPath;
    bool inRun = false;

    AutoSizeColumns();
    FWindow.BeginRowsUpdate();
    FRunList.clear();
    const int count = FState.Catalogue.Count();
    FWindow.SetProgressMax(count > 0 ? count - 1 : 1);
    FWindow.SetProgressVisible(true);
    FProcessed = 0;
    FState.RequireSameStamp = FWindow.Checked(TCheckBox::cbCheckFileTimestamp);
    FState.RequireSameName = FWindow.Checked(TCheckBox::cbCheckFilename);
    FWindow.SetListCaption("Comparing files ...");
    FWindow.ClearRows();
    const int savedPriority = TProcessPriority::GetPriorityClass();
    if (savedPriority != 0) TProcessPriority::SetPriorityClass(TProcessPriority::IdleClass());
    FLastPump = std::chrono::steady_clock::now();

    for (int index = FState.Catalogue.Count() - 1; index >= 0 && FState.Running; --index) {
        std::int64_t key = -2;  // an entry that cannot be read continues no run
        std::string path;
        ReadEntry(index, key, path);
        const bool continues = key == previousKey && key != -2;
        if (continues && !inRun) {
            FRunList.clear();
            AddRunEntry(previousKey, previousPath);
            ShowRunStatus(key);
        }
        inRun = continues;
        if (continues) {
            AddRunEntry(key, path);
        } else if (!FRunList.empty()) {
            CompareRun(previousKey, FRunList);
            FRunList.clear();
        }
        previousKey = key;
        previousPath = std::move(path);
        ++FProcessed;
        FState.Catalogue.Delete(index);
        Pump();
    }
    if (!FRunList.empty()) CompareRun(previousKey, FRunList);

    if (savedPriority != 0) TProcessPriority::SetPriorityClass(savedPriority);
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
    if (!FState.Running) outcome = "Comparison interrupted";
    FWindow.SetStatusText(3, outcome);
    if (FState.DuplicateFiles != 0) FWindow.SetStatusText(0, "Duplicates found....");
}

// The order of a sorted string list of "%12d  path" texts: by signature, then by path in the
// locale's order; of equal texts the one added later comes first.
void TComparison::SortRun(TRunList& runList) const
{
    std::reverse(runList.begin(), runList.end());
    std::stable_sort(runList.begin(), runList.end(), [](const TRunEntry& a, const TRunEntry& b) {
        if (a.Signature != b.Signature) return a.Signature < b.Signature;
        return AnsiCompareText(a.Path, b.Path) < 0;
    });
}

bool TComparison::SameKey(const TRunEntry& a, const TRunEntry& b) const
{
    return FState.RequireSameSize ? a.Signature == b.Signature : a.NameKey == b.NameKey;
}

void TComparison::CompareRun(std::int64_t size, TRunList& runList)
{
    if (FState.RequireSameSize) {
        SortRun(runList);
    } else {
        FWindow.SetProgressMax(static_cast<int>(runList.size()) - 1);
    }
    for (std::size_t begin = 0; begin < runList.size();) {
        std::size_t end = begin + 1;
        while (end < runList.size() && SameKey(runList[begin], runList[end])) ++end;
        if (!CompareSubRun(size, runList, begin, end)) break;
        begin = end;
    }
    ShowTotals();
    FWindow.SetProgressPosition(FProcessed);
    if (!FState.ColumnsFixed && FState.DuplicateFiles > 0) FixColumnWidths();
    FWindow.RepaintRows();
}

// One sub-run [begin, end): the first pass checks every file against the first one, as the
// groups have always been listed; the files it did not match form the next pass, headed by
// the first of them, until fewer than two are left. False when the search was stopped.
bool TComparison::CompareSubRun(std::int64_t size, TRunList& runList, std::size_t begin,
                                std::size_t end)
{
    if (!Pump()) return false;
    std::vector<std::size_t> members;
    for (std::size_t i = begin + 1; i < end; ++i) members.push_back(i);
    std::size_t head = begin;
    for (bool firstPass = true;; firstPass = false) {
        bool previousMatch = false;
        std::vector<std::size_t> unmatched;
        for (const std::size_t i : members) {
            TRunEntry& other = runList[i];
            const bool match = firstPass ? CompareFiles(size, runList[head].Path, other.Path)
                                         : MatchAgain(size, runList[head], other);
            if (match && !previousMatch) BeginGroup(runList[head], i);
            previousMatch = match;
            if (match) {
                AddFileRow(other.Path);
            } else {
                unmatched.push_back(i);
            }
            if (!Pump()) return false;
        }
        if (unmatched.size() < 2) return true;
        head = unmatched.front();
        members.assign(unmatched.begin() + 1, unmatched.end());
    }
}

// A later pass: the content hashes decide which pairs are worth reading byte for byte.
bool TComparison::MatchAgain(std::int64_t size, TRunEntry& head, TRunEntry& other)
{
    if (FState.RequireSameSize && size > 0) {
        if (FState.RequireSameName &&
            LowerCaseAscii(TCatalogue::NameOfPath(head.Path)) !=
                LowerCaseAscii(TCatalogue::NameOfPath(other.Path))) {
            return false;
        }
        if (!EnsureHash(size, head) || !EnsureHash(size, other) || head.Hash != other.Hash) {
            return false;
        }
    }
    return CompareFiles(size, head.Path, other.Path);
}

bool TComparison::EnsureHash(std::int64_t size, TRunEntry& entry)
{
    if (entry.HashState == TRunEntry::THash::hNone) {
        TFileContent file;
        const bool hashed = file.Open(entry.Path) && file.Size() == size &&
                            FReader.HashContents(file, size, entry.Hash);
        entry.HashState = hashed ? TRunEntry::THash::hDone : TRunEntry::THash::hFailed;
    }
    return entry.HashState == TRunEntry::THash::hDone;
}

void TComparison::BeginGroup(const TRunEntry& head, std::size_t index)
{
    if (!FState.RequireSameSize) {
        FWindow.SetProgressPosition(static_cast<int>(index));
        ShowTotals();
        FWindow.SetStatusText(3, "Comparing files named: " + head.NameKey);
    }
    if (FWindow.RowCount() > 0) FWindow.AddRow("");
    FWindow.AddRow(kDuplicateGroupCaption);
    AddFileRow(head.Path);
}

void TComparison::AddFileRow(const std::string& path)
{
    std::int64_t size = 0;
    FWindow.AddFile(path, size);  // a file that vanished meanwhile just has no row
}

bool TComparison::CompareFiles(std::int64_t size, const std::string& first, const std::string& other)
{
    if (!FState.RequireSameSize) {
        if (SameFile(first, other)) return false;
        ++FState.DuplicateFiles;
        return true;
    }
    if (FState.RequireSameName && LowerCaseAscii(TCatalogue::NameOfPath(first)) !=
                                      LowerCaseAscii(TCatalogue::NameOfPath(other))) {
        return false;
    }
    if (size == 0) {
        if (!TwoEmptyFiles(first, other)) return false;
        ++FState.DuplicateFiles;
        return true;
    }
    if (!SameContentsOf(size, first, other)) return false;
    FState.DuplicateBytes += size;
    ++FState.DuplicateFiles;
    return true;
}

// Zero-length files need no reading, but both must still be empty files (one that received
// contents since the walk is no copy of anything), and two files, not one under two names.
bool TComparison::TwoEmptyFiles(const std::string& first, const std::string& other) const
{
    TSearchRec a, b;
    if (!FindFile(first, a) || !FindFile(other, b)) return false;
    if ((a.Attr | b.Attr) & faDirectory) return false;
    if (a.Size != 0 || b.Size != 0) return false;
    return a.Device != b.Device || a.Inode != b.Inode;
}

bool TComparison::SameContentsOf(std::int64_t size, const std::string& first, const std::string& other)
{
    TFileContent a, b;
    if (!a.Open(first) || !b.Open(other)) return false;
    if (a.Device() == b.Device() && a.Inode() == b.Inode()) return false;
    if (a.Size() != size || b.Size() != size) return false;
    return FReader.SameContents(a, b, size);
}
