#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

std::string Summary(const TDriveTable& table)
{
    std::string out;
    for (const TDrive& drive : table.Drives())
        out += std::string(1, drive.Letter) + "=" + drive.Root + "," + std::to_string(drive.Type) +
               ";";
    return out;
}

int CountLines(const std::string& text)
{
    return int(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

// Good entries are read; each malformed one (no letter, no "=", a relative folder, an unknown
// type, a letter given twice) is reported once and left out.
TEST(DriveTableVariable, ReadsLettersFoldersTypesAndLabelsAndReportsMistakes)
{
    std::ostringstream err;
    TDriveTable table = TDriveTable::FromSpec(
        "A=/media/stick,removable;c=/srv/c/;E=/net/share,remote,Team files;"
        "F=/cd,CDROM;G=/ram,ramdisk;H=/srv/x/../h;Z=/odd:)name,fixed,Smile :) line\nbreak;"
        "1=/x;C;D=relative/path;B=/b,floppy;C=/again;;  ",
        &err);
    EXPECT_EQ(CountLines(err.str()), 5) << err.str();
    EXPECT_NE(err.str().find("B=/b,floppy"), std::string::npos);
    EXPECT_NE(err.str().find("C=/again"), std::string::npos);
    EXPECT_EQ(
        Summary(table),
        "A=/media/stick,2;C=/srv/c,3;E=/net/share,4;F=/cd,5;G=/ram,6;H=/srv/h,3;Z=/odd:)name,3;");
    EXPECT_EQ(table.Find('a'), table.Find('A'));
    EXPECT_EQ(table.Find('E')->DisplayName, "Team files /net/share (E:)");
    EXPECT_EQ(table.Find('C')->DisplayName, "Local Disk /srv/c (C:)");
    // The first ":)" of a name is the one after its letter, whatever the folder and label hold.
    EXPECT_EQ(table.Find('Z')->DisplayName.find(":)"), table.Find('Z')->DisplayName.size() - 2);
    EXPECT_EQ(table.Find('Z')->DisplayName.find('\n'), std::string::npos);

    // The program's table is read from the environment once, its mistakes told once.
    TEnvGuard env("ZARVEX_DRIVES", "C=/srv/c;D=/no/such/folder;bad");
    err.str("");
    std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
    TDriveTable::ResetCurrent();
    const TDriveTable& first = TDriveTable::Current();
    EXPECT_EQ(&first, &TDriveTable::Current());
    std::cerr.rdbuf(old);
    EXPECT_EQ(CountLines(err.str()), 1) << err.str();
    EXPECT_EQ(Summary(first), "C=/srv/c,3;D=/no/such/folder,3;");
    TDriveTable::ResetCurrent();
}

namespace {

const char* const kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw - devtmpfs devtmpfs rw\n"
    "25 24 0:23 / /dev/shm rw - tmpfs tmpfs rw\n"
    "26 27 0:24 / /run rw shared:5 - tmpfs tmpfs rw\n"
    "27 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
    "28 27 8:3 / /home rw shared:2 - ext4 /dev/sda3 rw\n"
    "29 27 8:1 / /boot/efi rw - vfat /dev/sda1 rw\n"
    "30 26 8:17 / /run/media/ann/STICK\\040ONE rw - vfat /dev/sdb1 rw\n"
    "31 27 8:33 / /media/card rw - exfat /dev/sdc1 rw\n"
    "32 27 8:49 / /media/third rw - vfat /dev/sdd1 rw\n"
    "33 27 0:40 / /mnt/nas rw - nfs4 nas:/export rw\n"
    "34 27 11:0 / /mnt/cd ro - iso9660 /dev/sr0 ro\n"
    "35 27 0:41 / /mnt/ram rw - tmpfs tmpfs rw\n"
    "36 27 8:3 /ann/data /srv/data rw - ext4 /dev/sda3 rw\n"
    "37 27 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
    "38 27 0:42 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
    "39 27 8:65 / /mnt/old rw - ext4 /dev/sde1 rw\n"
    "40 27 8:66 / /mnt/old rw - xfs /dev/sde2 rw\n"
    "garbage line\n"
    "41 27 8:80 / \n";

}  // namespace

TEST(DriveTableMounts, LettersFollowTheDetectionRules)
{
    // Removable media first on A: and B:, "/" on C:, the rest from D: in mount-point order;
    // a bind mount of a folder already on a drive, pseudo file systems, snaps and a mount
    // hidden by a later one on the same point get no letter.
    EXPECT_EQ(Summary(TDriveTable::FromMountInfo(kMountInfo)),
              "A=/media/card,2;B=/media/third,2;C=/,3;D=/boot/efi,3;E=/home,3;F=/mnt/cd,5;"
              "G=/mnt/nas,4;H=/mnt/old,3;I=/mnt/ram,6;J=/run/media/ann/STICK ONE,2;");

    // Letters run out at Z:.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "1 1 9:" + std::to_string(i) + " / /mnt/d" + std::to_string(100 + i) +
                " rw - ext4 x rw\n";
    TDriveTable crowded = TDriveTable::FromMountInfo(text);
    EXPECT_EQ(crowded.Drives().size(), 24u);  // C: and D: to Z:
    EXPECT_EQ(crowded.Find('Z')->Root, "/mnt/d122");
}
