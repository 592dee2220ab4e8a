#include "views/ResultRowsModel.h"

namespace {

const char* const kCaptions[TResultRowsModel::kColumnCount] = {
    "Name", "Size", "Type", "Modified", "Attr", "File Ver", "Prod Ver"};
const bool kRightAligned[TResultRowsModel::kColumnCount] = {false, true,  false, false,
                                                            true,  true,  true};

QVariant Alignment(int column)
{
    return QVariant::fromValue(Qt::Alignment(
        (kRightAligned[column] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
}

}  // namespace

TResultRowsModel::TResultRowsModel(TResultRows& rows, QObject* parent)
    : QAbstractTableModel(parent), FRows(rows), FCount(static_cast<int>(rows.Count()))
{
    FRows.OnAppended = [this](std::size_t first, std::size_t count) { Appended(first, count); };
    FRows.OnRemoved = [this](std::size_t first, std::size_t count) { Removed(first, count); };
    FRows.OnReset = [this] { Reset(); };
}

TResultRowsModel::~TResultRowsModel()
{
    FRows.OnAppended = nullptr;
    FRows.OnRemoved = nullptr;
    FRows.OnReset = nullptr;
}

void TResultRowsModel::SetIconOf(std::function<QIcon(const TResultRow&)> iconOf)
{
    FIconOf = std::move(iconOf);
    if (FCount > 0) emit dataChanged(index(0, 0), index(FCount - 1, 0), {Qt::DecorationRole});
}

// The rows report after the fact; the count told to the views moves only between the
// begin and end calls, as the views expect.
void TResultRowsModel::Appended(std::size_t first, std::size_t count)
{
    if (count == 0) return;
    beginInsertRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
    FCount += static_cast<int>(count);
    endInsertRows();
}

void TResultRowsModel::Removed(std::size_t first, std::size_t count)
{
    if (count == 0) return;
    beginRemoveRows(QModelIndex(), static_cast<int>(first), static_cast<int>(first + count - 1));
    FCount -= static_cast<int>(count);
    endRemoveRows();
}

void TResultRowsModel::Reset()
{
    beginResetModel();
    FCount = static_cast<int>(FRows.Count());
    endResetModel();
}

int TResultRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : FCount;
}

int TResultRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QString TResultRowsModel::CellText(const TResultRow& row, int column)
{
    if (column == 0) return QString::fromStdString(row.Caption);
    const auto sub = static_cast<std::size_t>(column - 1);
    return sub < row.SubItems.size() ? QString::fromStdString(row.SubItems[sub]) : QString();
}

QVariant TResultRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= FCount || index.row() >= int(FRows.Count()))
        return {};
    const TResultRow& row = FRows.Row(static_cast<std::size_t>(index.row()));
    switch (role) {
    case Qt::DisplayRole: return CellText(row, index.column());
    case Qt::TextAlignmentRole: return Alignment(index.column());
    case Qt::DecorationRole:
        if (index.column() == 0 && FIconOf) return FIconOf(row);
        return {};
    default: return {};
    }
}

QVariant TResultRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(kCaptions[section]);
    if (role == Qt::TextAlignmentRole) return Alignment(section);
    return {};
}
