#pragma once
// TDiskListView: the machine's drives, one row each (display name and a 16 by 16 drive icon),
// for the user to choose the drives to search.
//
// A row is chosen when it is checked (Checkboxes on) or else when it is selected; every
// operation that reads or sets the choice follows that rule. The drive letter of a row is read
// from its caption (DriveLetterOf); the view keeps no other record of it.
#include <QFontMetrics>
#include <QTreeWidget>
#include <string>
#include <string_view>

class TDriveTable;

class TDiskListView : public QTreeWidget {
    Q_OBJECT

public:
    explicit TDiskListView(QWidget* owner = nullptr);

    // The letters of the chosen rows in row order, upper case; a blank for a chosen row whose
    // caption holds no drive letter.
    std::string SelectedDrives() const;
    // Chooses exactly the rows whose letter occurs in value (either case); other characters
    // are ignored. A row without a letter counts as the letter blank.
    void SetSelectedDrives(std::string_view value);

    // When the rows are filled, rows of fixed drives are chosen.
    bool SelectLocalDrives() const { return FSelectLocalDrives; }
    void SetSelectLocalDrives(bool value) { FSelectLocalDrives = value; }
    bool Checkboxes() const { return FCheckboxes; }
    void SetCheckboxes(bool value);
    // Rows are reserved in blocks of this many.
    int AllocBy() const { return FAllocBy; }
    void SetAllocBy(int value) { FAllocBy = value > 0 ? value : 1; }

    // Rebuilds every row from the drive table in use, A to Z; drives that do not exist or
    // whose type is unknown get no row. Any earlier choice is lost.
    void FillDrives();
    void FillDrives(const TDriveTable& table);

    // The drive selection file: 26 bytes, A first, 1 for a chosen drive and 0 otherwise.
    // Native paths. False when the file cannot be written or read whole; a failed load
    // changes no row. Rows without a drive letter have no byte: they are never saved and a
    // load unchooses them. Bytes after the 26th are ignored.
    bool SaveToFile(const std::string& fileName) const;
    bool LoadFromFile(const std::string& fileName);

    // The character just before the first ":)" when the caption holds " (" and ":)", upper
    // case; else a blank.
    static char DriveLetterOf(const QString& caption);
    // A display name as shown in `width` pixels: the middle of its folder elided, so that the
    // kind or label before it and the letter after it stay readable. The row keeps the whole
    // name as its caption and its tool tip.
    static QString ShownName(const QString& caption, const QFontMetrics& metrics, int width);

signals:
    // The choice changed (by the user, a fill, a load or a write of SelectedDrives).
    void Change();

private:
    bool IsChosen(const QTreeWidgetItem* item) const;
    void SetChosen(QTreeWidgetItem* item, bool chosen);
    // Runs a change of many rows with one repaint and at most one Change at the end.
    template <typename F>
    void ChangeChoice(F change);
    QIcon DriveImage(int driveType) const;

    bool FSelectLocalDrives = true;
    bool FCheckboxes = false;
    int FAllocBy = 8;
    bool FBulkChange = false;
};
