#pragma once
// The drive table: letters A to Z, each absent or standing for one native root folder.
//
// Detected from the mounted file systems (/proc/self/mountinfo): C: is "/", removable media
// take A: and B: first, every other real file system the next free letter from D: in order of
// its mount point (letters run out at Z:). Pseudo file systems get none: kernel views (proc,
// sysfs, cgroup, devpts...), anything mounted below /proc, /sys, /dev or /run (except
// /run/media), and snap packages. Of a mount point used twice, the later mount is the one
// seen. A bind mount that shows a folder another drive already shows (same device, its root
// inside the other's) gets no letter either, so a file is not reached through two drives.
// Types: nfs, cifs, sshfs and the like are remote; iso9660 and udf CD-ROM; tmpfs and ramfs
// RAM disks; media below /media or /run/media, or on a device that sysfs calls removable,
// removable; the rest fixed.
//
// ZARVEX_DRIVES, when set (even empty), replaces the detected table whole: entries
// "LETTER=FOLDER[,TYPE[,LABEL]]" separated by ";", TYPE one of removable, fixed, remote,
// cdrom, ramdisk (default fixed), FOLDER absolute. A malformed entry (no letter, a relative
// folder, an unknown type, a letter given twice) is reported once on standard error and
// ignored.
//
// Display names read "<label or kind> <folder> (X:)", e.g. "Local Disk / (C:)"; the part
// before the letter never holds ":)", which would mislead the drive list about the letter.
//
// The table in use is a process-wide value for the user-interface thread; it is not guarded
// against other threads.
#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The Windows drive types.
enum TDriveType : int {
    dtUnknown = 0,
    dtNoRootDir = 1,
    dtRemovable = 2,
    dtFixed = 3,
    dtRemote = 4,
    dtCdRom = 5,
    dtRamDisk = 6,
};

struct TDrive {
    char Letter = 0;          // 'A' to 'Z'
    std::string Root;         // native folder, no trailing "/" except for "/" itself
    int Type = dtUnknown;     // type as configured or detected
    std::string DisplayName;  // e.g. "Local Disk (C:)"; tells the native folder too
};

class TDriveTable {
public:
    // The table in use: set by SetCurrent, else read once from ZARVEX_DRIVES or the mounts.
    static const TDriveTable& Current();
    static void SetCurrent(TDriveTable table);
    // Forgets the table in use, so the next Current() reads the environment again.
    static void ResetCurrent();

    // Parses ZARVEX_DRIVES text; each malformed entry gets one line on err (when given).
    static TDriveTable FromSpec(std::string_view text, std::ostream* err);
    // Builds the detected table from /proc/self/mountinfo text, judging by the text alone:
    // media mounted below /media or /run/media count as removable.
    static TDriveTable FromMountInfo(std::string_view mountInfo);
    // What the text alone cannot tell; either function may be null.
    struct TMountProbe {
        // The mount source (e.g. "/dev/sdb1") is a removable medium.
        bool (*IsRemovableDevice)(std::string_view source) = nullptr;
        // The mount point is a folder (bind mounts of single files are no drives).
        bool (*IsFolder)(std::string_view mountPoint) = nullptr;
    };
    static TDriveTable FromMountInfo(std::string_view mountInfo, const TMountProbe& probe);
    // The probe that asks the running system (sysfs, stat).
    static TMountProbe SystemProbe();
    // One fixed drive per native folder, C:, D:, ... in the order given (zarvex-find).
    static TDriveTable FromFolders(const std::vector<std::string>& nativeFolders);

    void Set(const TDrive& drive);  // replaces the entry of drive.Letter
    // A drive (letter A to Z, either case) whose display name is made from its type, root and
    // label (the kind of drive when the label is empty).
    static TDrive MakeDrive(char letter, std::string root, int type, std::string_view label = {});
    const TDrive* Find(char letter) const;  // letter in either case; nullptr when absent
    std::vector<TDrive> Drives() const;     // present drives, A to Z

private:
    std::array<std::optional<TDrive>, 26> FDrives;
};

// The drive type of a root in the program's form ("C:\"): dtNoRootDir when the letter is
// absent or its native folder does not exist, else the drive's type.
int GetDriveType(std::string_view root);
