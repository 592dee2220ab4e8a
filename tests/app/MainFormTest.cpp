// The main window without a search: settings, the size rule, the caption, the layout and its
// limits, the first timer tick and the default button.
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QStatusBar>
#include <QTabWidget>

#include "WindowFixture.h"
#include "platform/Settings.h"
#include "versinfo/VersInfo.h"
#include "views/DiskList.h"
#include "views/FileList.h"

namespace {

class MainFormTest : public WindowFixture {
protected:
    std::string Stored(const char* name)
    {
        TSettingsKey key;
        std::string value = "<absent>";
        key.ReadString(name, value);
        return value;
    }
    void LoseFocus(QWidget* widget)
    {
        QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(widget, &event);
    }
    void PressEnter(QWidget* widget, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_Return, modifiers, QStringLiteral("\r"));
        QApplication::sendEvent(widget, &event);
    }
};

TEST_F(MainFormTest, FirstStartShowsDefaultsCreatesTheKeyAndWritesItAtClose)
{
    TfrmMain& form = Open();
    EXPECT_EQ(Edit("edtFileMask")->text(), "*.*");
    EXPECT_EQ(Edit("edtRootDir")->text(), "\\");
    EXPECT_EQ(Edit("edtSkipFolder")->text(), "");
    for (const char* name : {"chkCheckFileTimestamp", "chkSkipEmptyFiles", "chkFloppyIsMaster",
                             "chkSkipSysbckup", "chkSkipDesktopFolders", "chkCheckFilesize"})
        EXPECT_TRUE(Check(name)->isChecked()) << name;
    EXPECT_FALSE(Check("chkCheckFilename")->isChecked());
    EXPECT_TRUE(Check("chkCheckFilename")->isEnabled());
    EXPECT_EQ(Title(), "Zarvex");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheetBasic");
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2) + "|" + Panel(3), "|Bytes:|Files:|");
    EXPECT_FALSE(form.ProgressBar->isVisibleTo(&form));
    EXPECT_EQ(Stored("FileMask"), "<absent>");
    EXPECT_TRUE(std::ifstream(KeyFile()).good()) << "the key exists from the first start";

    form.close();
    EXPECT_EQ(Stored("FoldersToIgnore"), "");
    EXPECT_EQ(Stored("FileMask"), "*.*");
    EXPECT_EQ(Stored("RootFolder"), "\\");
    EXPECT_EQ(Stored("CheckFileStamp"), "1");
    EXPECT_EQ(Stored("CheckFileName"), "0");
    EXPECT_EQ(Stored("SkipDesktopFolders"), "1");
}

TEST_F(MainFormTest, StoredTextsAreUsedAsStoredAlsoWhenEmpty)
{
    WriteSettings("FileMask=\nRootFolder=\\\\docs\\\\\nFoldersToIgnore=sp3\n");
    Open();
    EXPECT_EQ(Edit("edtFileMask")->text(), "");
    EXPECT_EQ(Edit("edtRootDir")->text(), "\\docs\\");
    EXPECT_EQ(Edit("edtSkipFolder")->text(), "sp3");
}

TEST_F(MainFormTest, StoredBooleans)
{
    WriteSettings("FloppyIsMaster=5\nSkipSysbckupFolder=\nSkipEmptyFiles=yes\n"
                  "SkipDesktopFolders=0\nCheckFileName=-1\n");
    Open();
    EXPECT_TRUE(Check("chkFloppyIsMaster")->isChecked()) << "5 is true";
    EXPECT_TRUE(Check("chkSkipSysbckup")->isChecked()) << "empty gives the default";
    EXPECT_TRUE(Check("chkSkipEmptyFiles")->isChecked()) << "no integer gives the default";
    EXPECT_FALSE(Check("chkSkipDesktopFolders")->isChecked());
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
}

TEST_F(MainFormTest, SizeRuleStoredOffOverridesTheOtherTwoAndIsWrittenBack)
{
    WriteSettings("CheckFileSize=0\nCheckFileName=0\nCheckFileStamp=1\n");
    TfrmMain& form = Open();
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
    EXPECT_FALSE(Check("chkCheckFilename")->isEnabled());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isChecked());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isEnabled());
    form.close();
    EXPECT_EQ(Stored("CheckFileName"), "1");
    EXPECT_EQ(Stored("CheckFileStamp"), "0");
    EXPECT_EQ(Stored("CheckFileSize"), "0");

    Open();  // the next start comes up the same way
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isEnabled());
}

TEST_F(MainFormTest, SizeRuleStoredOnLeavesTheStoredStates)
{
    WriteSettings("CheckFileSize=1\nCheckFileName=1\nCheckFileStamp=0\n");
    Open();
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
    EXPECT_TRUE(Check("chkCheckFilename")->isEnabled());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isChecked());
    EXPECT_TRUE(Check("chkCheckFileTimestamp")->isEnabled());
}

TEST_F(MainFormTest, RecheckingTheSizeBoxDoesNotBringBackEarlierStates)
{
    Open();
    Check("chkCheckFilesize")->click();
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isChecked());
    Check("chkCheckFilesize")->click();
    EXPECT_TRUE(Check("chkCheckFilename")->isEnabled());
    EXPECT_TRUE(Check("chkCheckFileTimestamp")->isEnabled());
    EXPECT_TRUE(Check("chkCheckFilename")->isChecked());
    EXPECT_FALSE(Check("chkCheckFileTimestamp")->isChecked());
}

