#pragma once
#include <QAbstractTableModel>

class TStringGrid;

// A read-only table model over a headless string grid, cell for cell: model row r and
// column c are the grid's. Row 0 and column 0 (the grid's fixed cells) also serve as the
// horizontal and vertical header texts. A refill of the grid updates every cell at once.
class StringGridModel : public QAbstractTableModel {
public:
    explicit StringGridModel(TStringGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void Refreshed();

    TStringGrid& Grid;
    int Rows = 0, Cols = 0;
};
