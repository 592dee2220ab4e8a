#include "platform/VersionQuery.h"

#include <algorithm>
#include <cstdio>

namespace {

using TBytes = std::span<const std::uint8_t>;

constexpr std::size_t kNodeHeader = 6;  // wLength, wValueLength, wType

std::uint16_t Le16(TBytes b, std::size_t at) { return std::uint16_t(b[at] | (b[at + 1] << 8)); }

std::uint32_t Le32(TBytes b, std::size_t at)
{
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) | (std::uint32_t(b[at + 2]) << 16) |
           (std::uint32_t(b[at + 3]) << 24);
}

// Offsets are relative to the block start, which the file keeps 32-bit aligned.
std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

struct TUtf16Text {
    std::string Utf8;
    std::size_t End = 0;  // offset just past the terminating NUL
    bool Terminated = false;
};

// UTF-16LE from `from` up to the first NUL before `limit`. Unpaired surrogates become
// U+FFFD, so whatever the file holds, the result is valid UTF-8.
TUtf16Text ReadUtf16(TBytes b, std::size_t from, std::size_t limit)
{
    TUtf16Text t;
    std::size_t at = from;
    while (at + 2 <= limit) {
        char32_t u = Le16(b, at);
        at += 2;
        if (u == 0) {
            t.Terminated = true;
            t.End = at;
            return t;
        }
        if (u >= 0xD800 && u <= 0xDBFF && at + 2 <= limit) {
            char32_t low = Le16(b, at);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                at += 2;
                u = 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00);
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(t.Utf8, u);
    }
    t.End = at;
    return t;
}

struct TNode {
    std::size_t Start = 0, End = 0;  // End: Start + wLength
    std::uint16_t ValueLength = 0;
    std::uint16_t Type = 0;
    std::string Key;
    std::size_t ValueStart = 0;
    std::size_t ChildrenStart = 0;
};

// The node at `at`, which must lie inside [at, limit). Text values declare their length in
// characters by the format, in bytes by some resource compilers; the children start after
// the larger reading, clamped to the node, which only matters for nodes that have both.
std::optional<TNode> ParseNode(TBytes b, std::size_t at, std::size_t limit)
{
    if (limit > b.size() || at > limit || limit - at < kNodeHeader) return std::nullopt;
    TNode n;
    n.Start = at;
    std::uint16_t length = Le16(b, at);
    if (length < kNodeHeader || length > limit - at) return std::nullopt;
    n.End = at + length;
    n.ValueLength = Le16(b, at + 2);
    n.Type = Le16(b, at + 4);
    TUtf16Text key = ReadUtf16(b, at + kNodeHeader, n.End);
    if (!key.Terminated) return std::nullopt;
    n.Key = std::move(key.Utf8);
    n.ValueStart = std::min(Align4(key.End), n.End);
    std::size_t valueBytes = n.Type == 1 ? std::size_t(n.ValueLength) * 2 : n.ValueLength;
    n.ChildrenStart = std::min(Align4(n.ValueStart + valueBytes), n.End);
    return n;
}

bool KeyEquals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

// The child of `parent` whose key is `key`. A zero length word ends the children (resource
// compilers pad with zeros); a malformed child ends the search with nothing. Each step moves
// forward by at least a node header, so the walk always ends.
std::optional<TNode> FindChild(TBytes b, const TNode& parent, std::string_view key)
{
    std::size_t at = parent.ChildrenStart;
    while (at + kNodeHeader <= parent.End) {
        if (Le16(b, at) == 0) return std::nullopt;
        std::optional<TNode> child = ParseNode(b, at, parent.End);
        if (!child) return std::nullopt;
        if (KeyEquals(child->Key, key)) return child;
        at = Align4(child->End);
    }
    return std::nullopt;
}

