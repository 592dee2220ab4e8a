#include "engine/FileMatch.h"

#include "engine/Catalogue.h"
#include "platform/FileFind.h"
#include "text/Format.h"
#include "text/TextUtil.h"

namespace {

constexpr std::int64_t kFileTimeEpochOffset = 11644473600;  // seconds from 1601 to 1970
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;

std::int64_t UnixSeconds(std::uint64_t lastWriteTime)
{
    return static_cast<std::int64_t>(lastWriteTime / kFileTimeTicksPerSecond) -
           kFileTimeEpochOffset;
}

std::uint32_t StampOfSeconds(std::int64_t unixSeconds)
{
    return DateTimeToDosDateTime(UnixToLocalDateTime(unixSeconds)) & 0x7FFFFFFFu;
}

// Walk times count from three days before 1980 began in UTC, so every time of 1980 in any time
// zone is kept; the 2^32 - 1 seconds after reach past 2107, the last year of a stamp. Times
// outside have the stamp 0 (kNoStamp).
constexpr std::int64_t kWalkTimeBase = 315273600;  // 1979-12-29 00:00 UTC
constexpr std::uint32_t kNoStamp = 0xFFFFFFFFu;

}  // namespace

bool TFileMatcher::StampOf(const std::string& path, std::uint32_t& stamp)
{
    TSearchRec rec;
    stamp = 0;
    if (!FindFile(path, rec))
        return false;
    stamp = StampOfSeconds(UnixSeconds(rec.LastWriteTime));
    return true;
}

std::uint32_t TFileMatcher::WalkTime(std::uint64_t lastWriteTime)
{
    const std::int64_t since = UnixSeconds(lastWriteTime) - kWalkTimeBase;
    return since >= 0 && since < kNoStamp ? static_cast<std::uint32_t>(since) : kNoStamp;
}

std::uint32_t TFileMatcher::StampOfWalkTime(std::uint32_t walkTime)
{
    return walkTime == kNoStamp ? 0 : StampOfSeconds(kWalkTimeBase + walkTime);
}

// Entries handed to the readers take over their result (if any) before they are first read.
void TFileMatcher::Adopt(TRunEntry& entry)
{
    if (!entry.Ahead)
        return;
    entry.Ahead = false;
    if (!Ahead)
        return;
    if (std::optional<TAheadResult> result = Ahead->Take(entry.Index))
        entry.Adopt(std::move(*result));
}

std::uint32_t TFileMatcher::Signature(std::int64_t size, TRunEntry& entry)
{
    if (size == 0)
        return 0;
    if (entry.Signed)
        return entry.Signature;  // a stamp known from the walk
    Adopt(entry);
    if (entry.Signed)
        return entry.Signature;
    if (FState.RequireSameStamp) {
        std::uint32_t stamp = 0;
        StampOf(entry.Path, stamp);
        return stamp;
    }
    const std::string* head = Open(entry, entry) ? entry.Head(size) : nullptr;
    return head ? TContentReader::HeadChecksum(*head, size) : 0;
}

bool TFileMatcher::Match(std::int64_t size, TRunEntry& first, TRunEntry& other)
{
    if (!FState.RequireSameSize) {
        return !(Identify(size, first) && Identify(size, other) && first.Device == other.Device &&
                 first.Inode == other.Inode);
    }
    if (FState.RequireSameName && !SameNames(first, other))
        return false;
    if (size == 0)
        return TwoEmptyFiles(first, other);
    return SameContents(size, first, other);
}

void TFileMatcher::Count(std::int64_t size)
{
    ++FState.DuplicateFiles;
    if (FState.RequireSameSize)
        FState.DuplicateBytes += size;
}

bool TFileMatcher::Identify(std::int64_t size, TRunEntry& entry)
{
    if (entry.Identified)
        return true;
    if (FState.RequireSameSize && size > 0) {
        const TFileContent* file = Open(entry, entry);
        if (!file)
            return false;
        entry.Device = file->Device();
        entry.Inode = file->Inode();
    } else {
        TSearchRec rec;
        if (!FindFile(entry.Path, rec))
            return false;
        entry.Device = rec.Device;
        entry.Inode = rec.Inode;
    }
    entry.Identified = true;
    return true;
}

std::optional<std::uint64_t> TFileMatcher::PassKey(std::int64_t size, TRunEntry& entry)
{
    if (!FState.RequireSameSize || size == 0)
        return 0;
    const TFileContent* file = Open(entry, entry);
    std::uint64_t hash = 0;
    if (!file || file->Size() != size || !FReader.HashContents(*file, size, hash))
        return std::nullopt;
    return hash;
}

// A file that cannot be opened for want of descriptors is there all the same: the files kept
// open are closed and the open is tried again; only then is it given up, and said so.
const TFileContent* TFileMatcher::Open(TRunEntry& entry, const TRunEntry& partner)
{
    Adopt(entry);
    const TFileContent* file = entry.Open();
    if (file || !entry.OutOfDescriptors())
        return file;
    if (OnOutOfDescriptors)
        OnOutOfDescriptors(entry, partner);
    entry.Close();
    file = entry.Open();
    if (!file && entry.OutOfDescriptors())
        FState.OutOfDescriptors = true;
    return file;
}

bool TFileMatcher::SameNames(const TRunEntry& first, const TRunEntry& other) const
{
    return LowerCaseAscii(TCatalogue::NameOfPath(first.Path)) ==
           LowerCaseAscii(TCatalogue::NameOfPath(other.Path));
}

// Zero-length files need no reading, but both must still be empty files (one that received
// contents since the walk is no copy of anything), and two files, not one under two names.
bool TFileMatcher::TwoEmptyFiles(const TRunEntry& first, const TRunEntry& other) const
{
    TSearchRec a, b;
    if (!FindFile(first.Path, a) || !FindFile(other.Path, b))
        return false;
    if ((a.Attr | b.Attr) & faDirectory)
        return false;
    if (a.Size != 0 || b.Size != 0)
        return false;
    return a.Device != b.Device || a.Inode != b.Inode;
}

// The heads kept from the checksums may be stale by now: they may rule a pair out, never in.
// The bytes that decide are read now, and the files must not have changed while they were read
// (a file that grew or shrank meanwhile is no copy of the catalogued one).
bool TFileMatcher::SameContents(std::int64_t size, TRunEntry& first, TRunEntry& other)
{
    const TFileContent* a = Open(first, other);
    const TFileContent* b = a ? Open(other, first) : nullptr;
    if (!a || !b)
        return false;
    if (a->Device() == b->Device() && a->Inode() == b->Inode())
        return false;
    if (a->Size() != size || b->Size() != size)
        return false;
    // The stamps that ordered the run are the walk's; the files must still share theirs.
    if (FState.RequireSameStamp && a->WriteSeconds() != b->WriteSeconds() &&
        StampOfSeconds(a->WriteSeconds()) != StampOfSeconds(b->WriteSeconds()))
        return false;
    const std::string* headA = first.CachedHead();
    const std::string* headB = other.CachedHead();
    if (headA && headB && *headA != *headB)
        return false;
    if (OnCompare)
        OnCompare(first, other);
    if (!FReader.SameContents(*a, *b, size))
        return false;
    return a->Unchanged(size) && b->Unchanged(size);
}
