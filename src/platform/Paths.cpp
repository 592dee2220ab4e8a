#include "platform/Paths.h"

#include <errno.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/Drives.h"

namespace {

bool IsSeparator(char c, bool programForm)
{
    return c == '/' || (programForm && c == '\\');
}

// Splits into components, dropping empty ones and ".", and letting ".." remove the one before
// it (never more than there are: the root is a floor).
std::vector<std::string_view> Components(std::string_view path, bool programForm)
{
    std::vector<std::string_view> parts;
    std::size_t i = 0;
    while (i < path.size()) {
        while (i < path.size() && IsSeparator(path[i], programForm)) ++i;
        std::size_t start = i;
        while (i < path.size() && !IsSeparator(path[i], programForm)) ++i;
        std::string_view part = path.substr(start, i - start);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    return parts;
}

bool EndsInSeparator(std::string_view path, bool programForm)
{
    return !path.empty() && IsSeparator(path.back(), programForm);
}

std::string JoinNative(std::string_view root, const std::vector<std::string_view>& parts,
                       bool trailing)
{
    std::string out(root);
    for (std::string_view part : parts) {
        if (out.empty() || out.back() != '/')
            out += '/';
        out += part;
    }
    if (out.empty())
        out = "/";
    if (trailing && !parts.empty())
        out += '/';
    return out;
}

// Length of the root as a prefix of path at a component boundary, or npos.
std::size_t RootMatch(std::string_view path, std::string_view root)
{
    if (root.empty())
        return std::string_view::npos;
    if (root == "/")
        return 1;
    if (path.size() < root.size() || path.substr(0, root.size()) != root) {
        return std::string_view::npos;
    }
    if (path.size() == root.size() || path[root.size()] == '/')
        return root.size();
    return std::string_view::npos;
}

// A path below a drive's root that needs nothing resolved: a separator, then names joined by
// single separators (no empty, "." or ".." one), with or without a separator at the end.
bool IsPlainRest(std::string_view rest)
{
    if (rest.size() < 2 || !IsSeparator(rest[0], true))
        return false;
    std::size_t start = 1;
    for (std::size_t i = 1; i <= rest.size(); ++i) {
        if (i < rest.size() && !IsSeparator(rest[i], true))
            continue;
        const std::string_view part = rest.substr(start, i - start);
        if ((part.empty() && i < rest.size()) || part == "." || part == "..")
            return false;
        start = i + 1;
    }
    return true;
}

}  // namespace

std::string NormalizeNativePath(std::string_view nativePath)
{
    if (nativePath.empty() || nativePath[0] != '/')
        return {};
    if (nativePath.find('\0') != std::string_view::npos)
        return {};
    return JoinNative("", Components(nativePath, false), EndsInSeparator(nativePath, false));
}

std::optional<std::string> ToNativePath(std::string_view programPath)
{
    if (programPath.size() < 2 || programPath[1] != ':')
        return std::nullopt;
    if (programPath.find('\0') != std::string_view::npos)
        return std::nullopt;
    const TDrive* drive = TDriveTable::Current().Find(programPath[0]);
    if (!drive || drive->Root.empty())
        return std::nullopt;
    std::string_view rest = programPath.substr(2);
    if (IsPlainRest(rest)) {
        // The common case, without splitting it into a list first.
        std::string out = drive->Root;
        if (out.back() == '/')
            rest.remove_prefix(1);
        const std::size_t start = out.size();
        out.append(rest);
        std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\\', '/');
        return out;
    }
    return JoinNative(drive->Root, Components(rest, true), EndsInSeparator(rest, true));
}

std::optional<std::string> FromNativePath(std::string_view nativePath)
{
    std::string normal = NormalizeNativePath(nativePath);
    if (normal.empty())
        return std::nullopt;
    const TDrive* best = nullptr;
    std::size_t bestLength = 0;
    const TDriveTable& table = TDriveTable::Current();
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const TDrive* drive = table.Find(letter);
        if (!drive)
            continue;
        std::size_t length = RootMatch(normal, drive->Root);
        if (length != std::string_view::npos && (!best || length > bestLength)) {
            best = drive;
            bestLength = length;
        }
    }
    if (!best)
        return std::nullopt;
    std::string_view rest = std::string_view(normal).substr(bestLength);
    if (rest.find('\\') != std::string_view::npos)
        return std::nullopt;
    std::string out{best->Letter, ':', '\\'};
    if (!rest.empty() && rest.front() == '/')
        rest.remove_prefix(1);
    for (char c : rest) out += (c == '/') ? '\\' : c;
    return out;
}

