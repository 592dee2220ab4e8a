#pragma once
// Finding the version block inside a PE or ELF image, over any source of bytes (a file read
// piece by piece, or bytes in memory).
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class TByteSource {
public:
    virtual ~TByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Exactly `count` bytes at `offset`, or false; never reads outside [0, Size()).
    virtual bool Read(std::uint64_t offset, void* dst, std::size_t count) const = 0;
};

class TMemorySource : public TByteSource {
public:
    explicit TMemorySource(std::span<const std::uint8_t> bytes) : FBytes(bytes) {}
    std::uint64_t Size() const override { return FBytes.size(); }
    bool Read(std::uint64_t offset, void* dst, std::size_t count) const override;

private:
    std::span<const std::uint8_t> FBytes;
};

// Limits past which an image is taken as hostile rather than read.
constexpr std::uint32_t kMaxPeSections = 96;         // the Windows loader's own limit
constexpr std::uint32_t kMaxResourceEntries = 4096;  // per resource directory
constexpr std::uint32_t kMaxElfSections = 4096;
constexpr std::uint64_t kMaxElfNameTable = 1 << 20;

// The version block of the image, checked to be a sound block; none otherwise.
std::optional<std::vector<std::uint8_t>> LocateVersionBlock(const TByteSource& source);
