#include "platform/FileFind.h"

#include "platform/Drives.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "text/PathText.h"
#include "text/TextUtil.h"
#include "text/Utf8.h"

#include <QChar>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <limits>
#include <optional>

// ---- Masks -----------------------------------------------------------------------------------

namespace {

constexpr char32_t kInvalidBase = 0x110000;  // above every code point: bytes that are no UTF-8

// Decodes the character at s[i] and moves i past it. A byte that does not start a complete,
// shortest-form sequence is one character of its own, which matches only itself.
char32_t NextChar(std::string_view s, std::size_t& i)
{
    char32_t code;
    const std::size_t length = DecodeUtf8(s, i, code);
    if (length == 0)
        return kInvalidBase + static_cast<unsigned char>(s[i++]);
    i += length;
    return code;
}

char32_t Fold(char32_t c)
{
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= kInvalidBase) return c;
    return QChar::toCaseFolded(c);
}

// "*" and "?" with backtracking to the latest star only: linear in practice, no recursion. A
// run of "?" that meets a "." or the end of the name matches nothing there, so "a??.txt"
// takes "a.txt" and "ab.txt" as well as "abc.txt".
bool GlobMatch(std::string_view name, std::string_view mask)
{
    constexpr std::size_t none = std::string_view::npos;
    std::size_t n = 0, m = 0, starMask = none, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = ++m;
            starName = n;
            continue;
        }
        if (m < mask.size()) {
            std::size_t nextName = n, nextMask = m;
            bool same = true;
            if (mask[m] == '?' && name[n] == '.') {
                while (nextMask < mask.size() && mask[nextMask] == '?') ++nextMask;
            } else if (mask[m] == '?') {
                NextChar(name, nextName);
                ++nextMask;
            } else {
                same = Fold(NextChar(mask, nextMask)) == Fold(NextChar(name, nextName));
            }
            if (same) {
                n = nextName;
                m = nextMask;
                continue;
            }
        }
        if (starMask == none) return false;
        NextChar(name, starName);
        n = starName;
        m = starMask;
    }
    while (m < mask.size() && (mask[m] == '*' || mask[m] == '?')) ++m;
    return m == mask.size();
}

}  // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask.empty()) return false;
    if (mask == "*" || mask == "*.*") return true;
    if (GlobMatch(name, mask)) return true;
    // "readme.*" also takes "readme"; "*." takes the names without an extension.
    if (mask.size() > 2 && mask.substr(mask.size() - 2) == ".*") {
        return GlobMatch(name, mask.substr(0, mask.size() - 2));
    }
    if (mask.size() > 1 && mask.back() == '.' && name.find('.') == std::string_view::npos) {
        return GlobMatch(name, mask.substr(0, mask.size() - 1));
    }
    return false;
}

bool PassesAttrFilter(std::uint32_t attr, std::uint32_t attrFilter)
{
    constexpr std::uint32_t special = faHidden | faSysFile | faVolumeID | faDirectory;
    return (attr & special & ~attrFilter) == 0;
}

// ---- Examining one entry ---------------------------------------------------------------------

