#pragma once
#include "ui/Control.h"

// A grid of texts. Views watch whole refills (Changed) rather than single cells.
class TStringGrid : public TControl {
public:
    using TControl::TControl;
    void SetSize(int cols, int rows) {
        FCols = cols;
        FRows = rows;
        FCells.assign(static_cast<size_t>(cols * rows), std::string());
    }
    int ColCount() const { return FCols; }
    int RowCount() const { return FRows; }
    const std::string& Cell(int col, int row) const { return FCells.at(Index(col, row)); }
    // Writes a cell without telling the views; call Refreshed after a batch.
    void PutCell(int col, int row, std::string text) { FCells.at(Index(col, row)) = std::move(text); }
    void Refreshed() { Changed(); }
    std::vector<int> ColWidths;
    int RowHeight = 16;

private:
    size_t Index(int col, int row) const { return static_cast<size_t>(row * FCols + col); }
    int FCols = 0, FRows = 0;
    std::vector<std::string> FCells;
};
