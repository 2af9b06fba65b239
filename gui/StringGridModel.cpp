#include "StringGridModel.h"
#include "ui/StringGrid.h"
#include <QPointer>

StringGridModel::StringGridModel(TStringGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), Grid(grid), Rows(grid.RowCount()), Cols(grid.ColCount()) {
    Grid.Watch([model = QPointer<StringGridModel>(this)] {
        if (model)
            model->Refreshed();
    });
}

void StringGridModel::Refreshed() {
    if (Rows != Grid.RowCount() || Cols != Grid.ColCount()) {
        beginResetModel();
        Rows = Grid.RowCount();
        Cols = Grid.ColCount();
        endResetModel();
        return;
    }
    // Same shape: one change notice for all cells. The view repaints only what it shows
    // and keeps its scroll position, so a refill during a transfer stays cheap.
    if (Rows > 0 && Cols > 0)
        emit dataChanged(index(0, 0), index(Rows - 1, Cols - 1), {Qt::DisplayRole});
}

int StringGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Rows;
}

int StringGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Cols;
}

QVariant StringGridModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= Rows || index.column() >= Cols)
        return {};
    return QString::fromStdString(Grid.Cell(index.column(), index.row()));
}

QVariant StringGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < Cols && Rows > 0 ? QString::fromStdString(Grid.Cell(section, 0)) : QVariant();
    return section < Rows && Cols > 0 ? QString::fromStdString(Grid.Cell(0, section)) : QVariant();
}

Qt::ItemFlags StringGridModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
