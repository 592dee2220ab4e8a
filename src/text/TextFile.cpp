#include "text/TextFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "text/FileDescriptor.h"

namespace {

// mkostemp's pattern; RemoveLeftoverTemporaries knows the names by it, so it must not match
// a name a user would give a file of their own ("Zarvex.lis.backup").
constexpr const char* kTemporaryMark = ".zarvex-tmp-";
constexpr const char* kTemporarySuffix = ".zarvex-tmp-XXXXXX";

bool WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string ResolveLink(const std::string& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;  // a dangling link: replaced by the new file
    std::string resolved(real);
    std::free(real);
    return resolved;
}

bool OverwriteInPlace(const std::string& path, std::string_view contents)
{
    // Truncated only once it is known to be a regular file.
    TFileDescriptor fd(::open(
        path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666));
    struct stat st {};
    return fd.Get() >= 0 && ::fstat(fd.Get(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::ftruncate(fd.Get(), 0) == 0 && WriteAll(fd.Get(), contents) && fd.Close();
}

// An open file read in blocks, for the line reader.
bool ReadBlocks(int fd, const std::function<void(std::string_view)>& block)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        block(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
}

int OpenRegularForReading(const std::string& nativePath)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    const int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    struct stat st {};
    if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool ReadWholeFile(const std::string& nativePath, std::string& contents)
{
    contents.clear();
    TFileDescriptor fd(OpenRegularForReading(nativePath));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0)
        return false;
    if (st.st_size > 0)
        contents.reserve(static_cast<std::size_t>(st.st_size));
    if (ReadBlocks(fd.Get(), [&contents](std::string_view block) { contents.append(block); }))
        return true;
    contents.clear();
    return false;
}

bool ReadFileLines(const std::string& nativePath, std::size_t maxLine,
                   const std::function<void(std::string_view)>& line)
{
    TFileDescriptor fd(OpenRegularForReading(nativePath));
    if (fd.Get() < 0)
        return false;
    std::string current;
    bool overlong = false, afterCr = false, pending = false;
    const bool read = ReadBlocks(fd.Get(), [&](std::string_view block) {
        for (std::size_t i = 0; i < block.size();) {
            if (afterCr && block[i] == '\n') {  // the LF of a CR LF pair
                afterCr = false;
                ++i;
                continue;
            }
            afterCr = false;
            const std::size_t end = block.find_first_of("\r\n", i);
            const std::string_view piece =
                block.substr(i, end == std::string_view::npos ? end : end - i);
            overlong = overlong || current.size() + piece.size() > maxLine;
            if (!overlong)
                current.append(piece);
            pending = true;
            if (end == std::string_view::npos)
                break;
            if (!overlong)
                line(current);
            current.clear();
            overlong = pending = false;
            afterCr = block[end] == '\r';
            i = end + 1;
        }
    });
    if (read && pending && !overlong)
        line(current);  // the last line, without a line end
    return read;
}

bool MayReplaceFile(const std::string& nativePath)
{
    struct stat st {};
    if (::lstat(nativePath.c_str(), &st) != 0)
        return errno == ENOENT;
    if (S_ISLNK(st.st_mode) && ::stat(nativePath.c_str(), &st) != 0)
        return errno == ENOENT;  // a dangling link: the new file takes its place
    return S_ISREG(st.st_mode);
}

TFileReplacement::~TFileReplacement()
{
    Discard();
}

bool TFileReplacement::Begin(const std::string& nativePath)
{
    Discard();
    if (!MayReplaceFile(nativePath)) {
        errno = EINVAL;
        return false;
    }
    FTarget = ResolveLink(nativePath);
    struct stat old {};
    const bool exists = ::stat(FTarget.c_str(), &old) == 0;
    if (exists && ::access(FTarget.c_str(), W_OK) != 0)
        return false;  // a read-only file stays as it is, as it would for a plain write
    FTemp = FTarget + kTemporarySuffix;
    FFd = ::mkostemp(FTemp.data(), O_CLOEXEC);
    if (FFd < 0) {
        FTemp.clear();
        return false;
    }
    // mkostemp makes the file private; give it what a plain create would have given, or the
    // old file's mode when there is one.
    mode_t mode;
    if (exists) {
        mode = old.st_mode & 0777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(FFd, mode) != 0) {
        Discard();
        return false;
    }
    return true;
}

bool TFileReplacement::Commit()
{
    if (FFd < 0)
        return false;
    const bool synced = ::fsync(FFd) == 0;
    const bool closed = ::close(FFd) == 0;
    FFd = -1;
    if (!synced || !closed || ::rename(FTemp.c_str(), FTarget.c_str()) != 0) {
        const int code = errno;
        Discard();
        errno = code;
        return false;
    }
    FTemp.clear();
    return true;
}

void TFileReplacement::Discard()
{
    if (FFd >= 0)
        ::close(FFd);
    FFd = -1;
    if (!FTemp.empty())
        ::unlink(FTemp.c_str());
    FTemp.clear();
}

bool WriteWholeFile(const std::string& nativePath, std::string_view contents)
{
    TFileReplacement replacement;
    if (replacement.Begin(nativePath))
        return WriteAll(replacement.Fd(), contents) && replacement.Commit();
    // A folder that allows no new file, where the file itself may be written.
    return (errno == EACCES || errno == EPERM || errno == ENAMETOOLONG) &&
           MayReplaceFile(nativePath) && OverwriteInPlace(ResolveLink(nativePath), contents);
}

void RemoveLeftoverTemporaries(const std::string& nativePath)
{
    const std::string target = ResolveLink(nativePath);
    const std::size_t slash = target.rfind('/');
    if (slash == std::string::npos)
        return;
    const std::string folder = slash == 0 ? "/" : target.substr(0, slash);
    const std::string prefix = target.substr(slash + 1) + kTemporaryMark;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const std::size_t length =
        prefix.size() + std::strlen(kTemporarySuffix) - std::strlen(kTemporaryMark);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() != length || name.substr(0, prefix.size()) != prefix)
            continue;
        const std::string_view tail = name.substr(prefix.size());
        if (tail.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789") !=
            std::string_view::npos)
            continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode) && st.st_uid == ::getuid())
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}
