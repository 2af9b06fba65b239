#include "MainView.h"
#include "app/UnitMain.h"
#include "support/FakeUi.h"
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
struct Editor {
    FakeUi Ui;
    TMain Main{Ui, "-debug"};
    MainView View{Main};
    // Named after their forms (the views have no meta-object of their own to look them up by).
    QWidget& Log = *View.findChild<QWidget*>(QStringLiteral("FormPort"));
    QWidget& Bits = *View.findChild<QWidget*>(QStringLiteral("Dbg"));
    QPlainTextEdit& Memo = *Log.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    QTableView& Grid = *Bits.findChild<QTableView*>(QStringLiteral("SG"));

    void Debug() { View.findChild<QToolButton*>(QStringLiteral("TBDebug"))->click(); }
    QString Cell(int row, int column) { return Grid.model()->index(row, column).data().toString(); }
};
} // namespace

TEST(TrafficLog, ShowsTheMemoLineByLineAndHidesItsFormWhenClosed) {
    Editor e;
    EXPECT_TRUE(e.Log.isHidden());
    e.Main.FormPort.AddLine("byte=0x0027"); // kept while the window is hidden
    e.Debug();
    ASSERT_TRUE(e.Log.isVisible());
    EXPECT_EQ(e.Log.windowTitle(), QStringLiteral("Port"));
    EXPECT_EQ(e.Log.size(), QSize(e.Main.FormPort.Width, e.Main.FormPort.Height()));
    EXPECT_EQ(e.Log.pos(), QPoint(e.Main.FormPort.Left, e.Main.FormPort.Top));
    EXPECT_EQ(e.Memo.toPlainText(), QStringLiteral("byte=0x0027"));

    const uint8_t probe[] = {0x00, 0x01, 0x04, 0x55, 0x74};
    e.Main.FormPort.DebugFilePath = "/nonexistent-dir/debug.txt"; // keep the test's files clean
    e.Main.FormPort.LogPacket(probe, sizeof probe, false, 1);
    e.Main.FormPort.AddLine("------------");
    EXPECT_EQ(e.Memo.toPlainText(), QStringLiteral("byte=0x0027\nCOM1 Write : 0x00 0x01 0x04 0x55 0x74\n"
                                                   "------------"));

    e.Log.close();
    EXPECT_FALSE(e.Main.FormPort.Visible());
    EXPECT_TRUE(e.Bits.isVisible());
    e.Debug();
    EXPECT_TRUE(e.Log.isVisible());
    EXPECT_EQ(e.Memo.document()->blockCount(), 3);
}

TEST(ImageView, GridCellsHeadersAndRefills) {
    Editor e;
    e.Main.Image[0x10] = 0xA5;
    e.Debug();
    ASSERT_TRUE(e.Bits.isVisible());
    EXPECT_EQ(e.Bits.windowTitle(), QStringLiteral("Dbg"));
    EXPECT_EQ(e.Bits.size(), QSize(e.Main.Dbg.Width, e.Main.Dbg.Height()));
    EXPECT_EQ(e.Bits.pos(), QPoint(e.Main.Dbg.Left, e.Main.Dbg.Top));

    // Byte 0x10 is grid row 17: its bits most significant first, its value, its address.
    QString bits;
    for (int c = 1; c <= 8; ++c)
        bits += e.Cell(17, c);
    EXPECT_EQ(bits, QStringLiteral("10100101"));
    EXPECT_EQ(e.Cell(17, 9), QStringLiteral("165"));
    EXPECT_EQ(e.Cell(17, 0), QStringLiteral("0010"));
    EXPECT_EQ(e.Grid.model()->rowCount(), 2049);
    EXPECT_EQ(e.Grid.model()->headerData(17, Qt::Vertical).toString(), QStringLiteral("0010"));
    EXPECT_EQ(e.Grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("7"));
    EXPECT_EQ(e.Grid.model()->headerData(8, Qt::Horizontal).toString(), QStringLiteral("0"));

    // A change of the image while shown refills in one notice; hidden, nothing is refilled.
    QSignalSpy changed(e.Grid.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(e.Grid.model(), &QAbstractItemModel::modelReset);
    e.Main.Image[0x10] = 0x01;
    e.Main.NotifyImageChanged();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(e.Cell(17, 9), QStringLiteral("1"));
    e.Bits.close();
    EXPECT_FALSE(e.Main.Dbg.Visible());
    e.Main.Image[0x10] = 0x02;
    e.Main.NotifyImageChanged();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(e.Cell(17, 9), QStringLiteral("1"));
}
