#include "platform/VersionImage.h"

#include <algorithm>
#include <cstring>

#include "platform/VersionBlock.h"
#include "platform/VersionQuery.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Le32(const std::uint8_t* p) { return std::uint32_t(Le16(p)) | (std::uint32_t(Le16(p + 2)) << 16); }
std::uint64_t Le64(const std::uint8_t* p) { return std::uint64_t(Le32(p)) | (std::uint64_t(Le32(p + 4)) << 32); }

std::optional<TBytes> ReadBytes(const TByteSource& source, std::uint64_t offset, std::uint64_t count)
{
    if (count > source.Size() || offset > source.Size() - count) return std::nullopt;
    TBytes bytes(count);
    if (count > 0 && !source.Read(offset, bytes.data(), count)) return std::nullopt;
    return bytes;
}

// A block read from `offset`, at most `available` bytes long: the root's length word says how
// long it is, and the block must be sound within that length.
std::optional<TBytes> ReadBlockAt(const TByteSource& source, std::uint64_t offset, std::uint64_t available)
{
    std::optional<TBytes> head = ReadBytes(source, offset, 2);
    if (!head) return std::nullopt;
    std::uint16_t length = Le16(head->data());
    if (length > available) return std::nullopt;
    std::optional<TBytes> block = ReadBytes(source, offset, length);
    if (!block || !IsVersionBlock(*block)) return std::nullopt;
    return block;
}

// ---- PE ----------------------------------------------------------------------------------

constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::uint16_t kLangNeutral = 0x0000;
constexpr std::uint16_t kLangUsEnglish = 0x0409;

struct TSection {
    std::uint32_t VirtualAddress = 0;
    std::uint32_t Span = 0;  // bytes of the section that the file holds
    std::uint32_t RawOffset = 0;
};

struct TDirEntry {
    std::uint32_t Name = 0;
    std::uint32_t Target = 0;
    bool IsDirectory() const { return (Target & kHighBit) != 0; }
    std::uint32_t Offset() const { return Target & ~kHighBit; }
};

class TPeReader {
public:
    explicit TPeReader(const TByteSource& source) : FSource(source) {}
    std::optional<TBytes> Run();

private:
    bool ReadHeaders();
    // File offset of [rva, rva + count) when one section holds all of it in the file.
    std::optional<std::uint64_t> FileOffset(std::uint64_t rva, std::uint64_t count) const;
    std::optional<TBytes> ReadRva(std::uint64_t rva, std::uint64_t count) const;
    std::optional<std::vector<TDirEntry>> ReadDirectory(std::uint32_t offset) const;
    std::optional<TBytes> ReadData(std::uint32_t entryOffset) const;

    const TByteSource& FSource;
    std::vector<TSection> FSections;
    std::uint32_t FResourceRva = 0;
};

bool TPeReader::ReadHeaders()
{
    std::optional<TBytes> dos = ReadBytes(FSource, 0, 64);
    if (!dos || (*dos)[0] != 'M' || (*dos)[1] != 'Z') return false;
    std::uint64_t pe = Le32(dos->data() + 0x3C);
    std::optional<TBytes> coff = ReadBytes(FSource, pe, 24);
    if (!coff || std::memcmp(coff->data(), "PE\0\0", 4) != 0) return false;
    std::uint32_t sectionCount = Le16(coff->data() + 6);
    std::uint32_t optionalSize = Le16(coff->data() + 20);
    if (sectionCount == 0 || sectionCount > kMaxPeSections) return false;
    std::optional<TBytes> opt = ReadBytes(FSource, pe + 24, optionalSize);
    if (!opt || optionalSize < 2) return false;
    std::uint16_t magic = Le16(opt->data());
    std::size_t countAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    if (countAt == 0 || optionalSize < countAt + 4) return false;
    std::size_t resourceAt = countAt + 4 + 2 * 8;
    if (Le32(opt->data() + countAt) <= 2 || optionalSize < resourceAt + 8) return false;
    FResourceRva = Le32(opt->data() + resourceAt);
    if (FResourceRva == 0) return false;

    std::optional<TBytes> table = ReadBytes(FSource, pe + 24 + optionalSize, std::uint64_t(sectionCount) * 40);
    if (!table) return false;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* h = table->data() + i * 40;
        std::uint32_t virtualSize = Le32(h + 8), rawSize = Le32(h + 16);
        // Bytes past the virtual size are not part of the section in memory.
        std::uint32_t span = virtualSize == 0 ? rawSize : std::min(virtualSize, rawSize);
        FSections.push_back({Le32(h + 12), span, Le32(h + 20)});
    }
    return true;
}