TNativeLocation::~TNativeLocation()
{
    Release();
}

void TNativeLocation::Release()
{
    if (FOwned)
        close(FFd);
    FFd = AT_FDCWD;
    FOwned = false;
    FLeaf.clear();
}

bool TNativeLocation::Open(std::string_view nativePath)
{
    Release();
    while (nativePath.size() > 1 && nativePath.back() == '/') nativePath.remove_suffix(1);
    if (nativePath.size() < PATH_MAX) {
        FLeaf = nativePath;
        return true;
    }
    std::size_t lastSlash = nativePath.rfind('/');
    if (lastSlash == std::string_view::npos)
        return false;
    std::string_view folder = nativePath.substr(0, lastSlash);
    int fd = open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0 && !folder.empty()) {
        while (!folder.empty() && folder.front() == '/') folder.remove_prefix(1);
        if (folder.empty())
            break;
        // The longest run of whole components that the kernel accepts in one piece.
        std::size_t cut = folder.size();
        if (cut >= PATH_MAX - 1) {
            cut = folder.rfind('/', PATH_MAX - 2);
            if (cut == std::string_view::npos || cut == 0)
                cut = folder.find('/');
            if (cut == std::string_view::npos)
                cut = folder.size();
        }
        std::string piece(folder.substr(0, cut));
        int next = openat(fd, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
        folder.remove_prefix(cut);
    }
    if (fd < 0)
        return false;
    FFd = fd;
    FOwned = true;
    FLeaf = nativePath.substr(lastSlash + 1);
    return true;
}

TListedFile::~TListedFile()
{
    if (FFolder >= 0)
        close(FFolder);
}

TListedState TListedFile::Open(std::string_view programPath)
{
    if (FFolder >= 0)
        close(FFolder);
    FFolder = -1;
    FError.clear();
    if (programPath.size() < 2 || programPath[1] != ':' ||
        programPath.find('\0') != std::string_view::npos) {
        return TListedState::lsNotFound;
    }
    const TDrive* drive = TDriveTable::Current().Find(programPath[0]);
    if (!drive || drive->Root.empty())
        return TListedState::lsNotFound;
    const std::vector<std::string_view> parts = Components(programPath.substr(2), true);
    if (parts.empty())
        return TListedState::lsNotAFile;  // the drive itself
    FNative = JoinNative(drive->Root, parts, false);
    int fd = open(drive->Root.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? TListedState::lsNotFound : TListedState::lsFailed;
    for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string part(parts[i]);
        // O_PATH with O_NOFOLLOW opens a link itself, so fstat tells what stands there.
        const int next = openat(fd, part.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
        const int code = errno;
        close(fd);
        if (next < 0) {
            FError = std::strerror(code);
            return code == ENOENT ? TListedState::lsNotFound : TListedState::lsFailed;
        }
        struct stat st {};
        fstat(next, &st);
        if (!S_ISDIR(st.st_mode)) {
            close(next);
            return S_ISLNK(st.st_mode) ? TListedState::lsLinkOnTheWay : TListedState::lsNotAFile;
        }
        fd = next;
    }
    FFolder = fd;
    FName = std::string(parts.back());
    if (fstatat(fd, FName.c_str(), &FStat, AT_SYMLINK_NOFOLLOW) != 0) {
        FError = std::strerror(errno);
        return errno == ENOENT ? TListedState::lsNotFound : TListedState::lsFailed;
    }
    if (S_ISLNK(FStat.st_mode))
        return TListedState::lsLinkOnTheWay;
    return S_ISREG(FStat.st_mode) ? TListedState::lsFile : TListedState::lsNotAFile;
}

std::string ListedRefusal(TListedState state, const std::string& error)
{
    switch (state) {
        case TListedState::lsLinkOnTheWay:
            return "A symbolic link stands on the way to this file, so it may not be the file that "
                   "was listed; Zarvex leaves it alone.";
        case TListedState::lsNotAFile:
            return "This is not a file, and Zarvex acts only on files.";
        case TListedState::lsFailed:
            return error.empty() ? "It cannot be reached." : error;
        default:
            return {};
    }
}
