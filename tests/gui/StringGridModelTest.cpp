// The image view's table model keeps Qt's model contract through refills and reshapes.
#include "StringGridModel.h"
#include "ui/StringGrid.h"
#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

namespace {
QStringList* Complaints = nullptr;

void Collect(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (Complaints && type != QtDebugMsg && type != QtInfoMsg)
        *Complaints << text;
}

void Fill(TStringGrid& grid, int cols, int rows, const std::string& mark) {
    grid.SetSize(cols, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            grid.PutCell(c, r, mark + std::to_string(c) + "," + std::to_string(r));
    grid.Refreshed();
}
} // namespace

TEST(StringGridModel, KeepsTheModelContractThroughRefillsAndReshapes) {
    QStringList complaints;
    Complaints = &complaints;
    const QtMessageHandler previous = qInstallMessageHandler(Collect);
    {
        TStringGrid grid;
        Fill(grid, 10, 65, "a");
        StringGridModel model(grid);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
        Fill(grid, 10, 65, "b"); // a refill of the same shape
        EXPECT_EQ(model.index(3, 2).data().toString(), QStringLiteral("b2,3"));
        EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("b2,0"));
        EXPECT_EQ(model.headerData(3, Qt::Vertical).toString(), QStringLiteral("b0,3"));
        EXPECT_FALSE(model.headerData(10, Qt::Horizontal).isValid());
        EXPECT_FALSE(model.index(3, 2).flags() & Qt::ItemIsEditable);
        Fill(grid, 3, 2, "c"); // a new shape
        EXPECT_EQ(model.rowCount(), 2);
        Fill(grid, 0, 0, "");
        EXPECT_EQ(model.columnCount(), 0);
        EXPECT_FALSE(model.headerData(0, Qt::Vertical).isValid());
        Fill(grid, 4, 4, "d");
        EXPECT_EQ(model.index(3, 3).data().toString(), QStringLiteral("d3,3"));
    }
    qInstallMessageHandler(previous);
    Complaints = nullptr;
    EXPECT_TRUE(complaints.isEmpty()) << complaints.join(QLatin1Char('\n')).toStdString();
}
