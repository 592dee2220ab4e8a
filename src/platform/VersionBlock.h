#pragma once
// Version blocks of files, where Windows has GetFileVersionInfoSize, GetFileVersionInfo and
// (with VersionQuery.h) VerQueryValue.
//
// A block is found in a PE file (.exe, .dll, PE32 and PE32+) as its version resource, and in
// an ELF file as the section kVersionSectionName, where Zarvex's own executables carry theirs.
// Any other file, a folder, a device, a missing or unreadable file has none. Files come from
// anywhere on the user's disks: nothing in them is trusted, and no file is read beyond what
// its headers need, so asking costs little for the files that have no block.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr char kVersionSectionName[] = ".zxversion";
constexpr std::size_t kMaxVersionBlock = 0xFFFF;  // a block's length is a 16-bit word

// The block of a file image in memory; none when it has no sound one.
std::optional<std::vector<std::uint8_t>> FindVersionBlock(std::span<const std::uint8_t> image);
// The block of a native file.
std::optional<std::vector<std::uint8_t>> ReadNativeVersionBlock(const std::string& nativePath);

// In the program's path form. The size of the file's block in bytes, 0 when it has none.
std::uint32_t GetFileVersionInfoSize(std::string_view fileName);
// Replaces `block` with the file's block; false (and `block` empty) when it has none.
bool GetFileVersionInfo(std::string_view fileName, std::vector<std::uint8_t>& block);

// One string of a file's block under the block's first translation (language and code page
// as stored; a language without code page gives code page 0000), e.g. "FileVersion". Empty
// when the file has no block, no translation or no such string. Not trimmed.
std::string ReadVersionString(std::string_view fileName, std::string_view valueName);
