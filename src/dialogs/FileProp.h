#pragma once
// TfrmFileProperties: the modal dialog that shows one file's properties on a "General" page
// (icon, name, type, folder, sizes, short name, times, attributes) and, for files with a
// version block, a "Version" page. A missing file gets an error panel instead of the pages.
// The dialog only shows: nothing it does changes the file.
//
// The caller sets FileName (the program's path form) and runs exec(); every showing rebuilds
// the pages from FileName. exec() gives mrOk from OK and mrCancel when the dialog is closed
// from its title bar (the modal results of views/MessageBox.h).
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

#include "text/StringList.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

// "500 bytes (500 bytes)", "1.50 KB (1,536 bytes)", "1.00 MB (1,048,576 bytes)": the unit
// part with two decimals and the locale's separators, then the exact count. Sizes are 64-bit;
// above a megabyte the unit stays MB.
std::string SizeText(std::int64_t size);
// A Windows file time as "yyyy-mmm-dd hh:nn:ss" in local time, as the results list shows
// times; "(unknown)" for 0.
std::string FormatFileTime(std::uint64_t fileTime);
// The date part of a FormatFileTime text (everything before the time of day).
std::string FileTimeDatePart(const std::string& fileTimeText);
// The folder of a path with its trailing separator ("C:\Data\" for "C:\Data\a.txt").
std::string FolderPart(const std::string& path);

class TfrmFileProperties : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileProperties(QWidget* parent = nullptr);
    ~TfrmFileProperties() override;

    std::string FileName;

    // The controls, named as the form names them (also their objectName).
    QTabWidget* PageControl1 = nullptr;
    QWidget* tabGeneral = nullptr;
    QWidget* tabVersion = nullptr;
    QPushButton* btnOK = nullptr;
    QLabel* pnlError = nullptr;

    QLabel* Image1 = nullptr;
    QLabel* lblName = nullptr;
    QLabel* lblType = nullptr;
    QLabel* lblLocation = nullptr;
    QLabel* lblSize = nullptr;
    QLabel* lblCompressedSizeCaption = nullptr;
    QLabel* lblCompressedSize = nullptr;
    QLabel* lblDOSName = nullptr;
    QLabel* lblCreated = nullptr;
    QLabel* lblModified = nullptr;
    QLabel* lblAccessed = nullptr;
    QCheckBox* chkReadOnly = nullptr;
    QCheckBox* chkHidden = nullptr;
    QCheckBox* chkArchive = nullptr;
    QCheckBox* chkSystem = nullptr;
    QCheckBox* chkCompressed = nullptr;

    QLabel* lblFileVersion = nullptr;
    QLabel* lblFileDescription = nullptr;
    QLabel* lblLegalCopyright = nullptr;
    QGroupBox* grpOtherVersionInformation = nullptr;
    QListWidget* lbxNames = nullptr;
    QPlainTextEdit* memValues = nullptr;

    // True while the "Version" tab is offered.
    bool VersionTabVisible() const;
    // The values belonging to the names in lbxNames; null while the dialog is hidden.
    const TStringList* VersionValues() const { return FVersionValues.get(); }

protected:
    virtual void FormShow();
    void FormHide();
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Closing from the title bar (or Escape) ends with mrCancel.
    void reject() override;

    void btnOKClick();
    void lbxNamesClick();
    void chkReadOnlyClick();
    void chkArchiveClick();
    void chkHiddenClick();
    void chkSystemClick();
    void chkCompressedClick();

    // Puts a button of the bottom row in place (derived dialogs add theirs).
    QPushButton* AddBottomButton(const char* name, const char* caption, int left);

private:
    void BuildGeneralPage();
    void BuildVersionPage();
    void ShowMissingFile();
    void ClearShownValues();
    void FillVersionPage();
    void FillIconAndType();
    void FillAttributes(std::uint32_t attributes);
    void ShowVersionLabel(const std::string& key, const std::string& value);

    std::unique_ptr<TStringList> FVersionValues;
    bool FHidden = false;
    bool FSystem = false;
    bool FReadOnly = false;
    bool FArchive = false;
    bool FCompressed = false;
};
