#include "engine/FileMatch.h"

#include "engine/Catalogue.h"
#include "platform/FileFind.h"
#include "text/Format.h"
#include "text/TextUtil.h"

namespace {

constexpr std::int64_t kFileTimeEpochOffset = 11644473600;  // seconds from 1601 to 1970
constexpr std::int64_t kFileTimeTicksPerSecond = 10000000;

std::uint32_t DosStamp(std::uint64_t lastWriteTime)
{
    const std::int64_t seconds =
        static_cast<std::int64_t>(lastWriteTime / kFileTimeTicksPerSecond) - kFileTimeEpochOffset;
    return DateTimeToDosDateTime(UnixToLocalDateTime(seconds));
}

}  // namespace

std::uint32_t TFileMatcher::Signature(std::int64_t size, TRunEntry& entry)
{
    if (size == 0) return 0;
    if (FState.RequireSameStamp) {
        TSearchRec rec;
        if (!FindFile(entry.Path, rec)) return 0;
        return DosStamp(rec.LastWriteTime) & 0x7FFFFFFFu;
    }
    const std::string* head = entry.Head(size);
    return head ? TContentReader::HeadChecksum(*head, size) : 0;
}

bool TFileMatcher::Match(std::int64_t size, TRunEntry& first, TRunEntry& other)
{
    if (!FState.RequireSameSize) {
        if (SameFile(first.Path, other.Path)) return false;
        ++FState.DuplicateFiles;
        return true;
    }
    if (FState.RequireSameName && !SameNames(first, other)) return false;
    if (size == 0) {
        if (!TwoEmptyFiles(first, other)) return false;
        ++FState.DuplicateFiles;
        return true;
    }
    if (!SameContents(size, first, other)) return false;
    FState.DuplicateBytes += size;
    ++FState.DuplicateFiles;
    return true;
}

std::optional<std::uint64_t> TFileMatcher::PassKey(std::int64_t size, TRunEntry& entry)
{
    if (!FState.RequireSameSize || size == 0) return 0;
    const TFileContent* file = entry.Open();
    std::uint64_t hash = 0;
    if (!file || file->Size() != size || !FReader.HashContents(*file, size, hash)) return std::nullopt;
    return hash;
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
    if (!FindFile(first.Path, a) || !FindFile(other.Path, b)) return false;
    if ((a.Attr | b.Attr) & faDirectory) return false;
    if (a.Size != 0 || b.Size != 0) return false;
    return a.Device != b.Device || a.Inode != b.Inode;
}

bool TFileMatcher::SameContents(std::int64_t size, TRunEntry& first, TRunEntry& other)
{
    const TFileContent* a = first.Open();
    const TFileContent* b = a ? other.Open() : nullptr;
    if (!a || !b) return false;
    if (a->Device() == b->Device() && a->Inode() == b->Inode()) return false;
    if (a->Size() != size || b->Size() != size) return false;
    const std::string* headA = first.Head(size);
    const std::string* headB = other.Head(size);
    if (!headA || !headB) return false;
    return FReader.SameContents(*a, *b, size, *headA, *headB);
}
