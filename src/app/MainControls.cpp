#include "app/MainControls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

#include "views/DiskList.h"
#include "views/FileList.h"

namespace {

template <typename T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A right-aligned label sized to its text, ending at right.
QLabel* RightLabel(QWidget* parent, const char* name, const char* text, int right, int top)
{
    auto* label = Named(new QLabel(QString::fromLatin1(text), parent), name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->adjustSize();
    label->move(right - label->width(), top);
    return label;
}

QLineEdit* Edit(QWidget* parent, const char* name, const char* text, const char* hint,
                QRect geometry)
{
    auto* edit = Named(new QLineEdit(QString::fromLatin1(text), parent), name);
    edit->setToolTip(QString::fromLatin1(hint));
    edit->setGeometry(geometry);
    return edit;
}

QCheckBox* Check(QWidget* page, const char* name, const char* text, const char* hint, bool checked,
                 QRect geometry)
{
    auto* box = Named(new QCheckBox(QString::fromLatin1(text), page), name);
    box->setAccessibleName(box->text().replace(QStringLiteral("&&"), QStringLiteral("&")));
    if (hint)
        box->setToolTip(QString::fromLatin1(hint));
    box->setChecked(checked);
    box->setGeometry(geometry);
    return box;
}

}  // namespace

void TMainControls::CreateControls(QWidget* form)
{
    CreateSearchGroup(form);
    CreateRulePages(form);
    CreateResults(form);
    CreateStatusBar(form);
    // Once every control exists: one made later would join the chain after btnExit.
    QWidget::setTabOrder(edtFileMask, edtRootDir);
    QWidget::setTabOrder(edtRootDir, edtSkipFolder);
    QWidget::setTabOrder(edtSkipFolder, btnSearch);
    QWidget::setTabOrder(btnSearch, btnExit);
    QWidget::setTabOrder(btnExit, DiskListView1);
}

void TMainControls::CreateSearchGroup(QWidget* form)
{
    GroupBox1 = Named(new QGroupBox(QStringLiteral(" What to search for "), form), "GroupBox1");
    GroupBox1->setGeometry(4, 7, 421, 146);
    DiskListView1 = new TDiskListView(GroupBox1);
    DiskListView1->setGeometry(10, 24, 191, 105);

    Label2 = RightLabel(GroupBox1, "Label2", "Find: ", 272, 26);
    edtFileMask = Edit(GroupBox1, "edtFileMask", "*.*",
                       "Enter a mask of files to find, e.g. *.* (comma separated list allowed, "
                       "enclose spaces in quotes)",
                       QRect(280, 24, 122, 21));
    Label7 = RightLabel(GroupBox1, "Label7", "In: ", 272, 56);
    edtRootDir = Edit(GroupBox1, "edtRootDir", "\\",
                      "Enter comma separated list of folders to search on each drive, e.g. "
                      "\\Docs, \"\\My Files\" (note: folders with spaces need quotes)",
                      QRect(280, 52, 122, 21));
    Label1 = RightLabel(GroupBox1, "Label1", "Skip: ", 272, 84);
    edtSkipFolder = Edit(GroupBox1, "edtSkipFolder", "",
                         "Enter a comma separated list of folders to skip, e.g. SP3, "
                         "\"Program Files\" (note: folders with spaces need quotes)",
                         QRect(280, 80, 121, 21));

    btnSearch = Named(new QPushButton(QStringLiteral("Find Now"), GroupBox1), "btnSearch");
    btnSearch->setGeometry(240, 108, 68, 25);
    btnExit = Named(new QPushButton(QStringLiteral("Exit"), GroupBox1), "btnExit");
    btnExit->setGeometry(336, 108, 66, 25);
    // Enter is the window's own business (the default-button role), never a button's.
    btnSearch->setAutoDefault(false);
    btnExit->setAutoDefault(false);

    // A screen reader names each box by its label.
    Label2->setBuddy(edtFileMask);
    Label7->setBuddy(edtRootDir);
    Label1->setBuddy(edtSkipFolder);
    DiskListView1->setAccessibleName(QStringLiteral("Drives to search"));
}

void TMainControls::CreateRulePages(QWidget* form)
{
    PageControl1 = Named(new QTabWidget(form), "PageControl1");
    PageControl1->setGeometry(440, 16, 155, 138);
    PageControl1->setAccessibleName(QStringLiteral("Matching rules"));
    TabSheetBasic = Named(new QWidget, "TabSheetBasic");
    TabSheetAdvanced = Named(new QWidget, "TabSheetAdvanced");
    PageControl1->addTab(TabSheetBasic, QStringLiteral(" Require "));
    PageControl1->addTab(TabSheetAdvanced, QStringLiteral(" Advanced "));

    chkCheckFileTimestamp =
        Check(TabSheetBasic, "chkCheckFileTimestamp", "Same date && time",
              "Uncheck for slower but more accurate searches", true, QRect(8, 8, 137, 17));
    chkCheckFilename =
        Check(TabSheetBasic, "chkCheckFilename", "Same name",
              "Check to only match files of the same name", false, QRect(8, 32, 137, 17));
    chkSkipEmptyFiles = Check(TabSheetBasic, "chkSkipEmptyFiles", "Skip zero-length files", nullptr,
                              true, QRect(8, 56, 137, 17));

    chkFloppyIsMaster =
        Check(TabSheetAdvanced, "chkFloppyIsMaster", "Treat floppy as master",
              "Uncheck to treat floppy as a normal disk drive", true, QRect(8, 8, 137, 17));
    chkSkipSysbckup =
        Check(TabSheetAdvanced, "chkSkipSysbckup", "Skip SYSBCKUP folder",
              "Uncheck to include Windows 95 protected folder", true, QRect(8, 32, 137, 17));
    chkSkipDesktopFolders =
        Check(TabSheetAdvanced, "chkSkipDesktopFolders", "Skip Desktop.ini folders",
              "Uncheck to scan more folders", true, QRect(8, 56, 129, 17));
    chkCheckFilesize = Check(TabSheetAdvanced, "chkCheckFilesize", "Require same size",
                             "Uncheck if file contents do not matter", true, QRect(8, 80, 137, 17));
}

void TMainControls::CreateResults(QWidget* form)
{
    lblFileListCaption = Named(new QLabel(QStringLiteral(" Results will appear here ...."), form),
                               "lblFileListCaption");
    lblFileListCaption->move(8, 160);
    lblFileListCaption->adjustSize();

    FileListView1 = new TFileListView(form);
    FileListView1->setGeometry(8, 176, 585, 225);
    FileListView1->setAccessibleName(QStringLiteral("Results"));

    lblVersion = Named(new QLabel(form), "lblVersion");
    lblVersion->move(544, 400);
    // The palette's link colour is dark on a light palette and light on a dark one.
    QPalette linkColoured = lblVersion->palette();
    linkColoured.setColor(QPalette::WindowText, linkColoured.color(QPalette::Link));
    lblVersion->setPalette(linkColoured);
}

void TMainControls::CreateStatusBar(QWidget* form)
{
    StatusBar1 = Named(new QStatusBar(form), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(kStatusBarHeight);
    static const char* const kInitial[4] = {"", "Bytes:", "Files:", ""};
    for (int panel = 0; panel < 4; ++panel) {
        auto* label = new QLabel(QString::fromLatin1(kInitial[panel]), StatusBar1);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        // The last panel takes what is left; the others keep their widths whatever they show.
        if (panel < 3)
            label->setFixedWidth(kStatusPanelWidths[panel]);
        else
            label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        StatusBar1->addWidget(label, panel < 3 ? 0 : 1);
        StatusPanels[panel] = label;
    }
}
