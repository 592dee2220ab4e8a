#pragma once
// Reading of file contents for the comparison: in blocks of a fixed size, with a callback
// between blocks that keeps the window alive and may abandon the read. Nothing is read past
// the size asked for, and a file that turns out shorter than that is never equal to anything.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileContent.h"

// The first bytes of a file that the comparison keeps once read: they decide the checksum and
// most comparisons, as files that differ mostly differ early.
inline constexpr std::size_t kHeadBytes = 8192;

class TContentReader {
public:
    // Called between blocks; false abandons the read (it then counts as failed).
    std::function<bool()> OnBlock;

    // True when both files hold at least size bytes and their first size bytes are equal.
    bool SameContents(const TFileContent& a, const TFileContent& b, std::int64_t size);
    // The hash of the first size bytes; false when fewer can be read or the read is abandoned.
    bool HashContents(const TFileContent& file, std::int64_t size, std::uint64_t& hash);
    // The first min(size, kHeadBytes) bytes; false when they cannot all be read. fromDisk (when
    // given) tells that they were not all in the page cache.
    static bool ReadHead(const TFileContent& file, std::int64_t size, std::string& head,
                         bool* fromDisk = nullptr);
    // The sum of the first min(size / 4, 128) little-endian 32-bit words of a file of this
    // size, with wrap-around, bit 31 cleared; 0 when the head holds fewer bytes than that.
    static std::uint32_t HeadChecksum(std::string_view head, std::int64_t size);

private:
    // Reads exactly count bytes at offset; false on a short read or an error.
    static bool ReadExactly(const TFileContent& file, std::int64_t offset, char* buffer,
                            std::size_t count);
    void EnsureBuffers(std::size_t count);

    std::vector<char> FBufferA, FBufferB;
};
