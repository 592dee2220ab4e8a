#include "platform/Drives.h"

#include "platform/Paths.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

std::optional<TDriveTable>& CurrentSlot()
{
    static std::optional<TDriveTable> slot;
    return slot;
}

int LetterIndex(char letter)
{
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (upper < 'A' || upper > 'Z') return -1;
    return upper - 'A';
}

const char* KindText(int type)
{
    switch (type) {
    case dtRemovable: return "Removable Disk";
    case dtFixed: return "Local Disk";
    case dtRemote: return "Network Drive";
    case dtCdRom: return "CD Drive";
    case dtRamDisk: return "RAM Disk";
    default: return "Drive";
    }
}

// The list view takes a drive's letter from the character before the first ":)" of its
// name, so the descriptive part must never hold one; control characters would break a row.
void AppendSanitized(std::string& out, std::string_view text)
{
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) c = '?';
        if (c == ')' && !out.empty() && out.back() == ':') out += ' ';
        out += c;
    }
}

bool StartsWithFolder(std::string_view path, std::string_view folder)
{
    if (path.size() < folder.size() || path.substr(0, folder.size()) != folder) return false;
    return path.size() == folder.size() || folder.back() == '/' || path[folder.size()] == '/';
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

int TypeFromWord(std::string_view word)
{
    std::string lower;
    for (char c : TrimBlanks(word)) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower.empty() || lower == "fixed") return dtFixed;
    if (lower == "removable") return dtRemovable;
    if (lower == "remote") return dtRemote;
    if (lower == "cdrom") return dtCdRom;
    if (lower == "ramdisk") return dtRamDisk;
    return dtUnknown;
}

// One "LETTER=FOLDER[,TYPE[,LABEL]]" entry; an empty text when it is well formed, else why not.
std::string ParseSpecEntry(std::string_view entry, const TDriveTable& table, TDrive& drive)
{
    if (entry.size() < 2 || entry[1] != '=' || LetterIndex(entry[0]) < 0) {
        return "expected LETTER=FOLDER";
    }
    char letter = static_cast<char>('A' + LetterIndex(entry[0]));
    if (table.Find(letter)) return std::string("drive ") + letter + ": given twice";
    std::string_view rest = entry.substr(2);
    std::size_t comma = rest.find(',');
    std::string_view folder = rest.substr(0, comma);
    std::string_view typeWord, label;
    if (comma != std::string_view::npos) {
        std::string_view tail = rest.substr(comma + 1);
        std::size_t second = tail.find(',');
        typeWord = tail.substr(0, second);
        if (second != std::string_view::npos) label = tail.substr(second + 1);
    }
    std::string root = NormalizeNativePath(folder);
    if (root.empty()) return "the folder must be an absolute path";
    if (root.size() > 1 && root.back() == '/') root.pop_back();
    int type = TypeFromWord(typeWord);
    if (type == dtUnknown) {
        return "unknown type \"" + std::string(typeWord) +
               "\" (removable, fixed, remote, cdrom or ramdisk)";
    }
    drive = TDriveTable::MakeDrive(letter, std::move(root), type, TrimBlanks(label));
    return {};
}

}  // namespace

TDrive TDriveTable::MakeDrive(char letter, std::string root, int type, std::string_view label)
{
    TDrive drive;
    drive.Letter = static_cast<char>('A' + std::max(0, LetterIndex(letter)));
    drive.Type = type;
    AppendSanitized(drive.DisplayName, label.empty() ? std::string_view(KindText(type)) : label);
    drive.DisplayName += ' ';
    AppendSanitized(drive.DisplayName, root);
    drive.DisplayName += std::string(" (") + drive.Letter + ":)";
    drive.Root = std::move(root);
    return drive;
}

void TDriveTable::Set(const TDrive& drive)
{
    int index = LetterIndex(drive.Letter);
    if (index >= 0) FDrives[static_cast<std::size_t>(index)] = drive;
}

const TDrive* TDriveTable::Find(char letter) const
{
    int index = LetterIndex(letter);
    if (index < 0) return nullptr;
    const auto& slot = FDrives[static_cast<std::size_t>(index)];
    return slot ? &*slot : nullptr;
}

std::vector<TDrive> TDriveTable::Drives() const
{
    std::vector<TDrive> out;
    for (const auto& slot : FDrives) {
        if (slot) out.push_back(*slot);
    }
    return out;
}

