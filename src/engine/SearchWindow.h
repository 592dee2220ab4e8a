#pragma once
// The engine's one interface to the window. TfrmMain implements it with widgets, zarvex-find
// for a terminal, tests to record what happened and to press Stop at a chosen point.
#include <cstdint>
#include <string>

class TFileContent;

enum class TEditBox { ebFileMask, ebRootDir, ebSkipFolder };
enum class TCheckBox {
    cbCheckFileTimestamp,
    cbCheckFilename,
    cbSkipEmptyFiles,
    cbFloppyIsMaster,
    cbSkipSysbckup,
    cbSkipDesktopFolders,
    cbCheckFilesize,
};

class TSearchWindow {
public:
    virtual ~TSearchWindow() = default;

    // "Let pending window messages run": a Stop click or a close request may run in here.
    virtual void ProcessMessages() = 0;

    // Status bar: panel 0 phase, 1 bytes, 2 files, 3 folder and step texts.
    virtual void SetStatusText(int panel, const std::string& text) = 0;
    // What a panel shows now; a window that cannot tell gives "".
    virtual std::string StatusText(int panel) const
    {
        (void)panel;
        return {};
    }
    virtual void RepaintStatusBar() = 0;

    virtual std::string EditText(TEditBox box) = 0;
    virtual void SetEditText(TEditBox box, const std::string& text) = 0;
    virtual bool Checked(TCheckBox box) = 0;
    // The drive letters of the chosen drives, A to Z.
    virtual std::string SelectedDrives() = 0;
    // Rebuilds the window caption from the mask, the drives and the root folders.
    virtual void UpdateCaption() = 0;
    // A simple modal message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;

    virtual void SetListCaption(const std::string& text) = 0;    // lblFileListCaption
    virtual void SetSearchCaption(const std::string& text) = 0;  // btnSearch
    virtual void SetListHint(const std::string& text) = 0;       // hint of the results list
    virtual void SetHourglass(bool on) = 0;

    virtual void SetProgressMax(int value) = 0;
    virtual void SetProgressPosition(int value) = 0;
    virtual void SetProgressVisible(bool visible) = 0;

    // Results rows.
    virtual int RowCount() = 0;
    virtual void ClearRows() = 0;
    // A row with a caption and no sub-items (a group header, or an empty row).
    virtual void AddRow(const std::string& caption) = 0;
    // A file row for the full path; false (and no row) when the file cannot be described.
    virtual bool AddFile(const std::string& path, std::int64_t& size) = 0;
    // The same for a file that the comparison holds open: a window may take what it reads of
    // the file (its first bytes, for the type) from `content` instead of opening it again.
    virtual bool AddOpenFile(const std::string& path, std::int64_t& size, const TFileContent& content)
    {
        (void)content;
        return AddFile(path, size);
    }
    virtual void BeginRowsUpdate() = 0;
    virtual void EndRowsUpdate() = 0;
    // Repaints the rows added so far although their update bracket is still open.
    virtual void RepaintRows() = 0;
    // Every column to its auto-size-to-header width.
    virtual void AutoSizeColumns() = 0;
    // Every column to that width, then frozen at the pixel width it gave.
    virtual void FixColumnWidths() = 0;
};
