#include "views/DiskList.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/Drives.h"
#include "support/TempTree.h"

namespace {

class DiskListTest : public testing::Test {
protected:
    TTempTree FTree;
    TDiskListView FView;

    // A floppy, a fixed disk, a CD-ROM and a network drive, as a machine shows them, plus a
    // letter whose root folder is gone.
    TDriveTable MachineDrives()
    {
        for (const char* dir : {"a", "c", "d", "z"}) FTree.MakeDir(dir);
        return TDriveTable::FromSpec("A=" + FTree.Path("a") + ",removable;C=" + FTree.Path("c") +
                                         ";D=" + FTree.Path("d") + ",cdrom;Z=" + FTree.Path("z") +
                                         ",remote;M=" + FTree.Path("missing"),
                                     nullptr);
    }

    std::string Captions() const
    {
        std::string letters;
        for (int i = 0; i < FView.topLevelItemCount(); ++i)
            letters += TDiskListView::DriveLetterOf(FView.topLevelItem(i)->text(0));
        return letters;
    }

    std::string ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(DiskListTest, DriveLetterOfCaptions)
{
    EXPECT_EQ(TDiskListView::DriveLetterOf("Local Disk (C:)"), 'C');
    EXPECT_EQ(TDiskListView::DriveLetterOf("stick (a:)"), 'A');
    EXPECT_EQ(TDiskListView::DriveLetterOf("two (C:) and (D:)"), 'C');
    EXPECT_EQ(TDiskListView::DriveLetterOf("Network"), ' ');
    EXPECT_EQ(TDiskListView::DriveLetterOf("(C:)"), ' ');        // no blank before "("
    EXPECT_EQ(TDiskListView::DriveLetterOf(":) x ("), ' ');      // nothing before ":)"
    EXPECT_EQ(TDiskListView::DriveLetterOf("Disk (\u00E9:)"), ' ');  // no ASCII letter
}

TEST_F(DiskListTest, FillListsUsableDrivesInLetterOrderAndChoosesFixedOnes)
{
    const TDriveTable table = MachineDrives();
    FView.FillDrives(table);
    EXPECT_EQ(Captions(), "ACDZ");
    EXPECT_EQ(FView.SelectedDrives(), "C");
    for (int i = 0; i < FView.topLevelItemCount(); ++i) {
        const QIcon icon = FView.topLevelItem(i)->icon(0);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.availableSizes().value(0), QSize(16, 16));
    }

    FView.SetSelectLocalDrives(false);
    FView.SetSelectedDrives("ACDZ");
    FView.FillDrives(table);
    EXPECT_EQ(FView.SelectedDrives(), "") << "a fill drops the earlier choice";
}

TEST_F(DiskListTest, EmptyDriveTableGivesNoRows)
{
    FView.FillDrives(TDriveTable());
    EXPECT_EQ(FView.topLevelItemCount(), 0);
    EXPECT_EQ(FView.SelectedDrives(), "");
}

TEST_F(DiskListTest, WritingSelectedDrivesChoosesExactlyTheNamedRows)
{
    FView.FillDrives(MachineDrives());
    FView.SetSelectedDrives("dc");
    EXPECT_EQ(FView.SelectedDrives(), "CD");
    FView.SetSelectedDrives("z?1q");
    EXPECT_EQ(FView.SelectedDrives(), "Z");
    FView.SetSelectedDrives("");
    EXPECT_EQ(FView.SelectedDrives(), "");
}

TEST_F(DiskListTest, RowWithoutLetterGivesABlank)
{
    FView.FillDrives(MachineDrives());
    FView.topLevelItem(1)->setText(0, "Network");
    FView.SetSelectedDrives(" A");
    EXPECT_EQ(FView.SelectedDrives(), "A ");
}

TEST_F(DiskListTest, ChangeIsToldOncePerChangeAndNotWithoutOne)
{
    FView.FillDrives(MachineDrives());
    int changes = 0;
    QObject::connect(&FView, &TDiskListView::Change, [&changes] { ++changes; });
    FView.SetSelectedDrives("ACDZ");
    EXPECT_EQ(changes, 1);
    FView.SetSelectedDrives("zdca");
    EXPECT_EQ(changes, 1);
    FView.topLevelItem(0)->setSelected(false);  // as a user's click
    EXPECT_EQ(changes, 2);
}

TEST_F(DiskListTest, CheckBoxesDecideTheChoiceWhenShown)
{
    FView.SetCheckboxes(true);
    FView.FillDrives(MachineDrives());
    EXPECT_EQ(FView.SelectedDrives(), "C");
    FView.topLevelItem(0)->setSelected(true);
    EXPECT_EQ(FView.SelectedDrives(), "C") << "selection does not choose with check boxes";
    FView.SetSelectedDrives("AZ");
    EXPECT_EQ(FView.topLevelItem(0)->checkState(0), Qt::Checked);
    EXPECT_EQ(FView.SelectedDrives(), "AZ");
}

TEST_F(DiskListTest, SelectionFileHoldsOneByteAPerLetter)
{
    FView.FillDrives(MachineDrives());
    FView.SetSelectedDrives("CD");
    const std::string file = FTree.Path("drives.sel");
    ASSERT_TRUE(FView.SaveToFile(file));
    std::string expected(26, '\0');
    expected[2] = expected[3] = 1;
    EXPECT_EQ(ReadBytes(file), expected);

    FView.SetSelectedDrives("AZ");
    ASSERT_TRUE(FView.LoadFromFile(file));
    EXPECT_EQ(FView.SelectedDrives(), "CD");
}

TEST_F(DiskListTest, LoadIgnoresBytesAfterTheTwentySixthAndUnchoosesRowsWithoutLetter)
{
    FView.FillDrives(MachineDrives());
    FView.topLevelItem(3)->setText(0, "Network");
    FView.SetSelectedDrives("A ");
    std::string bytes(26, '\0');
    bytes[25] = 7;  // Z, now a row without letter
    bytes[2] = 1;
    FTree.WriteFile("long.sel", bytes + std::string(10, '\1'));
    ASSERT_TRUE(FView.LoadFromFile(FTree.Path("long.sel")));
    EXPECT_EQ(FView.SelectedDrives(), "C");
}

TEST_F(DiskListTest, FailedLoadOrSaveChangesNothing)
{
    FView.FillDrives(MachineDrives());
    FView.SetSelectedDrives("AZ");
    FTree.WriteFile("short.sel", std::string(25, '\1'));
    EXPECT_FALSE(FView.LoadFromFile(FTree.Path("short.sel")));
    EXPECT_FALSE(FView.LoadFromFile(FTree.Path("missing.sel")));
    EXPECT_FALSE(FView.LoadFromFile(FTree.Path("a")));  // a folder
    EXPECT_EQ(FView.SelectedDrives(), "AZ");
    EXPECT_FALSE(FView.SaveToFile(FTree.Path("no/such/folder/x.sel")));
}

}  // namespace