namespace {

struct TEntryInfo {
    std::uint32_t Attr = 0;
    std::int64_t Size = 0;
    std::uint64_t CreationTime = 0, LastAccessTime = 0, LastWriteTime = 0;
    std::uint64_t Device = 0, Inode = 0;
    bool IsFolder = false;
};

struct TRawStat {
    unsigned Mode = 0;
    std::int64_t Size = 0;
    std::uint64_t Device = 0, Inode = 0;
    std::uint64_t Birth = 0, Access = 0, Write = 0;
};

std::uint64_t ToFileTime(std::int64_t seconds, std::uint32_t nanoseconds)
{
    constexpr std::int64_t kFrom1601 = 11644473600;  // seconds from 1601 to 1970
    constexpr std::int64_t kLatest = std::numeric_limits<std::int64_t>::max() / 10000000 - kFrom1601;
    if (seconds < -kFrom1601) return 0;
    if (seconds > kLatest) seconds = kLatest;
    return static_cast<std::uint64_t>(seconds + kFrom1601) * 10000000u + nanoseconds / 100;
}

// Kernels or sandboxes without statx get the older call (and no birth times).
std::atomic<bool> gStatxMissing{false};

// An empty name looks at dirFd itself (an open file).
bool StatNoFollow(int dirFd, const char* name, TRawStat& raw)
{
    const int flags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | (*name ? 0 : AT_EMPTY_PATH);
    if (!gStatxMissing.load(std::memory_order_relaxed)) {
        struct statx sx;
        if (statx(dirFd, name, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
            raw.Mode = sx.stx_mode;
            raw.Size = static_cast<std::int64_t>(sx.stx_size);
            raw.Device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
            raw.Inode = sx.stx_ino;
            raw.Access = ToFileTime(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
            raw.Write = ToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
            raw.Birth = (sx.stx_mask & STATX_BTIME)
                            ? ToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                            : 0;
            return true;
        }
        if (errno != ENOSYS && errno != EPERM) return false;
        gStatxMissing.store(true, std::memory_order_relaxed);
    }
    struct stat st;
    if (fstatat(dirFd, name, &st, flags) != 0) return false;
    raw.Mode = st.st_mode;
    raw.Size = st.st_size;
    raw.Device = st.st_dev;
    raw.Inode = st.st_ino;
    raw.Access = ToFileTime(st.st_atim.tv_sec, static_cast<std::uint32_t>(st.st_atim.tv_nsec));
    raw.Write = ToFileTime(st.st_mtim.tv_sec, static_cast<std::uint32_t>(st.st_mtim.tv_nsec));
    raw.Birth = 0;
    return true;
}

// Names that are never returned, whatever they stand for.
bool IsExcludedName(std::string_view name)
{
    return name.empty() || name == "." || name == ".." || name.find('\\') != std::string_view::npos;
}

// Kinds that the directory entry already rules out, without a stat.
bool IsExcludedType(unsigned char type)
{
    return type == DT_LNK || type == DT_FIFO || type == DT_SOCK || type == DT_CHR ||
           type == DT_BLK;
}

// The record of one entry; false for what is never returned (links, FIFOs, sockets,
// devices, folders of another file system) and for an entry that vanished meanwhile.
bool Classify(std::string_view name, const TRawStat& raw, std::uint64_t folderDevice,
              TEntryInfo& info)
{
    info.IsFolder = S_ISDIR(raw.Mode);
    if (info.IsFolder ? raw.Device != folderDevice : !S_ISREG(raw.Mode)) return false;
    info.Attr = info.IsFolder ? faDirectory : faArchive;
    if (name[0] == '.') info.Attr |= faHidden;
    if ((raw.Mode & S_IWUSR) == 0) info.Attr |= faReadOnly;
    info.Size = info.IsFolder ? 0 : raw.Size;
    info.CreationTime = raw.Birth;
    info.LastAccessTime = raw.Access;
    info.LastWriteTime = raw.Write;
    info.Device = raw.Device;
    info.Inode = raw.Inode;
    return true;
}

bool Examine(int dirFd, const char* name, std::uint64_t folderDevice, TEntryInfo& info)
{
    TRawStat raw;
    return StatNoFollow(dirFd, name, raw) && Classify(name, raw, folderDevice, info);
}

// The fields a search record and a folder listing entry share.
template <class TTarget>
void CopyInfo(const TEntryInfo& info, TTarget& out)
{
    out.Attr = info.Attr;
    out.Size = info.Size;
    out.CreationTime = info.CreationTime;
    out.LastAccessTime = info.LastAccessTime;
    out.LastWriteTime = info.LastWriteTime;
    out.Device = info.Device;
    out.Inode = info.Inode;
}

void FillRecord(std::string_view name, const TEntryInfo& info, TSearchRec& rec)
{
    rec.Name.assign(name);
    rec.ShortName.clear();
    CopyInfo(info, rec);
}

// Opens a native folder for reading its entries; nullptr when it cannot be listed.
DIR* OpenFolder(std::string_view nativeFolder, std::uint64_t& device)
{
    TNativeLocation location;
    if (!location.Open(nativeFolder)) return nullptr;
    int fd = openat(location.Fd(), location.Leaf(),
                    O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return nullptr;
    struct stat st;
    DIR* dir = (fstat(fd, &st) == 0) ? fdopendir(fd) : nullptr;
    if (!dir) {
        close(fd);
        return nullptr;
    }
    device = st.st_dev;
    return dir;
}

}  // namespace

// ---- Search ----------------------------------------------------------------------------------

struct TDirSearch::TState {
    DIR* Dir = nullptr;
    std::uint64_t Device = 0;
    std::string Mask;
    std::uint32_t Filter = 0;
};

TDirSearch::~TDirSearch()
{
    Close();
}

void TDirSearch::Close()
{
    if (!FState) return;
    if (FState->Dir) closedir(FState->Dir);
    delete FState;
    FState = nullptr;
}

bool TDirSearch::First(std::string_view pathWithMask, std::uint32_t attrFilter, TSearchRec& rec)
{
    Close();
    if (pathWithMask.size() < 2 || pathWithMask[1] != ':') return false;
    std::size_t cut = pathWithMask.find_last_of("\\/");
    if (cut == std::string_view::npos || cut < 2) cut = 1;
    std::string_view mask = pathWithMask.substr(cut + 1);
    if (mask.empty()) return false;
    std::optional<std::string> folder = ToNativePath(pathWithMask.substr(0, cut + 1));
    if (!folder) return false;
    std::uint64_t device = 0;
    DIR* dir = OpenFolder(*folder, device);
    if (!dir) return false;
    FState = new TState{dir, device, std::string(mask), attrFilter};
    return Next(rec);
}

bool TDirSearch::Next(TSearchRec& rec)
{
    if (!FState) return false;
    const bool wantHidden = (FState->Filter & faHidden) != 0;
    const bool wantFolders = (FState->Filter & faDirectory) != 0;
    int dirFd = dirfd(FState->Dir);
    while (const dirent* entry = readdir(FState->Dir)) {
        std::string_view name(entry->d_name);
        if (IsExcludedName(name) || IsExcludedType(entry->d_type)) continue;
        if (name[0] == '.' && !wantHidden) continue;
        if (entry->d_type == DT_DIR && !wantFolders) continue;
        if (!MatchesMask(name, FState->Mask)) continue;
        TEntryInfo info;
        if (!Examine(dirFd, entry->d_name, FState->Device, info)) continue;
        if (!PassesAttrFilter(info.Attr, FState->Filter)) continue;
        FillRecord(name, info, rec);
        return true;
    }
    return false;
}

// ---- Listing ---------------------------------------------------------------------------------

namespace {

bool AnyMaskMatches(std::string_view name, const std::vector<std::string>* masks)
{
    if (!masks) return true;
    for (const std::string& mask : *masks) {
        if (MatchesMask(name, mask)) return true;
    }
    return false;
}

}  // namespace

void TFolderListing::Clear()
{
    FNames.clear();
    FEntries.clear();
    FHoldsWatched = false;
    FDevice = FInode = 0;
}

bool TFolderListing::Read(std::string_view programFolder, const std::vector<std::string>* fileMasks)
{
    Clear();
    std::optional<std::string> native = ToNativePath(programFolder);
    return native && ReadNative(*native, fileMasks);
}

bool TFolderListing::ReadNative(std::string_view nativeFolder,
                                const std::vector<std::string>* fileMasks)
{
    Clear();
    std::uint64_t device = 0;
    DIR* dir = OpenFolder(nativeFolder, device);
    return dir && ReadEntries(dir, fileMasks);
}

bool TFolderListing::ReadAt(int folderFd, const std::vector<std::string>* fileMasks)
{
    Clear();
    // The listing reads through a copy of the descriptor, which stays the caller's.
    const int copy = folderFd >= 0 ? fcntl(folderFd, F_DUPFD_CLOEXEC, 0) : -1;
    DIR* dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            close(copy);
        return false;
    }
    return ReadEntries(dir, fileMasks);
}

bool TFolderListing::ReadEntries(DIR* dir, const std::vector<std::string>* fileMasks)
{
    const int dirFd = dirfd(dir);
    struct stat st;
    if (fstat(dirFd, &st) != 0) {
        closedir(dir);
        return false;
    }
    FDevice = st.st_dev;
    FInode = st.st_ino;
    while (const dirent* entry = readdir(dir)) {
        if (FCancel && FCancel->load(std::memory_order_relaxed)) {
            closedir(dir);
            Clear();
            return false;
        }
        std::string_view name(entry->d_name);
        if (IsExcludedName(name) || IsExcludedType(entry->d_type))
            continue;
        const bool watched = !FWatchedName.empty() && CompareTextAscii(name, FWatchedName) == 0;
        bool maybeFolder = entry->d_type == DT_DIR || entry->d_type == DT_UNKNOWN;
        const bool wanted = AnyMaskMatches(name, fileMasks);
        if (!maybeFolder && !wanted && !watched)
            continue;
        TEntryInfo info;
        if (!Examine(dirFd, entry->d_name, FDevice, info))
            continue;
        if (watched && !info.IsFolder)
            FHoldsWatched = true;
        if (!info.IsFolder && !wanted)
            continue;
        TFolderEntry& out = FEntries.emplace_back();
        out.NameOffset = FNames.size();
        out.NameLength = name.size();
        FNames.append(name);
        CopyInfo(info, out);
    }
    closedir(dir);
    return true;
}

int OpenFolderNoFollow(std::string_view programFolder)
{
    const std::optional<std::string> native = ToNativePath(programFolder);
    const TDrive* drive = native ? TDriveTable::Current().Find(programFolder[0]) : nullptr;
    if (!drive)
        return -1;
    std::string_view rest =
        std::string_view(*native).substr(drive->Root == "/" ? 0 : drive->Root.size());
    int fd = open(drive->Root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd >= 0 && !rest.empty()) {
        while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find('/'), rest.size());
        if (end == 0)
            break;
        const int next = OpenSubfolderNoFollow(fd, std::string(rest.substr(0, end)));
        close(fd);
        fd = next;
        rest.remove_prefix(end);
    }
    return fd;
}

namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0, k = 0;
    while (i < a.size() && k < b.size()) {
        if (Fold(NextChar(a, i)) != Fold(NextChar(b, k)))
            return false;
    }
    return i == a.size() && k == b.size();
}

