#pragma once
// Queries of a version block: the tree of nodes that a version resource holds (root
// "VS_VERSION_INFO" with the fixed record as its value, "StringFileInfo" with one table per
// translation, "VarFileInfo" with "Translation"). Keys and text values are stored as UTF-16;
// every text handed out here is UTF-8.
//
// A block comes from anywhere on the user's disks. Every node is checked against its parent
// and the block before it is used; a malformed node ends the query with "not found" (an
// empty text), never a read outside the block.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The fixed record (the root's value), field by field as stored.
struct TFixedFileInfo {
    std::uint32_t Signature = 0;
    std::uint32_t StrucVersion = 0;
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    std::uint32_t FileFlagsMask = 0;
    std::uint32_t FileFlags = 0;
    std::uint32_t FileOS = 0;
    std::uint32_t FileType = 0;
    std::uint32_t FileSubtype = 0;
    std::uint32_t FileDateMS = 0;
    std::uint32_t FileDateLS = 0;
};
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedFileInfoSize = 52;

struct TVersionValue {
    bool IsText = false;              // the node says its value is text
    std::vector<std::uint8_t> Data;   // binary value, exactly its declared length
    std::string Text;                 // the value read as text, up to its first NUL
};

// True when the block's root node is sound: a length that covers its header and fits the
// block, and a key that ends inside the node.
bool IsVersionBlock(std::span<const std::uint8_t> block);

// Looks up a node by its path ("\" is the root; "\StringFileInfo\040904E4\CompanyName").
// Path segments are matched against keys with ASCII letters compared case-insensitively.
// False when the path is not in the block or a node on the way is malformed.
bool VerQueryValue(std::span<const std::uint8_t> block, std::string_view subBlock,
                   TVersionValue& value);

// The fixed record; none when the root's value is shorter than one.
std::optional<TFixedFileInfo> QueryFixedFileInfo(std::span<const std::uint8_t> block);

struct TTranslation {
    std::uint16_t Language = 0;
    std::uint16_t CodePage = 0;
};
// The raw bytes of "\VarFileInfo\Translation"; none when absent.
std::optional<std::vector<std::uint8_t>> QueryTranslationValue(std::span<const std::uint8_t> block);
// Its complete 4-byte entries, in block order (an odd tail is dropped).
std::vector<TTranslation> QueryTranslations(std::span<const std::uint8_t> block);

// "%.4X%.4X": language first, e.g. "040904E4".
std::string TranslationName(std::uint16_t language, std::uint16_t codePage);

// The string table name of the first translation entry, values taken as stored (0 stays
// "0000"). A value of 2 or 3 bytes is a language without code page: code page "0000".
// None when there is no translation value or it holds less than a language.
std::optional<std::string> FirstTranslationName(std::span<const std::uint8_t> block);

// "\StringFileInfo\<translation>\<key>" as UTF-8; empty when absent.
std::string QueryStringValue(std::span<const std::uint8_t> block, std::string_view translation,
                             std::string_view key);
