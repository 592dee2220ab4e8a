#pragma once
// The controls of the main window with their names, texts, hints, design states, pixel
// geometry and tab order. TfrmMain holds them; every widget carries its name as objectName.
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QWidget;
class TDiskListView;
class TFileListView;

// The design client size of the main window and the status bar's panel widths.
inline constexpr int kDesignClientWidth = 599;
inline constexpr int kDesignClientHeight = 435;
inline constexpr int kStatusBarHeight = 20;
inline constexpr std::array<int, 4> kStatusPanelWidths{150, 110, 75, 50};

struct TMainControls {
    QGroupBox* GroupBox1 = nullptr;
    TDiskListView* DiskListView1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* edtFileMask = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edtRootDir = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edtSkipFolder = nullptr;
    QPushButton* btnSearch = nullptr;
    QPushButton* btnExit = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheetBasic = nullptr;
    QWidget* TabSheetAdvanced = nullptr;
    QCheckBox* chkCheckFileTimestamp = nullptr;
    QCheckBox* chkCheckFilename = nullptr;
    QCheckBox* chkSkipEmptyFiles = nullptr;
    QCheckBox* chkFloppyIsMaster = nullptr;
    QCheckBox* chkSkipSysbckup = nullptr;
    QCheckBox* chkSkipDesktopFolders = nullptr;
    QCheckBox* chkCheckFilesize = nullptr;

    QLabel* lblFileListCaption = nullptr;
    TFileListView* FileListView1 = nullptr;
    QLabel* lblVersion = nullptr;

    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 4> StatusPanels{};  // panels 0 to 3, left to right

    // Builds every control on form, in its design state.
    void CreateControls(QWidget* form);

private:
    void CreateSearchGroup(QWidget* form);
    void CreateRulePages(QWidget* form);
    void CreateResults(QWidget* form);
    void CreateStatusBar(QWidget* form);
};
