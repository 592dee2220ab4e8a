#include "views/FileList.h"

#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMimeDatabase>

#include "views/ResultRowsModel.h"

namespace {

// The icons of the file types, shared by every view for the program's life.
QIcon SharedTypeIcon(const TResultRow& row)
{
    if (row.SubItems.empty() || row.Caption.empty())
        return {};
    static QHash<QString, QIcon> icons;
    static const QMimeDatabase mimeTypes;
    // By name alone: painting must never open a file.
    const QString name = QString::fromStdString(row.Caption).section(QLatin1Char('\\'), -1);
    const QMimeType type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    auto found = icons.constFind(type.name());
    if (found != icons.constEnd())
        return *found;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(QStringLiteral("text-x-generic"));
    icons.insert(type.name(), icon);
    return icon;
}

}  // namespace

TFileListView::TFileListView(QWidget* owner) : QTreeView(owner)
{
    setObjectName(QStringLiteral("FileListView1"));
    FModel = new TResultRowsModel(FRows, this);
    setModel(FModel);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    SetMultiSelect(true);
    SetRowSelect(true);
    header()->setStretchLastSection(true);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header(), &QHeaderView::sectionClicked, this, &TFileListView::HeaderClicked);
}

TFileListView::~TFileListView()
{
    // The model unhooks itself from the rows before the rows go.
    setModel(nullptr);
    delete FModel;
    FModel = nullptr;
}

bool TFileListView::AddFile(const std::string& fileName, std::int64_t& size)
{
    return ::AddFile(FRows, fileName, size);
}

void TFileListView::AddRow(const std::string& caption)
{
    FRows.Append(TResultRow{caption, {}});
}

void TFileListView::Clear()
{
    FRows.Clear();
}

void TFileListView::BeginUpdate()
{
    FRows.BeginUpdate();
}

void TFileListView::EndUpdate()
{
    FRows.EndUpdate();
}

void TFileListView::RepaintRows()
{
    FRows.Flush();
    viewport()->update();
}

void TFileListView::AutoSizeColumns()
{
    for (int column = 0; column < TResultRowsModel::kColumnCount; ++column)
        resizeColumnToContents(column);
}

void TFileListView::FixColumnWidths()
{
    // Measured on the rows held back by an open update bracket too: a width taken before
    // they reach the view would cut their cells.
    FRows.Flush();
    AutoSizeColumns();
    viewport()->update();
}

int TFileListView::SelectedIndex() const
{
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        if (first < 0 || index.row() < first)
            first = index.row();
    return first;
}

void TFileListView::SelectRow(int index)
{
    if (index < 0 || index >= FModel->rowCount()) {
        clearSelection();
        return;
    }
    const QModelIndex at = FModel->index(index, 0);
    selectionModel()->setCurrentIndex(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TFileListView::SetMultiSelect(bool value)
{
    FMultiSelect = value;
    setSelectionMode(value ? QAbstractItemView::ExtendedSelection
                           : QAbstractItemView::SingleSelection);
}

void TFileListView::SetRowSelect(bool value)
{
    FRowSelect = value;
    setSelectionBehavior(value ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void TFileListView::SetShowIcons(bool value)
{
    if (value == FShowIcons)
        return;
    FShowIcons = value;
    FModel->SetIconOf(value ? std::function<QIcon(const TResultRow&)>(SharedTypeIcon) : nullptr);
}

void TFileListView::SetHint(const QString& hint)
{
    FHint = hint;
    setToolTip(hint);
}

void TFileListView::HeaderClicked(int column)
{
    if (OnColumnClick)
        OnColumnClick(column);
    else
        ColumnClick(column);
}

void TFileListView::ColumnClick(int column)
{
    FOrder.ColumnClick(column);
    clearSelection();
    SortRows(FRows, FOrder);
}