TDriveTable TDriveTable::FromSpec(std::string_view text, std::ostream* err)
{
    TDriveTable table;
    while (!text.empty()) {
        std::size_t end = text.find(';');
        std::string_view entry = text.substr(0, end);
        text = (end == std::string_view::npos) ? std::string_view() : text.substr(end + 1);
        while (!entry.empty() && std::isspace(static_cast<unsigned char>(entry.front()))) {
            entry.remove_prefix(1);
        }
        if (TrimBlanks(entry).empty()) continue;
        TDrive drive;
        std::string why = ParseSpecEntry(entry, table, drive);
        if (why.empty()) {
            table.Set(drive);
        } else if (err) {
            *err << "zarvex: ZARVEX_DRIVES: ignored the entry \"" << entry << "\": " << why
                 << '\n';
        }
    }
    return table;
}

TDriveTable TDriveTable::FromFolders(const std::vector<std::string>& nativeFolders)
{
    TDriveTable table;
    char letter = 'C';
    for (const std::string& folder : nativeFolders) {
        if (letter > 'Z') break;
        std::string root = NormalizeNativePath(folder);
        if (root.empty()) continue;
        if (root.size() > 1 && root.back() == '/') root.pop_back();
        table.Set(MakeDrive(letter++, std::move(root), dtFixed));
    }
    return table;
}

TDriveTable TDriveTable::FromMountInfo(std::string_view mountInfo)
{
    return FromMountInfo(mountInfo, TMountProbe{});
}

const TDriveTable& TDriveTable::Current()
{
    std::optional<TDriveTable>& slot = CurrentSlot();
    if (!slot) {
        if (const char* variable = std::getenv("ZARVEX_DRIVES")) {
            slot = FromSpec(variable, &std::cerr);
        } else {
            std::ifstream in("/proc/self/mountinfo", std::ios::binary);
            std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            slot = FromMountInfo(text, SystemProbe());
        }
    }
    return *slot;
}

void TDriveTable::SetCurrent(TDriveTable table)
{
    CurrentSlot() = std::move(table);
}

void TDriveTable::ResetCurrent()
{
    CurrentSlot().reset();
}

