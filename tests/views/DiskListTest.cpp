#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/Drives.h"
#include "support/TempTree.h"
#include "views/DiskList.h"

namespace {

class DiskListTest : public testing::Test {
protected:
    TTempTree FTree;
    TDiskListView FView;

    // A floppy, a fixed disk, a CD-ROM, a network drive and a letter whose root is gone.
    TDriveTable MachineDrives()
    {
        for (const char* dir : {"a", "c", "d", "z"}) FTree.MakeDir(dir);
        return TDriveTable::FromSpec("A=" + FTree.Path("a") + ",removable;C=" + FTree.Path("c") +
                                         ";D=" + FTree.Path("d") + ",cdrom;Z=" + FTree.Path("z") +
                                         ",remote;M=" + FTree.Path("missing"),
                                     nullptr);
    }
};

TEST(DiskListCaption, DriveLetterOf)
{
    EXPECT_EQ(TDiskListView::DriveLetterOf("Local Disk (C:)"), 'C');
    EXPECT_EQ(TDiskListView::DriveLetterOf("stick (a:)"), 'A');
    EXPECT_EQ(TDiskListView::DriveLetterOf("Network"), ' ');
    EXPECT_EQ(TDiskListView::DriveLetterOf("(C:)"), ' ');            // no blank before "("
    EXPECT_EQ(TDiskListView::DriveLetterOf("Disk (\u00E9:)"), ' ');  // no ASCII letter
}

TEST_F(DiskListTest, FillListsUsableDrivesInLetterOrderAndChoosesFixedOnes)
{
    const TDriveTable table = MachineDrives();
    FView.FillDrives(table);
    std::string letters;
    for (int i = 0; i < FView.topLevelItemCount(); ++i)
        letters += TDiskListView::DriveLetterOf(FView.topLevelItem(i)->text(0));
    EXPECT_EQ(letters, "ACDZ");
    EXPECT_EQ(FView.SelectedDrives(), "C");

    FView.SetSelectLocalDrives(false);
    FView.SetSelectedDrives("ACDZ");
    FView.FillDrives(table);
    EXPECT_EQ(FView.SelectedDrives(), "") << "a fill drops the earlier choice";
}

TEST_F(DiskListTest, WritingSelectedDrivesChoosesExactlyTheNamedRows)
{
    FView.FillDrives(MachineDrives());
    int changes = 0;
    QObject::connect(&FView, &TDiskListView::Change, [&changes] { ++changes; });
    FView.SetSelectedDrives("dc");
    EXPECT_EQ(FView.SelectedDrives(), "CD");
    EXPECT_EQ(changes, 1) << "one Change per change";
    FView.SetSelectedDrives("z?1q");
    EXPECT_EQ(FView.SelectedDrives(), "Z");
    FView.SetSelectedDrives("ZZ");
    EXPECT_EQ(changes, 2) << "no Change without one";
    FView.topLevelItem(3)->setSelected(false);  // as a user's click
    EXPECT_EQ(changes, 3);
    // With check boxes shown, the checks choose and the selection does not.
    FView.SetCheckboxes(true);
    FView.topLevelItem(0)->setSelected(true);
    FView.SetSelectedDrives("AZ");
    EXPECT_EQ(FView.SelectedDrives(), "AZ");
}

TEST_F(DiskListTest, SelectionFile)
{
    FView.FillDrives(MachineDrives());
    FView.SetSelectedDrives("CD");
    const std::string file = FTree.Path("drives.sel");
    ASSERT_TRUE(FView.SaveToFile(file));
    std::ifstream in(file, std::ios::binary);
    std::string expected(26, '\0');
    expected[2] = expected[3] = 1;
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);

    // Bytes after the 26th are ignored; a row without a letter is unchosen.
    FView.topLevelItem(3)->setText(0, "Network");
    FView.SetSelectedDrives("A ");
    FTree.WriteFile("long.sel", std::string(2, '\0') + '\1' + std::string(22, '\0') + "\7\1\1");
    ASSERT_TRUE(FView.LoadFromFile(FTree.Path("long.sel")));
    EXPECT_EQ(FView.SelectedDrives(), "C");

    // A failed load changes nothing.
    FTree.WriteFile("short.sel", std::string(25, '\1'));
    for (const char* bad : {"short.sel", "missing.sel", "a"})
        EXPECT_FALSE(FView.LoadFromFile(FTree.Path(bad))) << bad;
    EXPECT_EQ(FView.SelectedDrives(), "C");
}

}  // namespace
