#pragma once
// TResultRowsModel: the results rows as a Qt table model, seven columns. It follows the rows
// through their notifications, so a batch of appended rows costs one insertion, never one
// reset per row; rows appended inside an open update bracket stay invisible until told.
#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

#include "views/ResultRows.h"

class TResultRowsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int kColumnCount = 7;

    // Takes over the rows' notifications; rows must outlive the model.
    explicit TResultRowsModel(TResultRows& rows, QObject* parent = nullptr);
    ~TResultRowsModel() override;

    TResultRows& Rows() { return FRows; }

    // The icon of a row's file, shown in the first column when set; empty: no icons.
    void SetIconOf(std::function<QIcon(const TResultRow&)> iconOf);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text of a cell: the caption in column 0, sub-item column - 1 after it, or empty.
    static QString CellText(const TResultRow& row, int column);

private:
    void Appended(std::size_t first, std::size_t count);
    void Removed(std::size_t first, std::size_t count);
    void Reset();

    TResultRows& FRows;
    int FCount = 0;  // rows told to the views; the rows may hold more while updating
    std::function<QIcon(const TResultRow&)> FIconOf;
};
