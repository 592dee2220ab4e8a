// The main window without a search: settings, the size rule, the caption, the layout, the
// first timer tick, the default button, and that no text is clipped.
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <filesystem>
#include <fstream>

#include "WindowFixture.h"
#include "app/Application.h"
#include "versinfo/VersInfo.h"
#include "views/DiskList.h"

namespace {

class MainFormTest : public WindowFixture {
protected:
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
    // The file name and stamp rule boxes: "on", "off", with "/locked" when disabled.
    std::string NameAndStampRules() const
    {
        std::string text;
        for (const char* name : {"chkCheckFilename", "chkCheckFileTimestamp"}) {
            const QCheckBox* box = Check(name);
            text += std::string(text.empty() ? "" : " ") + (box->isChecked() ? "on" : "off") +
                    (box->isEnabled() ? "" : "/locked");
        }
        return text;
    }
};

TEST_F(MainFormTest, FirstStartShowsDefaultsCreatesTheKeyAndWritesItAtClose)
{
    TfrmMain& form = Open();
    EXPECT_EQ(Edit("edtFileMask")->text(), "*.*");
    EXPECT_EQ(Edit("edtRootDir")->text(), "\\");
    EXPECT_EQ(Edit("edtSkipFolder")->text(), "");
    for (const char* name : {"chkSkipEmptyFiles", "chkFloppyIsMaster", "chkSkipSysbckup",
                             "chkSkipDesktopFolders", "chkCheckFilesize"})
        EXPECT_TRUE(Check(name)->isChecked()) << name;
    EXPECT_EQ(NameAndStampRules(), "off on");
    EXPECT_EQ(Title(), "Zarvex");
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->currentWidget()->objectName(), "TabSheetBasic");
    EXPECT_EQ(Panel(0) + "|" + Panel(1) + "|" + Panel(2) + "|" + Panel(3), "|Bytes:|Files:|");
    EXPECT_FALSE(form.ProgressBar->isVisibleTo(&form));
    const QString version = form.VersionInfoResource1->FileVersion().AsString();
    EXPECT_FALSE(version.isEmpty());
    EXPECT_EQ(form.lblVersion->text(), "Zarvex version: V" + version + " \u00A9 Quillmoor");
    EXPECT_EQ(Stored("FileMask"), "<absent>");
    EXPECT_TRUE(std::ifstream(KeyFile()).good()) << "the key exists from the first start";

    form.close();
    EXPECT_EQ(Stored("FoldersToIgnore"), "");
    EXPECT_EQ(Stored("FileMask"), "*.*");
    EXPECT_EQ(Stored("RootFolder"), "\\");
    EXPECT_EQ(Stored("CheckFileStamp") + Stored("CheckFileName"), "10");
}

TEST_F(MainFormTest, StoredSettingsAsStoredElseTheDefaults)
{
    WriteSettings("FileMask=\nRootFolder=\\\\docs\\\\\nFoldersToIgnore=sp3\nFloppyIsMaster=5\n"
                  "SkipSysbckupFolder=\nSkipEmptyFiles=yes\nSkipDesktopFolders=0\n");
    Open();
    EXPECT_EQ(Edit("edtFileMask")->text(), "") << "an empty text is used as stored";
    EXPECT_EQ(Edit("edtRootDir")->text(), "\\docs\\");
    EXPECT_EQ(Edit("edtSkipFolder")->text(), "sp3");
    EXPECT_TRUE(Check("chkFloppyIsMaster")->isChecked()) << "5 is true";
    EXPECT_TRUE(Check("chkSkipSysbckup")->isChecked()) << "empty gives the default";
    EXPECT_TRUE(Check("chkSkipEmptyFiles")->isChecked()) << "no integer gives the default";
    EXPECT_FALSE(Check("chkSkipDesktopFolders")->isChecked());

    WriteSettings(std::string("\xff\xfe[[[\nFileMask\n=\x01\n", 17));
    Open().close();
    EXPECT_EQ(Edit("edtFileMask")->text(), "*.*");
    EXPECT_EQ(Stored("FileMask"), "*.*") << "the close rewrote a usable key";

    std::filesystem::remove(KeyFile());
    FTree.MakeDir("config/Quillmoor/Zarvex.conf");
    Open().close();  // neither read nor write can succeed; the window does not mind
    EXPECT_TRUE(Check("chkCheckFilesize")->isChecked());
}