TEST_F(MainFormTest, GarbledOrUnreadableSettingsGiveDefaults)
{
    WriteSettings(std::string("\xff\xfe[[[\nFileMask\n=\x01\n", 17));
    Open().close();
    EXPECT_EQ(Edit("edtFileMask")->text(), "*.*");
    EXPECT_EQ(Stored("FileMask"), "*.*") << "the close rewrote a usable key";

    std::filesystem::remove(KeyFile());
    FTree.MakeDir("config/Quillmoor/Zarvex.conf");
    Open().close();  // neither read nor write can succeed; the window does not mind
    EXPECT_TRUE(Check("chkCheckFilesize")->isChecked());
}

TEST_F(MainFormTest, CaptionNamesMaskDrivesAndFolders)
{
    TfrmMain& form = OpenAndStart();
    EXPECT_EQ(Title(), "Zarvex named *.* on C: D: in \\");
    form.DiskListView1->SetSelectedDrives("");
    EXPECT_EQ(Title(), "Zarvex named *.* on in \\");

    Edit("edtFileMask")->setText("*.txt");
    Edit("edtSkipFolder")->setText("tmp");
    LoseFocus(Edit("edtSkipFolder"));
    EXPECT_EQ(Title(), "Zarvex named *.* on in \\") << "the skip box does not rebuild it";
    LoseFocus(Edit("edtFileMask"));
    EXPECT_EQ(Title(), "Zarvex named *.txt on in \\");
    Edit("edtRootDir")->setText("\\docs\\");
    LoseFocus(Edit("edtRootDir"));
    EXPECT_EQ(Title(), "Zarvex named *.txt on in \\docs\\");
}

TEST_F(MainFormTest, FirstTickComesOnceFromTheEventLoopAndFillsTheDrives)
{
    TfrmMain& form = Open();
    EXPECT_EQ(form.DiskListView1->topLevelItemCount(), 0);
    EXPECT_TRUE(form.Timer1->isActive());
    QElapsedTimer clock;
    clock.start();
    while (form.DiskListView1->topLevelItemCount() == 0 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(form.DiskListView1->SelectedDrives(), "CD");
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(MainFormTest, MinimumSizeAndTheResultsListTakesTheExtraRoom)
{
    TfrmMain& form = Open();
    form.show();  // a hidden window is laid out when shown
    const QSize created = form.size();
    EXPECT_EQ(form.minimumSize(), created - QSize(10, 50));
    form.resize(100, 100);
    EXPECT_EQ(form.size(), form.minimumSize());

    form.resize(created);
    const QRect list = form.FileListView1->geometry();
    form.resize(created + QSize(300, 200));
    EXPECT_EQ(form.FileListView1->geometry(), list.adjusted(0, 0, 300, 200));
    EXPECT_EQ(form.PageControl1->geometry().right(), form.width() - 5);
    EXPECT_EQ(form.GroupBox1->width(), form.PageControl1->x() - 20);
    EXPECT_EQ(form.btnExit->geometry().right(), form.GroupBox1->width() - 9);
    EXPECT_EQ(form.btnSearch->geometry().right(), form.btnExit->x() - 17);
    EXPECT_EQ(form.Label7->geometry().right() + 1, form.edtRootDir->x());
    EXPECT_EQ(form.Label2->geometry().right() + 1, form.edtFileMask->x());
    EXPECT_EQ(form.Label1->geometry().right() + 1, form.edtSkipFolder->x());
    EXPECT_EQ(form.DiskListView1->geometry().right(), form.btnSearch->x() - 15);
    EXPECT_EQ(form.lblVersion->geometry().bottom() + 1, form.StatusBar1->y());
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, form.height() - 20, form.width(), 20));
    EXPECT_EQ(form.FileListView1->geometry().bottom() + 3, form.lblVersion->y());
}

TEST_F(MainFormTest, TabOrderInsideTheSearchGroup)
{
    TfrmMain& form = Open();
    const std::vector<QWidget*> expected = {form.edtFileMask, form.edtRootDir, form.edtSkipFolder,
                                            form.btnSearch,   form.btnExit,    form.DiskListView1};
    QWidget* widget = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        do widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !form.GroupBox1->isAncestorOf(widget));
        EXPECT_EQ(widget, expected[i]) << i;
    }
}

TEST_F(MainFormTest, VersionLabelShowsTheProgramsOwnVersion)
{
    TfrmMain& form = Open();
    const QString version = form.VersionInfoResource1->FileVersion().AsString();
    EXPECT_FALSE(version.isEmpty());
    EXPECT_EQ(form.lblVersion->text(),
              "Zarvex version: V" + version + QString::fromUtf8(" \u00A9 Quillmoor"));
    EXPECT_EQ(form.lblVersion->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

TEST_F(MainFormTest, EnterAnywhereInTheWindowPressesTheDefaultButton)
{
    TfrmMain& form = OpenAndStart();
    int searches = 0;
    QObject::connect(form.btnSearch, &QPushButton::clicked, [&searches] { ++searches; });
    PressEnter(Edit("edtSkipFolder"));
    PressEnter(form.FileListView1);
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(Panel(3), "Scan complete");

    PressEnter(form.FileListView1, Qt::ControlModifier);
    QWidget elsewhere;
    PressEnter(&elsewhere);
    form.btnSearch->setEnabled(false);
    PressEnter(Edit("edtRootDir"));
    form.btnSearch->setEnabled(true);
    form.SetDefaultButton(nullptr);
    PressEnter(form.FileListView1);
    EXPECT_EQ(searches, 2);
}

}  // namespace