int GetDriveType(std::string_view root)
{
    if (root.size() < 2 || root.size() > 3 || root[1] != ':') return dtNoRootDir;
    if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return dtNoRootDir;
    const TDrive* drive = TDriveTable::Current().Find(root[0]);
    if (!drive) return dtNoRootDir;
    struct stat st;
    if (stat(drive->Root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return dtNoRootDir;
    return drive->Type;
}

// ---- The detected table --------------------------------------------------------------------

namespace {

struct TMount {
    std::string Device;  // "major:minor"
    std::string Root;    // the folder of the file system that is mounted
    std::string MountPoint;
    std::string FsType;
    std::string Source;
};

// mountinfo writes blanks, tabs, newlines and backslashes in names as "\ooo".
std::string DecodeOctal(std::string_view field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<long>(i) + 1,
                        field.begin() + static_cast<long>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool ParseMountLine(std::string_view line, TMount& mount)
{
    std::vector<std::string_view> fields;
    while (!line.empty()) {
        std::size_t end = line.find(' ');
        if (end != 0) fields.push_back(line.substr(0, end));
        if (end == std::string_view::npos) break;
        line.remove_prefix(end + 1);
    }
    auto dash = std::find(fields.begin(), fields.end(), std::string_view("-"));
    if (fields.size() < 7 || dash - fields.begin() < 6 || fields.end() - dash < 2) return false;
    mount.Device = fields[2];
    mount.Root = DecodeOctal(fields[3]);
    mount.MountPoint = DecodeOctal(fields[4]);
    mount.FsType = dash[1];
    mount.Source = (fields.end() - dash >= 3) ? DecodeOctal(dash[2]) : std::string();
    return !mount.MountPoint.empty() && mount.MountPoint[0] == '/';
}

bool OneOf(std::string_view value, std::initializer_list<std::string_view> set)
{
    return std::find(set.begin(), set.end(), value) != set.end();
}

// File systems that hold no user files: kernel views, device nodes, runtime state, packages.
bool IsPseudo(const TMount& mount)
{
    static const std::initializer_list<std::string_view> kinds = {
        "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs", "debugfs",
        "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "pstore", "bpf",
        "binfmt_misc", "autofs", "efivarfs", "rpc_pipefs", "nsfs", "selinuxfs", "nfsd",
        "fuse.gvfsd-fuse", "fuse.portal", "fuse.lxcfs", "fuse.snapfuse"};
    if (OneOf(mount.FsType, kinds)) return true;
    const std::string& at = mount.MountPoint;
    if (StartsWithFolder(at, "/run/media")) return false;
    if (StartsWithFolder(at, "/proc") || StartsWithFolder(at, "/sys") ||
        StartsWithFolder(at, "/dev") || StartsWithFolder(at, "/run")) {
        return true;
    }
    return mount.FsType == "squashfs" && StartsWithFolder(at, "/snap");
}

bool IsRemovable(const TMount& mount, const TDriveTable::TMountProbe& probe)
{
    if (StartsWithFolder(mount.MountPoint, "/media") ||
        StartsWithFolder(mount.MountPoint, "/run/media")) {
        return true;
    }
    return probe.IsRemovableDevice && probe.IsRemovableDevice(mount.Source);
}

int MountType(const TMount& mount, const TDriveTable::TMountProbe& probe)
{
    static const std::initializer_list<std::string_view> remote = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph", "glusterfs",
        "fuse.glusterfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "davfs", "fuse.davfs2",
        "lustre", "gpfs", "beegfs"};
    if (OneOf(mount.FsType, remote)) return dtRemote;
    if (OneOf(mount.FsType, {"iso9660", "udf"})) return dtCdRom;
    if (OneOf(mount.FsType, {"tmpfs", "ramfs"})) return dtRamDisk;
    return IsRemovable(mount, probe) ? dtRemovable : dtFixed;
}

// A mount that shows a folder already shown by a kept mount of the same file system (a bind
// mount) would reach the same files through two drives; only the widest view is kept.
std::vector<TMount> DropRepeatedViews(std::vector<TMount> mounts)
{
    std::stable_sort(mounts.begin(), mounts.end(), [](const TMount& a, const TMount& b) {
        if ((a.MountPoint == "/") != (b.MountPoint == "/")) return a.MountPoint == "/";
        if (a.Root.size() != b.Root.size()) return a.Root.size() < b.Root.size();
        return a.MountPoint < b.MountPoint;
    });
    std::vector<TMount> kept;
    for (TMount& mount : mounts) {
        bool covered = std::any_of(kept.begin(), kept.end(), [&](const TMount& k) {
            return k.Device == mount.Device && StartsWithFolder(mount.Root, k.Root);
        });
        if (!covered || mount.MountPoint == "/") kept.push_back(std::move(mount));
    }
    std::sort(kept.begin(), kept.end(),
              [](const TMount& a, const TMount& b) { return a.MountPoint < b.MountPoint; });
    return kept;
}

std::vector<TMount> RealMounts(std::string_view text, const TDriveTable::TMountProbe& probe)
{
    std::vector<TMount> mounts;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = (end == std::string_view::npos) ? std::string_view() : text.substr(end + 1);
        TMount mount;
        if (!ParseMountLine(line, mount) || IsPseudo(mount)) continue;
        if (mount.MountPoint != "/" && probe.IsFolder && !probe.IsFolder(mount.MountPoint)) {
            continue;
        }
        // A later mount on the same point hides the earlier one.
        std::erase_if(mounts, [&](const TMount& m) { return m.MountPoint == mount.MountPoint; });
        mounts.push_back(std::move(mount));
    }
    return DropRepeatedViews(std::move(mounts));
}

bool ReadsOne(const std::string& file)
{
    std::ifstream in(file);
    char c = 0;
    return in.get(c) && c == '1';
}

bool SystemIsRemovableDevice(std::string_view source)
{
    if (source.substr(0, 5) != "/dev/") return false;
    char resolved[PATH_MAX];
    if (!realpath(std::string(source).c_str(), resolved)) return false;
    std::string name(resolved);
    name = name.substr(name.rfind('/') + 1);
    if (name.empty()) return false;
    std::string block = "/sys/class/block/" + name;
    // A partition's flag lies with its disk, one level up from the partition's own folder.
    if (access((block + "/partition").c_str(), F_OK) == 0) return ReadsOne(block + "/../removable");
    return ReadsOne(block + "/removable");
}

bool SystemIsFolder(std::string_view mountPoint)
{
    struct stat st;
    return stat(std::string(mountPoint).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

TDriveTable::TMountProbe TDriveTable::SystemProbe()
{
    TMountProbe probe;
    probe.IsRemovableDevice = SystemIsRemovableDevice;
    probe.IsFolder = SystemIsFolder;
    return probe;
}

TDriveTable TDriveTable::FromMountInfo(std::string_view mountInfo, const TMountProbe& probe)
{
    TDriveTable table;
    table.Set(MakeDrive('C', "/", dtFixed));
    char nextRemovable = 'A';
    char next = 'D';
    for (const TMount& mount : RealMounts(mountInfo, probe)) {
        int type = MountType(mount, probe);
        if (mount.MountPoint == "/") {
            table.Set(MakeDrive('C', "/", type));
        } else if (type == dtRemovable && nextRemovable <= 'B') {
            table.Set(MakeDrive(nextRemovable++, mount.MountPoint, type));
        } else if (next <= 'Z') {
            table.Set(MakeDrive(next++, mount.MountPoint, type));
        }
    }
    return table;
}