TEST_F(MainFormTest, SizeRuleOffForcesTheNameRuleOnAndTheStampRuleOff)
{
    Open();
    Check("chkCheckFilesize")->click();
    EXPECT_EQ(NameAndStampRules(), "on/locked off/locked");
    Check("chkCheckFilesize")->click();
    EXPECT_EQ(NameAndStampRules(), "on off") << "the earlier states do not come back";

    WriteSettings("CheckFileSize=1\nCheckFileName=1\nCheckFileStamp=0\n");
    Open();
    EXPECT_EQ(NameAndStampRules(), "on off");
    WriteSettings("CheckFileSize=0\nCheckFileName=0\nCheckFileStamp=1\n");
    Open();
    EXPECT_EQ(NameAndStampRules(), "on/locked off/locked");
    Form->close();
    EXPECT_EQ(Stored("CheckFileName") + Stored("CheckFileStamp") + Stored("CheckFileSize"), "100");
    Open();
    EXPECT_EQ(NameAndStampRules(), "on/locked off/locked") << "the next start";
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
    Edit("edtRootDir")->setText("\\docs\\");
    LoseFocus(Edit("edtRootDir"));
    EXPECT_EQ(Title(), "Zarvex named *.txt on in \\docs\\");
}

TEST_F(MainFormTest, FirstTickComesOnceFromTheEventLoopAndFillsTheDrives)
{
    TfrmMain& form = Open();
    EXPECT_EQ(form.DiskListView1->topLevelItemCount(), 0);
    QElapsedTimer clock;
    clock.start();
    while (form.DiskListView1->topLevelItemCount() == 0 && clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(form.DiskListView1->SelectedDrives(), "CD");
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(MainFormTest, MinimumSizeResultsListTakesTheExtraRoomAndTabOrder)
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
    EXPECT_EQ(form.btnExit->geometry().right(), form.GroupBox1->width() - 9);
    EXPECT_EQ(form.DiskListView1->geometry().right(), form.btnSearch->x() - 15);
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, form.height() - 20, form.width(), 20));

    const std::vector<QWidget*> order = {form.edtFileMask, form.edtRootDir, form.edtSkipFolder,
                                         form.btnSearch,   form.btnExit,    form.DiskListView1};
    QWidget* widget = order.front();
    for (std::size_t i = 1; i < order.size(); ++i) {
        do widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !form.GroupBox1->isAncestorOf(widget));
        EXPECT_EQ(widget, order[i]) << i;
    }
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

class MainFormLookTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        PrepareApplication();
        SetDrives("C=" + FTree.Path("c") + ",fixed,System;D=" + FTree.Path("d") + ",fixed,Data");
    }
};

TEST_F(MainFormLookTest, NoTextIsClipped)
{
    TfrmMain& form = Open();
    form.show();
    // A check box draws its text from the left edge of its contents on.
    for (QCheckBox* box : form.findChildren<QCheckBox*>()) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents =
            box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        const int text = box->fontMetrics().size(Qt::TextShowMnemonic, box->text()).width();
        EXPECT_LE(contents.left() + text, box->width()) << box->objectName().toStdString();
    }
    // A push button's size hint has a style minimum; what counts is its text and margins.
    for (QPushButton* button : form.findChildren<QPushButton*>()) {
        const int margins = 2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin) +
                                 button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth));
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + margins,
                  button->width())
            << button->objectName().toStdString();
    }
    QLabel* panel = Find<QLabel>("StatusPanel0");
    for (const char* text : {"Scanning folders ....", "Scanning master folders ....",
                             "Scanning filtered folders ....", "Duplicates found....",
                             "Duplicates read from file ....."}) {
        panel->setText(text);
        EXPECT_LE(panel->sizeHint().width(), panel->width()) << text;
    }
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label == panel) continue;
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
        EXPECT_LE(label->sizeHint().height(), label->height()) << label->objectName().toStdString();
    }
    for (int i = 0; i < form.PageControl1->count(); ++i)
        EXPECT_LE(form.PageControl1->tabBar()->tabRect(i).right(), form.PageControl1->width());
}

// With ZARVEX_SCREENSHOT set to a file name, the window is saved there (scripts/screenshot).
TEST_F(MainFormLookTest, RendersAfterASearch)
{
    MakeSampleTree();
    TfrmMain& form = OpenAndStart();
    form.btnSearch->click();
    ASSERT_GT(form.FileListView1->Rows().Count(), 0u);
    const QPixmap picture = form.grab();
    EXPECT_EQ(picture.size(), form.size());
    const QByteArray file = qgetenv("ZARVEX_SCREENSHOT");
    if (!file.isEmpty()) {
        EXPECT_TRUE(picture.save(QString::fromLocal8Bit(file), "PNG"));
    }
}

}  // namespace
