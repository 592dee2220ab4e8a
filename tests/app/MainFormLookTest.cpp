// The look of the main window: its fixed pixel geometry holds, no text is clipped, and (with
// ZARVEX_SCREENSHOT set to a file name) the window after a search on a small sample tree is
// rendered to that file.
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>

#include "WindowFixture.h"
#include "app/Application.h"
#include "views/FileList.h"

namespace {

class MainFormLookTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        PrepareApplication();
        SetDrives("C=" + FTree.Path("c") + ",fixed,System;D=" + FTree.Path("d") + ",fixed,Data");
    }

    // A small tree with duplicates across two drives, stamped alike.
    void MakeSampleTree()
    {
        const std::int64_t stamp = 1700000000;
        const struct {
            const char* path;
            std::int64_t size;
            unsigned seed;
        } files[] = {
            {"c/Documents/Report 2023.odt", 48213, 1},
            {"c/Backup/Documents/Report 2023.odt", 48213, 1},
            {"c/Documents/Budget.ods", 20911, 2},
            {"c/Photos/Holiday/IMG_0412.jpg", 1843007, 3},
            {"d/Camera/IMG_0412.jpg", 1843007, 3},
            {"d/Camera/IMG_0413.jpg", 1790522, 4},
            {"c/Music/Intro.mp3", 3211264, 5},
            {"d/Old Music/Intro.mp3", 3211264, 5},
            {"d/Old Music/Copy of Intro.mp3", 3211264, 5},
        };
        for (const auto& file : files) {
            FTree.WriteSized(file.path, file.size, file.seed);
            FTree.SetTime(file.path, stamp);
        }
    }
};

// Every text of the window fits the control that shows it.
TEST_F(MainFormLookTest, NoCaptionLabelOrCheckBoxIsClipped)
{
    TfrmMain& form = Open();
    form.show();
    // A check box draws its text from the left edge of its contents on.
    for (QCheckBox* box : form.findChildren<QCheckBox*>()) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect contents = box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
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
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->objectName().startsWith("StatusPanel")) continue;
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
        EXPECT_LE(label->sizeHint().height(), label->height()) << label->objectName().toStdString();
    }
    QTabWidget* pages = Find<QTabWidget>("PageControl1");
    for (int i = 0; i < pages->count(); ++i)
        EXPECT_LE(pages->tabBar()->tabRect(i).right(), pages->width()) << i;
}

TEST_F(MainFormLookTest, PhaseTextsFitStatusPanelZero)
{
    TfrmMain& form = Open();
    form.show();
    QLabel* panel = Find<QLabel>("StatusPanel0");
    for (const char* text : {"Scanning folders ....", "Scanning master folders ....",
                             "Scanning filtered folders ....", "Duplicates found....",
                             "Duplicates read from file ....."}) {
        panel->setText(text);
        EXPECT_LE(panel->sizeHint().width(), panel->width()) << text;
    }
}

TEST_F(MainFormLookTest, DesignGeometryHolds)
{
    TfrmMain& form = Open();
    EXPECT_EQ(Find<QTabWidget>("PageControl1")->size(), QSize(155, 138));
    EXPECT_EQ(Find<QWidget>("DiskListView1")->geometry().topLeft(), QPoint(10, 24));
    EXPECT_EQ(Edit("edtFileMask")->size(), QSize(122, 21));
    EXPECT_EQ(Edit("edtSkipFolder")->size(), QSize(121, 21));
    EXPECT_EQ(Button("btnSearch")->size(), QSize(68, 25));
    EXPECT_EQ(Button("btnExit")->size(), QSize(66, 25));
    EXPECT_EQ(Check("chkSkipDesktopFolders")->geometry(), QRect(8, 56, 129, 17));
    EXPECT_EQ(Check("chkCheckFilesize")->geometry(), QRect(8, 80, 137, 17));
    EXPECT_EQ(Find<QWidget>("StatusBar1")->height(), 20);
    EXPECT_EQ(Find<QLabel>("StatusPanel0")->width(), 150);
    EXPECT_EQ(Find<QLabel>("StatusPanel1")->width(), 110);
    EXPECT_EQ(Find<QLabel>("StatusPanel2")->width(), 75);
    EXPECT_EQ(form.ProgressBar->geometry(), QRect(0, 2, 150, 18));
}

TEST_F(MainFormLookTest, RendersAfterASearch)
{
    MakeSampleTree();
    TfrmMain& form = OpenAndStart();
    form.btnSearch->click();
    ASSERT_GT(form.FileListView1->Rows().Count(), 0u);
    const QPixmap picture = form.grab();
    EXPECT_EQ(picture.size(), form.size());
    const QByteArray file = qgetenv("ZARVEX_SCREENSHOT");
    if (!file.isEmpty()) EXPECT_TRUE(picture.save(QString::fromLocal8Bit(file), "PNG"));
}

}  // namespace