// Depth first through the folders whose names match the components apart from case, until
// two complete matches are known.
void MatchFolders(const std::string& folder, const std::vector<std::string_view>& parts,
                  std::size_t next, std::vector<std::string>& matches)
{
    if (next == parts.size()) {
        matches.push_back(folder);
        return;
    }
    static const std::vector<std::string> noFiles;
    TFolderListing listing;
    if (!listing.Read(folder, &noFiles))
        return;
    for (std::size_t i = 0; i < listing.Count() && matches.size() < 2; ++i) {
        if ((listing.Entry(i).Attr & faDirectory) &&
            SameNameIgnoringCase(listing.Name(i), parts[next]))
            MatchFolders(folder + std::string(listing.Name(i)) + '\\', parts, next + 1, matches);
    }
}

}  // namespace

int FindFolderAnyCase(std::string_view programFolder, std::string& found)
{
    found.clear();
    const int fd = OpenFolderNoFollow(programFolder);
    if (fd >= 0) {
        close(fd);
        found = programFolder;
        if (found.back() != '\\')
            found += '\\';
        return 1;
    }
    if (programFolder.size() < 2 || programFolder[1] != ':')
        return 0;
    std::vector<std::string_view> parts;
    std::string_view rest = programFolder.substr(2);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of("\\/"), rest.size());
        const std::string_view part = rest.substr(0, end);
        if (part == "..")
            return 0;
        if (!part.empty() && part != ".")
            parts.push_back(part);
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    std::vector<std::string> matches;
    MatchFolders(std::string(programFolder.substr(0, 2)) + '\\', parts, 0, matches);
    if (matches.size() == 1)
        found = matches.front();
    return static_cast<int>(matches.size());
}

