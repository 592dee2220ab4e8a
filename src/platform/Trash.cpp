#include "platform/Trash.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Paths.h"
#include "text/FileDescriptor.h"

namespace {

std::string HomeTrash()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return std::string(data) + "/Trash";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/share/Trash";
    return {};
}

void MakeFolders(const std::string& path)
{
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        mkdir(path.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
}

struct TTrashFolder {
    TFileDescriptor Files, Info;
};

bool OpenTrash(const std::string& trash, TTrashFolder& folder)
{
    MakeFolders(trash + "/files");
    MakeFolders(trash + "/info");
    folder.Files.Reset(
        open((trash + "/files").c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    folder.Info.Reset(
        open((trash + "/info").c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return folder.Files.Get() >= 0 && folder.Info.Get() >= 0;
}

bool OnDevice(const TTrashFolder& folder, dev_t device)
{
    struct stat st {};
    return fstat(folder.Files.Get(), &st) == 0 && st.st_dev == device;
}

// The mount point holding `folder` (a path without links), and the file's path below it.
std::string TopDir(const std::string& folder, dev_t device)
{
    std::string top = folder;
    while (top.size() > 1) {
        const std::size_t slash = top.rfind('/');
        const std::string parent = slash == 0 ? "/" : top.substr(0, slash);
        struct stat st {};
        if (stat(parent.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

// A folder of a shared trash, made when missing and opened relative to `parent` without
// following a link: the descriptor holds that folder even if its name is swapped afterwards.
int OpenTrashPart(int parent, const std::string& name)
{
    mkdirat(parent, name.c_str(), 0700);
    return openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// The files and info folders below `trash`, when it is a real folder owned by the user.
bool OpenOwnTrash(int trash, TTrashFolder& folder)
{
    struct stat st {};
    if (trash < 0 || fstat(trash, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        return false;
    folder.Files.Reset(OpenTrashPart(trash, "files"));
    folder.Info.Reset(OpenTrashPart(trash, "info"));
    return folder.Files.Get() >= 0 && folder.Info.Get() >= 0;
}

// The trash of the file's own mount; the Path= of its entries is relative to that mount.
// Every step is taken from the descriptor of the one before: whoever owns a shared .Trash
// can rename what is in it, and must not get a link in between a check and its use.
bool OpenTopDirTrash(const TListedFile& file, TTrashFolder& folder, std::string& infoPath)
{
    const std::size_t slash = file.NativePath().rfind('/');
    char* real = realpath(slash == 0 ? "/" : file.NativePath().substr(0, slash).c_str(), nullptr);
    if (!real)
        return false;
    const std::string parent(real);
    std::free(real);
    const std::string top = TopDir(parent, file.Stat().st_dev);
    const std::string base = top == "/" ? "" : top;
    const std::string uid = std::to_string(getuid());
    infoPath = (parent + "/" + file.Name()).substr(base.size() + 1);
    const TFileDescriptor topFd(open(top.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const TFileDescriptor shared(
        openat(topFd.Get(), ".Trash", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (shared.Get() >= 0 && fstat(shared.Get(), &st) == 0 && S_ISDIR(st.st_mode) &&
        (st.st_mode & S_ISVTX) != 0) {
        const TFileDescriptor mine(OpenTrashPart(shared.Get(), uid));
        if (OpenOwnTrash(mine.Get(), folder) && OnDevice(folder, file.Stat().st_dev))
            return true;
    }
    const TFileDescriptor own(OpenTrashPart(topFd.Get(), ".Trash-" + uid));
    return OpenOwnTrash(own.Get(), folder) && OnDevice(folder, file.Stat().st_dev);
}

std::string DeletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

bool WriteInfo(int fd, const std::string& infoPath)
{
    const std::string text =
        "[Trash Info]\nPath=" + TrashInfoPath(infoPath) + "\nDeletionDate=" + DeletionDate() + "\n";
    return write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

bool RenameNoReplace(const TListedFile& file, int files, const std::string& name)
{
    if (renameat2(file.Folder(), file.Name().c_str(), files, name.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    // A file system without the flag: the info file, made exclusively, reserves the name.
    struct stat st {};
    if (fstatat(files, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return renameat(file.Folder(), file.Name().c_str(), files, name.c_str()) == 0;
}

// Reserves a free name with an info file made exclusively, then renames the file in.
bool MoveInto(const TListedFile& file, const TTrashFolder& folder, const std::string& infoPath,
              std::string& error)
{
    // Room for ".trashinfo" and a counter within the 255 bytes of a name.
    const std::string stem = file.Name().substr(0, 236);
    for (int n = 1; n < 10000; ++n) {
        const std::string name = n == 1 ? stem : stem + "." + std::to_string(n);
        const std::string info = name + ".trashinfo";
        TFileDescriptor fd(openat(folder.Info.Get(), info.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (fd.Get() < 0 && errno == EEXIST)
            continue;
        if (fd.Get() < 0 || !WriteInfo(fd.Get(), infoPath)) {
            error = std::strerror(errno);
            if (fd.Get() >= 0)
                unlinkat(folder.Info.Get(), info.c_str(), 0);
            return false;
        }
        if (RenameNoReplace(file, folder.Files.Get(), name))
            return true;
        const int code = errno;
        unlinkat(folder.Info.Get(), info.c_str(), 0);
        if (code == EEXIST)
            continue;
        error = std::strerror(code);
        return false;
    }
    error = "the trash holds too many files of this name";
    return false;
}

}  // namespace

std::string TrashInfoPath(std::string_view path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') ||
            (c != '\0' && std::strchr("/-_.!~*'()", c) != nullptr)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

bool MoveListedFileToTrash(const TListedFile& file, std::string& error)
{
    TTrashFolder home;
    const std::string homeTrash = HomeTrash();
    if (homeTrash.empty() || !OpenTrash(homeTrash, home)) {
        error = "no trash folder could be set up for this file";
        return false;
    }
    if (OnDevice(home, file.Stat().st_dev))
        return MoveInto(file, home, file.NativePath(), error);
    TTrashFolder top;
    std::string infoPath;
    if (OpenTopDirTrash(file, top, infoPath))
        return MoveInto(file, top, infoPath, error);
    error =
        "the file lies on another file system than the home trash, and its own drive has no "
        "trash folder Zarvex may use; it was left in place";
    return false;
}
