#include "platform/VersionBuild.h"

#include <algorithm>
#include <string_view>

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put16(TBytes& b, std::uint16_t v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

void Put32(TBytes& b, std::uint32_t v)
{
    Put16(b, std::uint16_t(v));
    Put16(b, std::uint16_t(v >> 16));
}

void Put64(TBytes& b, std::uint64_t v)
{
    Put32(b, std::uint32_t(v));
    Put32(b, std::uint32_t(v >> 32));
}

void Set16(TBytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

void Set32(TBytes& b, std::size_t at, std::uint32_t v)
{
    Set16(b, at, std::uint16_t(v));
    Set16(b, at + 2, std::uint16_t(v >> 16));
}

void PadTo(TBytes& b, std::size_t alignment)
{
    while (b.size() % alignment != 0) b.push_back(0);
}

// UTF-8 to UTF-16 code units; a malformed sequence gives U+FFFD and moves on by one byte.
std::u16string Utf16(std::string_view s)
{
    std::u16string out;
    for (std::size_t i = 0; i < s.size();) {
        auto c = std::uint8_t(s[i]);
        int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        char32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
        bool ok = extra >= 0 && i + std::size_t(extra) < s.size();
        for (int k = 1; ok && k <= extra; ++k) {
            auto t = std::uint8_t(s[i + std::size_t(k)]);
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (!ok || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        i += std::size_t(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

void PutUtf16z(TBytes& b, std::string_view s)
{
    for (char16_t u : Utf16(s)) Put16(b, std::uint16_t(u));
    Put16(b, 0);
}

// Starts a node at the next 32-bit boundary and leaves its value position aligned too.
std::size_t BeginNode(TBytes& b, std::string_view key, std::uint16_t valueLength, std::uint16_t type)
{
    PadTo(b, 4);
    std::size_t start = b.size();
    Put16(b, 0);
    Put16(b, valueLength);
    Put16(b, type);
    PutUtf16z(b, key);
    PadTo(b, 4);
    return start;
}

void EndNode(TBytes& b, std::size_t start) { Set16(b, start, std::uint16_t(b.size() - start)); }

void PutFixed(TBytes& b, const TFixedFileInfo& f)
{
    for (std::uint32_t v : {f.Signature, f.StrucVersion, f.FileVersionMS, f.FileVersionLS,
                            f.ProductVersionMS, f.ProductVersionLS, f.FileFlagsMask, f.FileFlags,
                            f.FileOS, f.FileType, f.FileSubtype, f.FileDateMS, f.FileDateLS})
        Put32(b, v);
}

void PutStringTable(TBytes& b, const TVersionStringTable& table)
{
    std::size_t start = BeginNode(b, table.Name, 0, 1);
    for (const auto& [key, value] : table.Strings) {
        std::size_t s = BeginNode(b, key, std::uint16_t(Utf16(value).size() + 1), 1);
        PutUtf16z(b, value);
        EndNode(b, s);
    }
    EndNode(b, start);
}

}  // namespace

TFixedFileInfo MakeFixedFileInfo(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                 std::uint16_t build, std::uint32_t fileFlags)
{
    TFixedFileInfo f;
    f.Signature = kFixedFileInfoSignature;
    f.StrucVersion = 0x00010000;
    f.FileVersionMS = f.ProductVersionMS = (std::uint32_t(major) << 16) | minor;
    f.FileVersionLS = f.ProductVersionLS = (std::uint32_t(release) << 16) | build;
    f.FileFlagsMask = 0x3F;
    f.FileFlags = fileFlags;
    f.FileOS = 0x40004;  // NT, 32-bit Windows
    f.FileType = 1;      // application
    return f;
}

std::vector<std::uint8_t> TranslationBytes(const std::vector<TTranslation>& pairs)
{
    TBytes b;
    for (const TTranslation& t : pairs) {
        Put16(b, t.Language);
        Put16(b, t.CodePage);
    }
    return b;
}

std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContent& content)
{
    TBytes b;
    std::size_t root = BeginNode(b, "VS_VERSION_INFO", content.Fixed ? kFixedFileInfoSize : 0, 0);
    if (content.Fixed) PutFixed(b, *content.Fixed);
    if (!content.Tables.empty()) {
        std::size_t sfi = BeginNode(b, "StringFileInfo", 0, 1);
        for (const TVersionStringTable& table : content.Tables) PutStringTable(b, table);
        EndNode(b, sfi);
    }
    if (content.Translation) {
        std::size_t vfi = BeginNode(b, "VarFileInfo", 0, 1);
        std::size_t var = BeginNode(b, "Translation", std::uint16_t(content.Translation->size()), 0);
        b.insert(b.end(), content.Translation->begin(), content.Translation->end());
        EndNode(b, var);
        EndNode(b, vfi);
    }
    EndNode(b, root);
    return b;
}

namespace {

constexpr std::uint32_t kPeRsrcRva = 0x1000, kPeRsrcFileOffset = 0x200;

void PutResourceDirectory(TBytes& rsrc, std::uint16_t idEntries)
{
    for (int i = 0; i < 3; ++i) Put32(rsrc, 0);  // characteristics, time stamp, version
    Put16(rsrc, 0);
    Put16(rsrc, idEntries);
}

// Root: type 16 -> names; names: ID 1 -> languages; languages: one data entry each; then the
// blocks. Offsets in `img` are file offsets.
TBytes ResourceSection(const std::vector<TPeVersion>& versions, TPeImage& img)
{
    TBytes rsrc;
    const std::size_t names = 24, languages = 48;
    const std::size_t dataEntries = languages + 16 + 8 * versions.size();
    PutResourceDirectory(rsrc, 1);
    Put32(rsrc, 16);
    Put32(rsrc, 0x80000000u | std::uint32_t(names));
    PutResourceDirectory(rsrc, 1);
    Put32(rsrc, 1);
    Put32(rsrc, 0x80000000u | std::uint32_t(languages));
    PutResourceDirectory(rsrc, std::uint16_t(versions.size()));
    for (std::size_t i = 0; i < versions.size(); ++i) {
        Put32(rsrc, versions[i].Language);
        Put32(rsrc, std::uint32_t(dataEntries + 16 * i));
    }
    std::size_t blockAt = dataEntries + 16 * versions.size();
    for (const TPeVersion& v : versions) {
        blockAt = (blockAt + 3) & ~std::size_t(3);
        img.DataEntryOffsets.push_back(kPeRsrcFileOffset + rsrc.size());
        img.BlockOffsets.push_back(kPeRsrcFileOffset + blockAt);
        Put32(rsrc, kPeRsrcRva + std::uint32_t(blockAt));
        Put32(rsrc, std::uint32_t(v.Block.size()));
        Put32(rsrc, 0);
        Put32(rsrc, 0);
        blockAt += v.Block.size();
    }
    for (const TPeVersion& v : versions) {
        PadTo(rsrc, 4);
        rsrc.insert(rsrc.end(), v.Block.begin(), v.Block.end());
    }
    img.ResourceOffset = kPeRsrcFileOffset;
    img.ResourceRva = kPeRsrcRva;
    img.NameDirectoryOffset = kPeRsrcFileOffset + names;
    img.LanguageDirectoryOffset = kPeRsrcFileOffset + languages;
    return rsrc;
}

// DOS stub, COFF and optional headers and the one section header, in the first 0x200 bytes.
void PutPeHeaders(TPeImage& img, bool pe32Plus, std::uint32_t rsrcSize, std::uint32_t rawSize)
{
    TBytes& b = img.Bytes;
    b.assign(kPeRsrcFileOffset, 0);
    b[0] = 'M';
    b[1] = 'Z';
    img.PeHeaderOffset = 0x40;
    Set32(b, 0x3C, 0x40);
    b[0x40] = 'P';
    b[0x41] = 'E';
    std::uint16_t optionalSize = pe32Plus ? 240 : 224;
    Set16(b, 0x44, pe32Plus ? 0x8664 : 0x14C);
    Set16(b, 0x46, 1);
    Set16(b, 0x54, optionalSize);
    Set16(b, 0x56, pe32Plus ? 0x2022 : 0x2102);
    std::size_t opt = img.OptionalHeaderOffset = 0x58;
    Set16(b, opt, pe32Plus ? 0x20B : 0x10B);
    Set32(b, opt + 32, 0x1000);  // section alignment
    Set32(b, opt + 36, 0x200);   // file alignment
    Set32(b, opt + 56, kPeRsrcRva + ((rsrcSize + 0xFFF) & ~0xFFFu));
    Set32(b, opt + 60, kPeRsrcFileOffset);
    Set16(b, opt + 68, 3);
    std::size_t dirs = opt + (pe32Plus ? 108 : 92);
    Set32(b, dirs, 16);
    Set32(b, dirs + 4 + 16, kPeRsrcRva);
    Set32(b, dirs + 4 + 20, rsrcSize);
    std::size_t sec = img.SectionTableOffset = opt + optionalSize;
    std::copy_n(".rsrc", 5, b.begin() + std::ptrdiff_t(sec));
    Set32(b, sec + 8, rsrcSize);
    Set32(b, sec + 12, kPeRsrcRva);
    Set32(b, sec + 16, rawSize);
    Set32(b, sec + 20, kPeRsrcFileOffset);
    Set32(b, sec + 36, 0x40000040);  // initialised data, readable
}

}  // namespace

TPeImage BuildPeImage(const std::vector<TPeVersion>& versions, bool pe32Plus)
{
    TPeImage img;
    TBytes rsrc = ResourceSection(versions, img);
    std::uint32_t rsrcSize = std::uint32_t(rsrc.size());
    std::uint32_t rawSize = (rsrcSize + 0x1FF) & ~0x1FFu;
    PutPeHeaders(img, pe32Plus, rsrcSize, rawSize);
    img.Bytes.insert(img.Bytes.end(), rsrc.begin(), rsrc.end());
    img.Bytes.resize(kPeRsrcFileOffset + rawSize, 0);
    return img;
}

std::vector<std::uint8_t> BuildElfImage(const std::vector<std::uint8_t>& block,
                                        const std::string& sectionName)
{
    TBytes names;
    names.push_back(0);
    for (std::string_view n : {std::string_view(".shstrtab"), std::string_view(sectionName)}) {
        names.insert(names.end(), n.begin(), n.end());
        names.push_back(0);
    }
    constexpr std::uint64_t kNamesAt = 64;
    std::uint64_t blockAt = (kNamesAt + names.size() + 3) & ~std::uint64_t(3);
    std::uint64_t tableAt = (blockAt + block.size() + 7) & ~std::uint64_t(7);

    TBytes b = {0x7F, 'E', 'L', 'F', 2, 1, 1};
    b.resize(16, 0);
    Put16(b, 1);   // relocatable
    Put16(b, 62);  // x86-64
    Put32(b, 1);
    Put64(b, 0);
    Put64(b, 0);
    Put64(b, tableAt);
    Put32(b, 0);
    for (std::uint16_t v : {64, 0, 0, 64, 3, 1}) Put16(b, v);
    b.insert(b.end(), names.begin(), names.end());
    PadTo(b, 4);
    b.insert(b.end(), block.begin(), block.end());
    PadTo(b, 8);
    auto putSection = [&](std::uint32_t name, std::uint32_t type, std::uint64_t flags,
                          std::uint64_t offset, std::uint64_t size, std::uint64_t align) {
        Put32(b, name);
        Put32(b, type);
        Put64(b, flags);
        Put64(b, 0);
        Put64(b, offset);
        Put64(b, size);
        Put32(b, 0);
        Put32(b, 0);
        Put64(b, align);
        Put64(b, 0);
    };
    putSection(0, 0, 0, 0, 0, 0);
    putSection(1, 3, 0, kNamesAt, names.size(), 1);
    putSection(11, 1, 2, blockAt, block.size(), 4);
    return b;
}
