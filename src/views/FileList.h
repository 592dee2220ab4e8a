#pragma once
// TFileListView: the results list, one row per file in seven columns (FileRow.h), over the
// plain rows of TResultRows. Rows added between BeginUpdate and EndUpdate are shown in one
// batch; the view never resets per row.
//
// A click on a column header sorts the rows by that column (TRowOrder), unless an owner has
// assigned OnColumnClick, which then replaces the view's own sort.
#include <QString>
#include <QTreeView>
#include <cstdint>
#include <functional>
#include <string>

#include "views/FileRow.h"
#include "views/ResultRows.h"

class TResultRowsModel;

class TFileListView : public QTreeView {
    Q_OBJECT

public:
    explicit TFileListView(QWidget* owner = nullptr);
    ~TFileListView() override;

    TResultRows& Rows() { return FRows; }
    const TResultRows& Rows() const { return FRows; }
    TResultRowsModel* RowsModel() const { return FModel; }

    // Adds the file's row at the end; false, with size untouched, when the file cannot be
    // described (it is gone, or is no regular file).
    bool AddFile(const std::string& fileName, std::int64_t& size);
    // A row with a caption and no sub-items: a group header or an empty row.
    void AddRow(const std::string& caption);
    void Clear();

    // The update bracket: rows appended inside it are shown when the outermost one closes.
    void BeginUpdate();
    void EndUpdate();
    // Shows the rows appended so far although the bracket is still open.
    void RepaintRows();

    // Every column to the width of its widest text or its header, the last one filling the
    // rest. The widths stay as set while rows are added. FixColumnWidths first shows the rows
    // held back by an open update bracket, then measures them too.
    void AutoSizeColumns();
    void FixColumnWidths();

    // The width the widest cell of a column needs (the header not counted).
    using QTreeView::sizeHintForColumn;

    // Index of the first selected row in row order, or -1.
    int SelectedIndex() const;
    void SelectRow(int index);

    int AllocBy() const { return FAllocBy; }
    void SetAllocBy(int value) { FAllocBy = value > 0 ? value : 1; }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value);
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool value);
    // The icon of each file's type from the icon theme. The icons are shared by every view
    // and never freed by one.
    bool ShowIcons() const { return FShowIcons; }
    void SetShowIcons(bool value);
    // The hint text, shown as the list's tool tip.
    const QString& Hint() const { return FHint; }
    void SetHint(const QString& hint);

    int SortColumn() const { return FOrder.SortColumn; }
    bool SortAscending() const { return FOrder.SortAscending; }
    // Assigned, it replaces the view's own header-click sort.
    std::function<void(int column)> OnColumnClick;

    // The view's own handler of a header click.
    void ColumnClick(int column);

private:
    void HeaderClicked(int column);

    TResultRows FRows;
    TResultRowsModel* FModel = nullptr;
    TRowOrder FOrder;
    int FAllocBy = 32;
    bool FMultiSelect = true;
    bool FRowSelect = true;
    bool FShowIcons = false;
    QString FHint;
};
