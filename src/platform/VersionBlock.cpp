#include "platform/VersionBlock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Paths.h"
#include "platform/VersionImage.h"
#include "platform/VersionQuery.h"

namespace {

// A regular file read piece by piece. Opened without blocking, so that a FIFO or a device
// met on the disks can never hang the caller; anything but a regular file is refused. The
// size is taken once: a file that shrinks afterwards makes a read fail, nothing more.
class TFileSource : public TByteSource {
public:
    explicit TFileSource(const std::string& nativePath)
    {
        TNativeLocation where;  // reaches files in trees deeper than PATH_MAX too
        if (where.Open(nativePath))
            FFd = ::openat(where.Fd(), where.Leaf(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        struct stat st {};
        if (FFd >= 0 && ::fstat(FFd, &st) == 0 && S_ISREG(st.st_mode)) {
            FSize = std::uint64_t(st.st_size);
            FOk = true;
        }
    }
    ~TFileSource() override
    {
        if (FFd >= 0) ::close(FFd);
    }
    TFileSource(const TFileSource&) = delete;
    TFileSource& operator=(const TFileSource&) = delete;

    bool Ok() const { return FOk; }
    std::uint64_t Size() const override { return FSize; }
    bool Read(std::uint64_t offset, void* dst, std::size_t count) const override
    {
        if (count > FSize || offset > FSize - count) return false;
        auto* out = static_cast<char*>(dst);
        while (count > 0) {
            ssize_t got = ::pread(FFd, out, count, off_t(offset));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            out += got;
            offset += std::uint64_t(got);
            count -= std::size_t(got);
        }
        return true;
    }

private:
    int FFd = -1;
    std::uint64_t FSize = 0;
    bool FOk = false;
};

}  // namespace

std::optional<std::vector<std::uint8_t>> FindVersionBlock(std::span<const std::uint8_t> image)
{
    return LocateVersionBlock(TMemorySource(image));
}

std::optional<std::vector<std::uint8_t>> ReadNativeVersionBlock(const std::string& nativePath)
{
    TFileSource file(nativePath);
    if (!file.Ok()) return std::nullopt;
    return LocateVersionBlock(file);
}

std::uint32_t GetFileVersionInfoSize(std::string_view fileName)
{
    std::vector<std::uint8_t> block;
    return GetFileVersionInfo(fileName, block) ? std::uint32_t(block.size()) : 0;
}

bool GetFileVersionInfo(std::string_view fileName, std::vector<std::uint8_t>& block)
{
    block.clear();
    std::optional<std::string> native = ToNativePath(fileName);
    if (!native) return false;
    std::optional<std::vector<std::uint8_t>> found = ReadNativeVersionBlock(*native);
    if (!found) return false;
    block = std::move(*found);
    return true;
}

std::string ReadVersionString(std::string_view fileName, std::string_view valueName)
{
    std::vector<std::uint8_t> block;
    if (!GetFileVersionInfo(fileName, block)) return {};
    std::optional<std::string> translation = FirstTranslationName(block);
    if (!translation) return {};
    return QueryStringValue(block, *translation, valueName);
}
