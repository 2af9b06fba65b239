#include "DbgView.h"
#include "StringGridModel.h"
#include "forms/Debug.h"
#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>

namespace {
// Readable in the grid's 16-pixel rows.
constexpr int FontPixels = 11;
} // namespace

DbgView::DbgView(TDbg& form, QWidget* parent) : FormWindow(form, QPoint(form.Left, form.Top), parent) {
    TStringGrid& grid = form.SG;
    auto* table = new QTableView(this);
    table->setObjectName(QString::fromStdString(grid.Name));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(table);

    QFont cells = table->font();
    cells.setPixelSize(FontPixels);
    cells.setStyleHint(QFont::Monospace);
    cells.setFamily(QStringLiteral("monospace"));
    table->setFont(cells);
    table->setModel(new StringGridModel(grid, table));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);

    // The grid's fixed row and column are the headers, so they stay put while the cells
    // scroll; their cells in the body are hidden.
    QHeaderView* across = table->horizontalHeader();
    QHeaderView* down = table->verticalHeader();
    across->setFont(cells);
    down->setFont(cells);
    across->setSectionResizeMode(QHeaderView::Fixed);
    down->setSectionResizeMode(QHeaderView::Fixed);
    across->setMinimumSectionSize(1);
    down->setMinimumSectionSize(1);
    down->setDefaultSectionSize(grid.RowHeight);
    across->setFixedHeight(grid.RowHeight);
    down->setDefaultAlignment(Qt::AlignCenter);
    table->hideRow(0);
    table->hideColumn(0);
    for (int c = 0; c < grid.ColCount() && c < static_cast<int>(grid.ColWidths.size()); ++c) {
        if (c == 0)
            down->setFixedWidth(grid.ColWidths[0]);
        else
            table->setColumnWidth(c, grid.ColWidths[static_cast<size_t>(c)]);
    }
}
