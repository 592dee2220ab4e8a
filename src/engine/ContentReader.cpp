#include "engine/ContentReader.h"

#include <algorithm>
#include <cstring>

#include "engine/ContentHash.h"

namespace {

// Large enough that a read costs little per byte, small enough that a block takes well under
// a millisecond from the cache, so the callback comes often. The first block is small: files
// that differ mostly differ early, and most files are small.
constexpr std::size_t kFirstBlockSize = kHeadBytes;
constexpr std::size_t kBlockSize = 256 * 1024;
constexpr std::size_t kChecksumBytes = 512;

std::size_t NextBlock(std::int64_t offset, std::int64_t size)
{
    const std::int64_t block = offset == 0 ? kFirstBlockSize : kBlockSize;
    return static_cast<std::size_t>(std::min<std::int64_t>(size - offset, block));
}

}  // namespace

bool TContentReader::ReadExactly(const TFileContent& file, std::int64_t offset, char* buffer,
                                 std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const std::int64_t got =
            file.ReadAt(offset + static_cast<std::int64_t>(done), buffer + done, count - done);
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void TContentReader::EnsureBuffers(std::size_t count)
{
    if (FBufferA.size() < count) {
        FBufferA.resize(count);
        FBufferB.resize(count);
    }
}

bool TContentReader::SameContents(const TFileContent& a, const TFileContent& b, std::int64_t size)
{
    if (size < 0)
        return false;
    std::int64_t offset = 0;
    EnsureBuffers(static_cast<std::size_t>(std::min<std::int64_t>(size, kBlockSize)));
    if (size > static_cast<std::int64_t>(kFirstBlockSize)) {
        a.AdviseSequential();
        b.AdviseSequential();
    }
    while (offset < size) {
        const std::size_t count = NextBlock(offset, size);
        if (!ReadExactly(a, offset, FBufferA.data(), count))
            return false;
        if (!ReadExactly(b, offset, FBufferB.data(), count))
            return false;
        if (std::memcmp(FBufferA.data(), FBufferB.data(), count) != 0)
            return false;
        offset += static_cast<std::int64_t>(count);
        if (offset < size && OnBlock && !OnBlock())
            return false;
    }
    return true;
}

bool TContentReader::HashContents(const TFileContent& file, std::int64_t size, std::uint64_t& hash)
{
    if (size < 0)
        return false;
    EnsureBuffers(static_cast<std::size_t>(std::min<std::int64_t>(size, kBlockSize)));
    TContentHash state;
    if (size > static_cast<std::int64_t>(kFirstBlockSize))
        file.AdviseSequential();
    for (std::int64_t offset = 0; offset < size;) {
        const std::size_t count = NextBlock(offset, size);
        if (!ReadExactly(file, offset, FBufferA.data(), count))
            return false;
        state.Update(FBufferA.data(), count);
        offset += static_cast<std::int64_t>(count);
        if (offset < size && OnBlock && !OnBlock())
            return false;
    }
    hash = state.Final();
    return true;
}

bool TContentReader::ReadHead(const TFileContent& file, std::int64_t size, std::string& head,
                              bool* fromDisk)
{
    head.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(size, 0, kHeadBytes)));
    if (fromDisk && file.ReadCachedAt(0, head.data(), head.size(), *fromDisk))
        return true;
    return ReadExactly(file, 0, head.data(), head.size());
}

std::uint32_t TContentReader::HeadChecksum(std::string_view head, std::int64_t size)
{
    const std::size_t words =
        static_cast<std::size_t>(std::min<std::int64_t>(size / 4, kChecksumBytes / 4));
    if (head.size() < words * 4)
        return 0;
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < words; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(head.data()) + i * 4;
        sum += static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    return sum & 0x7FFFFFFFu;
}
