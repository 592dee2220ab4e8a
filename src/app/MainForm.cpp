#include "app/MainForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "app/BulkCleanup.h"
#include "app/MainSettings.h"
#include "app/ResultsHandling.h"
#include "app/SavedLists.h"
#include "dialogs/FilProps.h"
#include "engine/SearchDriver.h"
#include "platform/ShellInfo.h"
#include "versinfo/VersInfo.h"
#include "views/DiskList.h"
#include "views/FileList.h"
#include "views/MessageBox.h"
#include "views/WindowFont.h"

namespace {

// Follows the version in the version label.
const char* const kOwnerNotice = " \u00A9 Quillmoor";

// The Menu key, or Shift+F10, opens a context menu from the keyboard.
bool IsMenuKey(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Menu ||
           (key.key() == Qt::Key_F10 && key.modifiers() == Qt::ShiftModifier);
}

}  // namespace

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Zarvex"));
    setFont(WindowFont());
    resize(kDesignClientWidth, kDesignClientHeight);
    CreateControls(this);
    FDriver = std::make_unique<TSearchDriver>(State, *this);
    VersionInfoResource1 = new TvrkVersionInfoResource(this);
    VersionInfoResource1->setObjectName(QStringLiteral("VersionInfoResource1"));
    VersionInfoResource1->Loaded();
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    ConnectHandlers();
    FormCreate();
    if (!ReadWindowPlacement(*this)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
    FormResize();
    // The first control of the tab order, as the window opens.
    edtFileMask->setFocus();
    Timer1->start();
}

TfrmMain::~TfrmMain()
{
    FormDestroy();
}

bool TfrmMain::SearchActive() const
{
    return FDriver->Searching();
}

void TfrmMain::ConnectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, &TfrmMain::Timer1Timer);
    connect(DiskListView1, &TDiskListView::Change, this, &TfrmMain::DiskListView1Change);
    connect(btnSearch, &QPushButton::clicked, this, &TfrmMain::btnSearchClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmMain::btnExitClick);
    // A change made by the program runs the rule as a user's click does.
    connect(chkCheckFilesize, &QCheckBox::toggled, this, &TfrmMain::chkCheckFilesizeClick);
    FileListView1->OnColumnClick = [this](int column) { FileListView1ColumnClick(column); };
    // One filter on the application sees every event of the window first: Enter for the
    // default button, the edit boxes losing the focus, the results list's clicks and keys.
    qApp->installEventFilter(this);
}

void TfrmMain::FormCreate()
{
    MinTrackWidth = width() - 10;
    MinTrackHeight = height() - 50;
    setMinimumSize(MinTrackWidth, MinTrackHeight);
    ReadMainSettings(*this);
    PageControl1->setCurrentWidget(TabSheetBasic);
    ProgressBar = new QProgressBar(StatusBar1);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(0, 2, kStatusPanelWidths[0], StatusBar1->height() - 2);
    ProgressBar->setTextVisible(false);
    ProgressBar->hide();
    SetListFilePaths();
    lblVersion->setText(QStringLiteral("Zarvex version: V") +
                        VersionInfoResource1->FileVersion().AsString() +
                        QString::fromUtf8(kOwnerNotice));
    lblVersion->adjustSize();
    // Headers readable at once in the empty list.
    FileListView1->AutoSizeColumns();
    State.Busy = false;
    State.Running = false;
    State.DuplicateBytes = 0;
    State.DuplicateFiles = 0;
    SetDefaultButton(btnSearch);
}

void TfrmMain::SetListFilePaths()
{
    const TListFilePaths paths = ListFilePaths();
    ListFilePath = paths.List;
    SkipListFilePath = paths.SkipList;
    NewListFilePath = paths.NewList;
}