std::optional<std::uint64_t> TPeReader::FileOffset(std::uint64_t rva, std::uint64_t count) const
{
    for (const TSection& s : FSections) {
        if (rva < s.VirtualAddress) continue;
        std::uint64_t into = rva - s.VirtualAddress;
        if (into < s.Span && count <= s.Span - into) return std::uint64_t(s.RawOffset) + into;
    }
    return std::nullopt;
}

std::optional<TBytes> TPeReader::ReadRva(std::uint64_t rva, std::uint64_t count) const
{
    std::optional<std::uint64_t> at = FileOffset(rva, count);
    if (!at) return std::nullopt;
    return ReadBytes(FSource, *at, count);
}

// The entries of the resource directory at `offset` (relative to the resource root).
std::optional<std::vector<TDirEntry>> TPeReader::ReadDirectory(std::uint32_t offset) const
{
    std::uint64_t rva = std::uint64_t(FResourceRva) + offset;
    std::optional<TBytes> head = ReadRva(rva, 16);
    if (!head) return std::nullopt;
    std::uint32_t count = std::uint32_t(Le16(head->data() + 12)) + Le16(head->data() + 14);
    if (count == 0 || count > kMaxResourceEntries) return std::nullopt;
    std::optional<TBytes> raw = ReadRva(rva + 16, std::uint64_t(count) * 8);
    if (!raw) return std::nullopt;
    std::vector<TDirEntry> entries(count);
    for (std::uint32_t i = 0; i < count; ++i)
        entries[i] = {Le32(raw->data() + i * 8), Le32(raw->data() + i * 8 + 4)};
    return entries;
}

std::optional<TBytes> TPeReader::ReadData(std::uint32_t entryOffset) const
{
    std::optional<TBytes> entry = ReadRva(std::uint64_t(FResourceRva) + entryOffset, 16);
    if (!entry) return std::nullopt;
    std::uint32_t dataRva = Le32(entry->data());
    std::uint64_t size = std::min<std::uint64_t>(Le32(entry->data() + 4), kMaxVersionBlock);
    // The whole declared block must lie in one section; ReadBlockAt then checks the file.
    std::optional<TBytes> head = ReadRva(dataRva, 2);
    if (!head) return std::nullopt;
    std::uint16_t length = Le16(head->data());
    if (length > size) return std::nullopt;
    std::optional<std::uint64_t> at = FileOffset(dataRva, length);
    if (!at) return std::nullopt;
    return ReadBlockAt(FSource, *at, length);
}

// Type 16, its first name or ID, and the language the system would load: neutral, then US
// English, else the first. Exactly three levels are followed and the third must name data,
// so a directory that points back at itself or an ancestor can never make the reading loop.
std::optional<TBytes> TPeReader::Run()
{
    if (!ReadHeaders()) return std::nullopt;
    std::optional<std::vector<TDirEntry>> types = ReadDirectory(0);
    if (!types) return std::nullopt;
    auto type = std::find_if(types->begin(), types->end(),
                             [](const TDirEntry& e) { return e.Name == kRtVersion; });
    if (type == types->end() || !type->IsDirectory()) return std::nullopt;
    std::optional<std::vector<TDirEntry>> names = ReadDirectory(type->Offset());
    if (!names || !names->front().IsDirectory()) return std::nullopt;
    std::optional<std::vector<TDirEntry>> languages = ReadDirectory(names->front().Offset());
    if (!languages) return std::nullopt;
    const TDirEntry* chosen = &languages->front();
    for (std::uint16_t wanted : {kLangNeutral, kLangUsEnglish}) {
        auto it = std::find_if(languages->begin(), languages->end(),
                               [wanted](const TDirEntry& e) { return e.Name == wanted; });
        if (it != languages->end()) {
            chosen = &*it;
            break;
        }
    }
    if (chosen->IsDirectory()) return std::nullopt;
    return ReadData(chosen->Offset());
}

