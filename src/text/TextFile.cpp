#include "text/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {

class TFd {
public:
    explicit TFd(int fd) : FFd(fd) {}
    ~TFd() { Close(); }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return FFd; }
    bool Close()
    {
        const bool ok = FFd < 0 || ::close(FFd) == 0;
        FFd = -1;
        return ok;
    }

private:
    int FFd;
};

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
    TFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666));
    return fd.Get() >= 0 && WriteAll(fd.Get(), contents) && fd.Close();
}

}  // namespace

bool ReadWholeFile(const std::string& nativePath, std::string& contents)
{
    contents.clear();
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused just below.
    TFd fd(::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    if (st.st_size > 0)
        contents.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            contents.clear();
            return false;
        }
        if (n == 0)
            return true;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteWholeFile(const std::string& nativePath, std::string_view contents)
{
    const std::string target = ResolveLink(nativePath);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && (::access(target.c_str(), W_OK) != 0 || S_ISDIR(old.st_mode)))
        return false;  // a read-only file stays as it is, as it would for a plain write
    std::string temp = target + ".XXXXXX";
    TFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0)
        return (errno == EACCES || errno == EPERM || errno == ENAMETOOLONG) &&
               OverwriteInPlace(target, contents);

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
    const bool written = ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), contents) &&
                         ::fsync(fd.Get()) == 0 && fd.Close();
    if (!written || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
