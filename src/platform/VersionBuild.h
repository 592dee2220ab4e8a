#pragma once
// Making version blocks, and the smallest PE and ELF images that carry one. The build uses
// it to give Zarvex's own executables their block; tests and the fuzzer's seeds use it for
// files whose every byte they know. Standard library only: the build compiles it into a
// generator of its own, before any layer.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/VersionQuery.h"

struct TVersionStringTable {
    std::string Name;  // e.g. "040904E4"
    std::vector<std::pair<std::string, std::string>> Strings;  // key, value; UTF-8
};

struct TVersionBlockContent {
    std::optional<TFixedFileInfo> Fixed;  // none: the root has no value
    std::vector<TVersionStringTable> Tables;
    // Raw bytes of "\VarFileInfo\Translation"; none: no VarFileInfo at all.
    std::optional<std::vector<std::uint8_t>> Translation;
};

// A fixed record with its signature and structure version set and the four version parts
// of file and product spread into their halves.
TFixedFileInfo MakeFixedFileInfo(std::uint16_t major, std::uint16_t minor, std::uint16_t release,
                                 std::uint16_t build, std::uint32_t fileFlags = 0);
// Translation bytes: each pair as a 16-bit language and a 16-bit code page.
std::vector<std::uint8_t> TranslationBytes(const std::vector<TTranslation>& pairs);

// The block as a resource compiler lays it out: nodes 32-bit aligned, text values with
// their terminator, their length counted in characters.
std::vector<std::uint8_t> BuildVersionBlock(const TVersionBlockContent& content);

struct TPeVersion {
    std::uint16_t Language = 0x0409;
    std::vector<std::uint8_t> Block;
};

// Where the parts of a built PE image lie, for tests that damage one of them.
struct TPeImage {
    std::vector<std::uint8_t> Bytes;
    std::size_t PeHeaderOffset = 0;      // "PE\0\0"
    std::size_t OptionalHeaderOffset = 0;
    std::size_t SectionTableOffset = 0;  // the one section, ".rsrc"
    std::size_t ResourceOffset = 0;      // resource root directory (file offset)
    std::uint32_t ResourceRva = 0;
    std::size_t NameDirectoryOffset = 0;      // level two
    std::size_t LanguageDirectoryOffset = 0;  // level three
    std::vector<std::size_t> DataEntryOffsets;  // one per version, in the order given
    std::vector<std::size_t> BlockOffsets;
};

// A DLL image with one ".rsrc" section holding the blocks as version resource 1, one per
// language in the order given (give the languages in ascending order, as linkers do).
TPeImage BuildPeImage(const std::vector<TPeVersion>& versions, bool pe32Plus);

// A 64-bit little-endian ELF file with a section `sectionName` holding `block`.
std::vector<std::uint8_t> BuildElfImage(const std::vector<std::uint8_t>& block,
                                        const std::string& sectionName);