void TfrmMain::FormDestroy()
{
    SaveListFiles();
    SetHourglass(false);
    qApp->removeEventFilter(this);
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormResize()
{
    const int clientWidth = width(), clientHeight = height();
    StatusBar1->setGeometry(0, clientHeight - StatusBar1->height(), clientWidth,
                            StatusBar1->height());
    PageControl1->move(clientWidth - 4 - PageControl1->width(), PageControl1->y());
    GroupBox1->resize(PageControl1->x() - 20, GroupBox1->height());
    btnExit->move(GroupBox1->width() - 8 - btnExit->width(), btnExit->y());
    btnSearch->move(btnExit->x() - 16 - btnSearch->width(), btnSearch->y());
    edtRootDir->move(GroupBox1->width() - 8 - edtRootDir->width(), edtRootDir->y());
    edtFileMask->move(edtRootDir->x(), edtFileMask->y());
    edtSkipFolder->move(edtRootDir->x(), edtSkipFolder->y());
    Label7->move(edtRootDir->x() - Label7->width(), Label7->y());
    Label2->move(edtFileMask->x() - Label2->width(), Label2->y());
    Label1->move(edtSkipFolder->x() - Label1->width(), Label1->y());
    DiskListView1->resize(btnSearch->x() - 24, DiskListView1->height());
    lblVersion->move(clientWidth - lblVersion->width() - 4,
                     clientHeight - StatusBar1->height() - lblVersion->height());
    const int listTop = lblFileListCaption->y() + lblFileListCaption->height() + 2;
    FileListView1->setGeometry(
        FileListView1->x(), listTop, clientWidth - 12,
        clientHeight - listTop - lblVersion->height() - StatusBar1->height() - 2);
}

void TfrmMain::UpdateCaption()
{
    QString caption =
        QStringLiteral("Zarvex named ") + edtFileMask->text() + QStringLiteral(" on ");
    for (char letter : DiskListView1->SelectedDrives())
        caption += QChar::fromLatin1(letter) + QStringLiteral(": ");
    caption += QStringLiteral("in ") + edtRootDir->text();
    setWindowTitle(caption);
}

void TfrmMain::Timer1Timer()
{
    Timer1->stop();
    LoadSavedLists();
    DiskListView1->FillDrives();
    // Now rather than at the first results row of a search.
    WarmUpTypeNames();
}

void TfrmMain::DiskListView1Change()
{
    UpdateCaption();
}

void TfrmMain::edtRootDirExit()
{
    UpdateCaption();
}

void TfrmMain::btnSearchClick()
{
    FDriver->btnSearchClick();
}

void TfrmMain::btnExitClick()
{
    close();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    FormCloseQuery();
    event->accept();
}

void TfrmMain::FormCloseQuery()
{
    FDriver->StopSearch();
    WriteMainSettings(*this);
    WriteWindowPlacement(*this);
}

void TfrmMain::chkCheckFilesizeClick()
{
    if (chkCheckFilesize->isChecked()) {
        chkCheckFilename->setEnabled(true);
        chkCheckFileTimestamp->setEnabled(true);
        return;
    }
    chkCheckFilename->setChecked(true);
    chkCheckFileTimestamp->setChecked(false);
    chkCheckFilename->setEnabled(false);
    chkCheckFileTimestamp->setEnabled(false);
}

void TfrmMain::ShowTotals()
{
    ::ShowTotals(State, *this);
}

void TfrmMain::SetDefaultButton(QPushButton* button)
{
    if (FDefaultButton)
        FDefaultButton->setDefault(false);
    FDefaultButton = button;
    if (button)
        button->setDefault(true);
}

// A handler that may run a modal loop (a box, the review dialog, a deletion) consumes its
// event: a filter installed and removed meanwhile leaves a gap in the application's filter
// list, and Qt would then hand the same event to this filter a second time.
bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (PressDefaultButton(watched, key))
                return true;
            if (watched == FileListView1 && IsMenuKey(*key)) {
                const QRect row = FileListView1->visualRect(FileListView1->currentIndex());
                ShowResultsMenu(*this, FileListView1->viewport()->mapToGlobal(row.center()));
                return true;
            }
            if (watched == FileListView1 && BulkSelectionKey(*this, *key))
                return true;
            if (watched == FileListView1) {
                FileListView1KeyDown(key);
                const int k = key->key();
                if (k == Qt::Key_Delete || k == Qt::Key_Return || k == Qt::Key_Enter)
                    return true;
            }
            break;
        }
        case QEvent::ContextMenu:
            if (watched == FileListView1->viewport() &&
                static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Mouse) {
                ShowResultsMenu(*this, static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            }
            break;
        case QEvent::FocusOut:
            if (watched == edtFileMask || watched == edtRootDir)
                edtRootDirExit();
            break;
        case QEvent::MouseButtonRelease:
            if (watched == FileListView1->viewport())
                FileListView1Click();
            break;
        case QEvent::MouseButtonDblClick:
            if (watched == FileListView1->viewport()) {
                FileListView1DblClick();
                return true;
            }
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

// Enter on a focused push button presses that button; anywhere else in this window it presses
// the default button, before the focused control sees the key. A window of its own (a dialog
// over this one) keeps its Enter.
bool TfrmMain::PressDefaultButton(QObject* watched, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    if ((event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this)
        return false;
    if (auto* button = qobject_cast<QPushButton*>(widget); button && button->isEnabled()) {
        button->click();
        return true;
    }
    if (!FDefaultButton)
        return false;
    if (!FDefaultButton->isEnabled() || !FDefaultButton->isVisible())
        return false;
    FDefaultButton->click();
    return true;
}

// The results list's handlers and the saved lists live in ResultsHandling and SavedLists.
void TfrmMain::FileListView1Click()
{
    ResultsListClick(*this);
}
void TfrmMain::FileListView1DblClick()
{
    ReviewSelectedFile(*this);
}
void TfrmMain::FileListView1KeyDown(QKeyEvent* event)
{
    ResultsListKeyDown(*this, *event);
}
void TfrmMain::LoadSavedLists()
{
    ::LoadSavedLists(*this);
}
void TfrmMain::SaveListFiles()
{
    ::SaveListFiles(*this);
}

void TfrmMain::FileListView1ColumnClick(int)
{
    // A sort would break the group layout of the results list.
}

// --- The engine's window ---

// The engine pumps at every folder and every catalogue entry, hundreds of thousands of times
// in a big search. Handling events repaints whatever changed, so pumping at every call would
// spend most of the search painting; events wait at most kPumpInterval instead.
void TfrmMain::ProcessMessages()
{
    if (OnProcessMessages)
        OnProcessMessages();
    if (FPumpClock.isValid() && FPumpClock.elapsed() < kPumpIntervalMs)
        return;
    QCoreApplication::processEvents();
    FPumpClock.start();
}

void TfrmMain::SetStatusText(int panel, const std::string& text)
{
    if (panel < 0 || panel >= int(StatusPanels.size()))
        return;
    StatusPanels[panel]->setText(QString::fromStdString(text));
}

std::string TfrmMain::StatusText(int panel) const
{
    if (panel < 0 || panel >= int(StatusPanels.size()))
        return {};
    return StatusPanels[panel]->text().toStdString();
}

void TfrmMain::RepaintStatusBar()
{
    // Painted now unless a pump is due soon anyway, which paints it with the rest.
    if (FPumpClock.isValid() && FPumpClock.elapsed() < kPumpIntervalMs)
        StatusBar1->update();
    else
        StatusBar1->repaint();
}

QLineEdit* TfrmMain::EditOf(TEditBox box) const
{
    switch (box) {
        case TEditBox::ebFileMask:
            return edtFileMask;
        case TEditBox::ebRootDir:
            return edtRootDir;
        case TEditBox::ebSkipFolder:
            break;
    }
    return edtSkipFolder;
}

QCheckBox* TfrmMain::CheckOf(TCheckBox box) const
{
    switch (box) {
        case TCheckBox::cbCheckFileTimestamp:
            return chkCheckFileTimestamp;
        case TCheckBox::cbCheckFilename:
            return chkCheckFilename;
        case TCheckBox::cbSkipEmptyFiles:
            return chkSkipEmptyFiles;
        case TCheckBox::cbFloppyIsMaster:
            return chkFloppyIsMaster;
        case TCheckBox::cbSkipSysbckup:
            return chkSkipSysbckup;
        case TCheckBox::cbSkipDesktopFolders:
            return chkSkipDesktopFolders;
        case TCheckBox::cbCheckFilesize:
            break;
    }
    return chkCheckFilesize;
}

std::string TfrmMain::EditText(TEditBox box)
{
    return EditOf(box)->text().toStdString();
}

void TfrmMain::SetEditText(TEditBox box, const std::string& text)
{
    EditOf(box)->setText(QString::fromStdString(text));
}

bool TfrmMain::Checked(TCheckBox box)
{
    return CheckOf(box)->isChecked();
}

std::string TfrmMain::SelectedDrives()
{
    return DiskListView1->SelectedDrives();
}

void TfrmMain::ShowMessage(const std::string& text)
{
    TMessageBox::ShowMessage(this, QString::fromStdString(text));
}

void TfrmMain::SetListCaption(const std::string& text)
{
    lblFileListCaption->setText(QString::fromStdString(text));
    lblFileListCaption->adjustSize();
}

void TfrmMain::SetSearchCaption(const std::string& text)
{
    btnSearch->setText(QString::fromStdString(text));
}

void TfrmMain::SetListHint(const std::string& text)
{
    FileListView1->SetHint(QString::fromStdString(text));
}

void TfrmMain::SetHourglass(bool on)
{
    if (on == FHourglass)
        return;
    FHourglass = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfrmMain::SetProgressMax(int value)
{
    ProgressBar->setMaximum(value);
}

void TfrmMain::SetProgressPosition(int value)
{
    ProgressBar->setValue(value);
}

void TfrmMain::SetProgressVisible(bool visible)
{
    ProgressBar->raise();
    ProgressBar->setVisible(visible);
}

int TfrmMain::RowCount()
{
    return static_cast<int>(FileListView1->Rows().Count());
}

void TfrmMain::ClearRows()
{
    FileListView1->Clear();
}

void TfrmMain::AddRow(const std::string& caption)
{
    FileListView1->AddRow(caption);
}

bool TfrmMain::AddFile(const std::string& path, std::int64_t& size)
{
    return FileListView1->AddFile(path, size);
}

void TfrmMain::BeginRowsUpdate()
{
    FileListView1->BeginUpdate();
}

void TfrmMain::EndRowsUpdate()
{
    FileListView1->EndUpdate();
}

void TfrmMain::RepaintRows()
{
    FileListView1->RepaintRows();
}

void TfrmMain::AutoSizeColumns()
{
    FileListView1->AutoSizeColumns();
}

void TfrmMain::FixColumnWidths()
{
    FileListView1->FixColumnWidths();
}
