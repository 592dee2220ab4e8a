#include "platform/FileContent.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/Paths.h"

// Reading with pread instead of mapping: a mapped file that shrinks under us raises SIGBUS on
// the first touch past its new end, while a read simply comes back short.

TFileContent::~TFileContent()
{
    Close();
}

void TFileContent::Close()
{
    if (FFd >= 0)
        close(FFd);
    FFd = -1;
    FSize = 0;
    FDevice = FInode = 0;
}

namespace {

std::int64_t ChangeTime(const struct stat& st)
{
    return static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
}

}  // namespace

bool TFileContent::Open(std::string_view programPath)
{
    Close();
    FLastError = 0;
    std::optional<std::string> native = ToNativePath(programPath);
    TNativeLocation location;
    errno = 0;
    if (!native || !location.Open(*native)) {
        FLastError = errno;
        return false;
    }
    // Looked at before opening: opening a device node can have effects of its own.
    struct stat st;
    if (fstatat(location.Fd(), location.Leaf(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return false;
    // O_NONBLOCK: a FIFO swapped in under the same name must not block the open. It is left on:
    // reads of a regular file never block anyway.
    int fd = openat(location.Fd(), location.Leaf(),
                    O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        FLastError = errno;
        return false;
    }
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    FFd = fd;
    FSize = st.st_size;
    FChangeTime = ChangeTime(st);
    FWriteSeconds = st.st_mtim.tv_sec;
    FDevice = st.st_dev;
    FInode = st.st_ino;
    return true;
}

bool TFileContent::Unchanged(std::int64_t size) const
{
    struct stat st;
    return FFd >= 0 && fstat(FFd, &st) == 0 && st.st_size == size && ChangeTime(st) == FChangeTime;
}

void RaiseOpenFileLimit()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max)
        return;
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
}

std::size_t OpenFileLimit()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return 1 << 20;
    return static_cast<std::size_t>(limit.rlim_cur);
}

void TFileContent::AdviseSequential() const
{
    if (FFd >= 0)
        posix_fadvise(FFd, 0, 0, POSIX_FADV_SEQUENTIAL);
}

std::int64_t TFileContent::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const
{
    if (FFd < 0 || offset < 0)
        return -1;
    char* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        ssize_t got = pread(FFd, out + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

bool TFileContent::ReadCachedAt(std::int64_t offset, void* buffer, std::size_t count,
                                bool& uncached) const
{
    uncached = false;
    if (FFd < 0 || offset < 0)
        return false;
    struct iovec part = {buffer, count};
    ssize_t got;
    do {
        got = preadv2(FFd, &part, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        uncached = errno == EAGAIN;
    return got == static_cast<ssize_t>(count);
}

namespace {

constexpr std::size_t kBlock = 256 * 1024;

}  // namespace

bool SameContents(const TFileContent& a, const TFileContent& b, std::int64_t size,
                  void (*pump)(void*), void* pumpArg)
{
    if (!a.IsOpen() || !b.IsOpen() || size < 0)
        return false;
    if (a.Device() == b.Device() && a.Inode() == b.Inode())
        return false;
    // Buffers of the call's own: the pump may run code that compares other files meanwhile.
    std::size_t block = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, size));
    std::unique_ptr<char[]> bufferA(new char[block + 1]);
    std::unique_ptr<char[]> bufferB(new char[block + 1]);
    for (std::int64_t offset = 0; offset < size; offset += kBlock) {
        std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(kBlock, size - offset));
        if (a.ReadAt(offset, bufferA.get(), want) != static_cast<std::int64_t>(want))
            return false;
        if (b.ReadAt(offset, bufferB.get(), want) != static_cast<std::int64_t>(want))
            return false;
        if (std::memcmp(bufferA.get(), bufferB.get(), want) != 0)
            return false;
        if (pump && offset + static_cast<std::int64_t>(want) < size)
            pump(pumpArg);
    }
    return true;
}
