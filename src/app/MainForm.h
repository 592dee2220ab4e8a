#pragma once
// TfrmMain: the main window. It owns the working state of a search (TSearchState), the search
// driver with its tree scanner, and the controls, and is the engine's window (TSearchWindow).
//
// A search runs inside the btnSearch click and keeps the window alive through the event pump,
// so a Stop click, Exit or the close box arrive while it runs. They only clear flags: nothing a
// running search uses is destroyed before the search returns, because the window is destroyed
// by its owner after the event loop has ended, never from inside an event.
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/MainControls.h"
#include "engine/SearchState.h"
#include "engine/SearchWindow.h"

class QDialog;
class QKeyEvent;
class TSearchDriver;
class TvrkVersionInfoResource;
class TfrmFileProperties1;

class TfrmMain : public QWidget, public TMainControls, public TSearchWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // --- Working state, read and written directly by the engine and the saved lists ---
    TSearchState State;
    TvrkVersionInfoResource* VersionInfoResource1 = nullptr;
    QTimer* Timer1 = nullptr;
    QProgressBar* ProgressBar = nullptr;
    // Native paths of Zarvex.lis, SkipDupl.lis and NewDupl.lis.
    std::string ListFilePath, SkipListFilePath, NewListFilePath;
    // Smallest client size the user can drag the window to (the frame comes on top).
    int MinTrackWidth = 0, MinTrackHeight = 0;
    // The review dialog; created by the program start after the window, it lives until the
    // program ends (null in tests that need none).
    TfrmFileProperties1* frmFileProperties1 = nullptr;

    // Runs at every event pump before the pending events; tests press Stop or Exit here.
    std::function<void()> OnProcessMessages;
    // The search driver and its tree scanner (TreeScanner1).
    TSearchDriver& Driver() { return *FDriver; }
    // A search is under way (the btnSearch click has not returned).
    bool SearchActive() const;

    // The button that Enter pressed anywhere in the window presses; null: none.
    void SetDefaultButton(QPushButton* button);
    QPushButton* DefaultButton() const { return FDefaultButton; }

    // --- Handlers ---
    void FormResize();
    void Timer1Timer();
    void DiskListView1Change();
    void edtRootDirExit();
    void btnSearchClick();
    void btnExitClick();
    void FormCloseQuery();
    void chkCheckFilesizeClick();
    void FileListView1Click();
    void FileListView1DblClick();
    void FileListView1KeyDown(QKeyEvent* event);
    void FileListView1ColumnClick(int column);

    // Status panels 1 and 2 from the totals.
    void ShowTotals();

    // --- TSearchWindow ---
    void ProcessMessages() override;
    void SetStatusText(int panel, const std::string& text) override;
    std::string StatusText(int panel) const override;
    void RepaintStatusBar() override;
    std::string EditText(TEditBox box) override;
    void SetEditText(TEditBox box, const std::string& text) override;
    bool Checked(TCheckBox box) override;
    std::string SelectedDrives() override;
    void UpdateCaption() override;
    void ShowMessage(const std::string& text) override;
    void SetListCaption(const std::string& text) override;
    void SetSearchCaption(const std::string& text) override;
    void SetListHint(const std::string& text) override;
    void SetHourglass(bool on) override;
    void SetProgressMax(int value) override;
    void SetProgressPosition(int value) override;
    void SetProgressVisible(bool visible) override;
    int RowCount() override;
    void ClearRows() override;
    void AddRow(const std::string& caption) override;
    bool AddFile(const std::string& path, std::int64_t& size) override;
    void BeginRowsUpdate() override;
    void EndRowsUpdate() override;
    void RepaintRows() override;
    void AutoSizeColumns() override;
    void FixColumnWidths() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void ConnectHandlers();
    void SetListFilePaths();
    bool PressDefaultButton(QObject* watched, QKeyEvent* event);
    QLineEdit* EditOf(TEditBox box) const;
    QCheckBox* CheckOf(TCheckBox box) const;

    // The saved lists: the start-up reload prompts (first tick, before the drive list is
    // filled) and the writing of the list files (window destruction).
    void LoadSavedLists();
    void SaveListFiles();

    std::unique_ptr<TSearchDriver> FDriver;
    QPointer<QPushButton> FDefaultButton;
    bool FHourglass = false;
    // Time since the last pump that handled events.
    QElapsedTimer FPumpClock;
    static constexpr qint64 kPumpIntervalMs = 10;
};