// ---- ELF ---------------------------------------------------------------------------------

constexpr std::uint32_t kShtProgbits = 1;

struct TElfLayout {
    bool Is64 = false;
    std::uint64_t TableOffset = 0;
    std::uint32_t EntrySize = 0, Count = 0, NamesIndex = 0;
};

struct TElfSection {
    std::uint32_t Name = 0, Type = 0;
    std::uint64_t Offset = 0, Size = 0;
};

std::optional<TElfLayout> ReadElfLayout(const TByteSource& source)
{
    std::optional<TBytes> h = ReadBytes(source, 0, 64);
    if (!h || std::memcmp(h->data(), "\x7F" "ELF", 4) != 0) return std::nullopt;
    const std::uint8_t* p = h->data();
    if (p[5] != 1) return std::nullopt;  // little-endian only: what Zarvex is built for
    TElfLayout l;
    if (p[4] == 2) {
        l = {true, Le64(p + 0x28), Le16(p + 0x3A), Le16(p + 0x3C), Le16(p + 0x3E)};
    } else if (p[4] == 1) {
        l = {false, Le32(p + 0x20), Le16(p + 0x2E), Le16(p + 0x30), Le16(p + 0x32)};
    } else {
        return std::nullopt;
    }
    if (l.EntrySize < (l.Is64 ? 64u : 40u) || l.EntrySize > 256 || l.Count == 0 || l.Count > kMaxElfSections ||
        l.NamesIndex >= l.Count)
        return std::nullopt;
    return l;
}

TElfSection ElfSection(const TElfLayout& l, const std::uint8_t* p)
{
    if (l.Is64) return {Le32(p), Le32(p + 4), Le64(p + 24), Le64(p + 32)};
    return {Le32(p), Le32(p + 4), Le32(p + 16), Le32(p + 20)};
}

std::optional<TBytes> ReadElf(const TByteSource& source)
{
    std::optional<TElfLayout> l = ReadElfLayout(source);
    if (!l) return std::nullopt;
    std::optional<TBytes> table = ReadBytes(source, l->TableOffset, std::uint64_t(l->Count) * l->EntrySize);
    if (!table) return std::nullopt;
    TElfSection names = ElfSection(*l, table->data() + std::size_t(l->NamesIndex) * l->EntrySize);
    if (names.Size > kMaxElfNameTable) return std::nullopt;
    std::optional<TBytes> nameTable = ReadBytes(source, names.Offset, names.Size);
    if (!nameTable) return std::nullopt;
    std::string_view wanted(kVersionSectionName, sizeof kVersionSectionName);  // with its NUL
    for (std::uint32_t i = 0; i < l->Count; ++i) {
        TElfSection s = ElfSection(*l, table->data() + std::size_t(i) * l->EntrySize);
        if (s.Type != kShtProgbits || s.Name >= nameTable->size()) continue;
        std::string_view name(reinterpret_cast<const char*>(nameTable->data()) + s.Name,
                              nameTable->size() - s.Name);
        if (name.substr(0, wanted.size()) == wanted)
            return ReadBlockAt(source, s.Offset, std::min<std::uint64_t>(s.Size, kMaxVersionBlock));
    }
    return std::nullopt;
}

}  // namespace

bool TMemorySource::Read(std::uint64_t offset, void* dst, std::size_t count) const
{
    if (count > FBytes.size() || offset > FBytes.size() - count) return false;
    std::memcpy(dst, FBytes.data() + offset, count);
    return true;
}

std::optional<std::vector<std::uint8_t>> LocateVersionBlock(const TByteSource& source)
{
    std::optional<TBytes> magic = ReadBytes(source, 0, 4);
    if (!magic) return std::nullopt;
    if ((*magic)[0] == 'M' && (*magic)[1] == 'Z') return TPeReader(source).Run();
    if (std::memcmp(magic->data(), "\x7F" "ELF", 4) == 0) return ReadElf(source);
    return std::nullopt;
}