int OpenSubfolderNoFollow(int folderFd, const std::string& name)
{
    return openat(folderFd, name.c_str(),
                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}

// ---- Single look-ups -------------------------------------------------------------------------

namespace {

// The native path of a program path, without a trailing separator; nothing when the path is
// on no drive. isRoot tells that it names the drive's root itself.
std::optional<std::string> NativeEntry(std::string_view programPath, bool& isRoot)
{
    std::optional<std::string> native = ToNativePath(programPath);
    if (!native) return std::nullopt;
    while (native->size() > 1 && native->back() == '/') native->pop_back();
    const TDrive* drive = TDriveTable::Current().Find(programPath[0]);
    isRoot = drive && *native == drive->Root;
    return native;
}

bool ParentDevice(const std::string& native, const TNativeLocation& location,
                  std::uint64_t& device)
{
    struct stat st;
    if (location.Fd() != AT_FDCWD) {
        if (fstat(location.Fd(), &st) != 0) return false;
    } else {
        std::size_t slash = native.rfind('/');
        std::string parent = (slash == 0) ? std::string("/") : native.substr(0, slash);
        if (stat(parent.c_str(), &st) != 0) return false;
    }
    device = st.st_dev;
    return true;
}

bool StatProgramPath(std::string_view programPath, TRawStat& raw)
{
    bool isRoot = false;
    std::optional<std::string> native = NativeEntry(programPath, isRoot);
    TNativeLocation location;
    return native && location.Open(*native) && StatNoFollow(location.Fd(), location.Leaf(), raw);
}

}  // namespace

bool FindFile(std::string_view programPath, TSearchRec& rec, bool withCompression)
{
    bool isRoot = false;
    std::optional<std::string> native = NativeEntry(programPath, isRoot);
    if (!native || isRoot || *native == "/") return false;
    std::string_view name = std::string_view(*native).substr(native->rfind('/') + 1);
    if (IsExcludedName(name)) return false;
    TNativeLocation location;
    if (!location.Open(*native)) return false;
    std::uint64_t device = 0;
    TRawStat raw;
    if (!StatNoFollow(location.Fd(), location.Leaf(), raw)) return false;
    // Only a folder needs its parent's file system; files skip the second stat.
    if (S_ISDIR(raw.Mode) && !ParentDevice(*native, location, device)) return false;
    if (!S_ISDIR(raw.Mode)) device = raw.Device;
    TEntryInfo info;
    if (!Classify(name, raw, device, info)) return false;
    FillRecord(name, info, rec);
    bool compressed = false;
    std::int64_t allocated = 0;
    if (withCompression && GetCompressionInfo(programPath, compressed, allocated) && compressed) {
        rec.Attr |= faCompressed;
    }
    return true;
}

bool FindOpenFile(std::string_view programPath, int fd, TSearchRec& rec)
{
    const std::string_view name = PathName(programPath);
    TRawStat raw;
    TEntryInfo info;
    if (fd < 0 || programPath.size() < 3 || IsExcludedName(name) ||
        !StatNoFollow(fd, "", raw) || !S_ISREG(raw.Mode) || !Classify(name, raw, raw.Device, info))
        return false;
    FillRecord(name, info, rec);
    return true;
}

bool FileExists(std::string_view programPath)
{
    TRawStat raw;
    return StatProgramPath(programPath, raw);
}

bool SameFile(std::string_view programPathA, std::string_view programPathB)
{
    TRawStat a, b;
    return StatProgramPath(programPathA, a) && StatProgramPath(programPathB, b) &&
           a.Device == b.Device && a.Inode == b.Inode;
}