std::optional<TNode> FindNode(TBytes b, std::string_view path)
{
    if (b.size() < kNodeHeader) return std::nullopt;
    std::optional<TNode> node = ParseNode(b, 0, b.size());
    while (node && !path.empty()) {
        std::size_t sep = path.find('\\');
        std::string_view segment = path.substr(0, sep);
        path = sep == std::string_view::npos ? std::string_view() : path.substr(sep + 1);
        if (!segment.empty()) node = FindChild(b, *node, segment);
    }
    return node;
}

}  // namespace

bool IsVersionBlock(std::span<const std::uint8_t> block)
{
    std::optional<TNode> root = ParseNode(block, 0, block.size());
    return root && root->End == block.size();
}

bool VerQueryValue(std::span<const std::uint8_t> block, std::string_view subBlock,
                   TVersionValue& value)
{
    value = TVersionValue();
    std::optional<TNode> node = FindNode(block, subBlock);
    if (!node) return false;
    value.IsText = node->Type == 1;
    bool fits = node->End - node->ValueStart >= node->ValueLength;
    if (!value.IsText && !fits) return false;
    if (node->ValueLength > 0) {
        // A text without its terminator inside the node is not trusted at all.
        TUtf16Text text = ReadUtf16(block, node->ValueStart, node->End);
        if (text.Terminated) value.Text = std::move(text.Utf8);
        if (fits) {
            auto from = block.begin() + std::ptrdiff_t(node->ValueStart);
            value.Data.assign(from, from + node->ValueLength);
        }
    }
    return true;
}

std::optional<TFixedFileInfo> QueryFixedFileInfo(std::span<const std::uint8_t> block)
{
    TVersionValue v;
    if (!VerQueryValue(block, "\\", v) || v.Data.size() < kFixedFileInfoSize) return std::nullopt;
    TBytes d(v.Data);
    TFixedFileInfo f;
    std::uint32_t* fields[] = {&f.Signature,        &f.StrucVersion,     &f.FileVersionMS,
                               &f.FileVersionLS,    &f.ProductVersionMS, &f.ProductVersionLS,
                               &f.FileFlagsMask,    &f.FileFlags,        &f.FileOS,
                               &f.FileType,         &f.FileSubtype,      &f.FileDateMS,
                               &f.FileDateLS};
    for (std::size_t i = 0; i < std::size(fields); ++i) *fields[i] = Le32(d, i * 4);
    return f;
}

std::optional<std::vector<std::uint8_t>> QueryTranslationValue(std::span<const std::uint8_t> block)
{
    TVersionValue v;
    if (!VerQueryValue(block, "\\VarFileInfo\\Translation", v)) return std::nullopt;
    return std::move(v.Data);
}

std::vector<TTranslation> QueryTranslations(std::span<const std::uint8_t> block)
{
    std::vector<TTranslation> result;
    std::optional<std::vector<std::uint8_t>> raw = QueryTranslationValue(block);
    if (!raw) return result;
    TBytes d(*raw);
    for (std::size_t at = 0; at + 4 <= d.size(); at += 4)
        result.push_back({Le16(d, at), Le16(d, at + 2)});
    return result;
}

std::string TranslationName(std::uint16_t language, std::uint16_t codePage)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.4X%.4X", unsigned(language), unsigned(codePage));
    return text;
}

std::optional<std::string> FirstTranslationName(std::span<const std::uint8_t> block)
{
    std::optional<std::vector<std::uint8_t>> raw = QueryTranslationValue(block);
    if (!raw || raw->size() < 2) return std::nullopt;
    TBytes d(*raw);
    return TranslationName(Le16(d, 0), d.size() >= 4 ? Le16(d, 2) : 0);
}

std::string QueryStringValue(std::span<const std::uint8_t> block, std::string_view translation,
                             std::string_view key)
{
    std::string path = "\\StringFileInfo\\";
    path.append(translation).append("\\").append(key);
    TVersionValue v;
    if (!VerQueryValue(block, path, v)) return {};
    return v.Text;
}
