#include "MainView.h"
#include "Painter.h"
#include "app/MainLayout.h"
#include "app/UnitMain.h"
#include "support/FakeUi.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// The real main window over a headless TMain with a scripted Ui.
struct Editor {
    FakeUi Ui;
    TMain Main;
    MainView View;

    Editor() : Main(Ui, {}), View(Main) {}

    template <class TWidget> TWidget& Get(const char* name) {
        auto* widget = View.findChild<TWidget*>(QString::fromLatin1(name));
        if (!widget)
            throw std::runtime_error(std::string("no widget ") + name);
        return *widget;
    }
    void Click(const char* name) { Get<QAbstractButton>(name).click(); }
    // Picks a choice the way the keyboard does on a closed list.
    void Pick(const char* name, int index) {
        auto& box = Get<QComboBox>(name);
        while (box.currentIndex() != index) {
            const int before = box.currentIndex();
            QTest::keyClick(&box, box.currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
            if (box.currentIndex() == before)
                throw std::runtime_error(std::string("cannot pick in ") + name);
        }
    }
    bool Enabled(const char* name) { return Get<QWidget>(name).isEnabled(); }
};

QRect Rect(const TRect& at) {
    return QRect(at.Left, at.Top, at.Width, at.Height);
}

QImage Picture(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage();
}
} // namespace

TEST(MainView, WindowAtStart) {
    Editor e;
    EXPECT_EQ(e.View.windowTitle(), QStringLiteral("Конфигурация"));
    EXPECT_EQ(e.View.size(), QSize(e.Main.Width, e.Main.Height()));
    EXPECT_EQ(e.View.minimumSize(), e.View.maximumSize());
    EXPECT_FALSE(e.View.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(e.View.windowFlags() & Qt::WindowMinimizeButtonHint);

    const QList<QLabel*> panels = e.View.findChild<QStatusBar*>()->findChildren<QLabel*>();
    ASSERT_EQ(panels.size(), 4);
    EXPECT_EQ(panels[0]->text(), QStringLiteral("Нет подключения"));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(panels[i]->width(), e.Main.StatusBar1.Panels()[static_cast<size_t>(i)].Width);

    EXPECT_TRUE(e.Get<QWidget>("PanelScan").isHidden());
    e.Main.PanelScan.SetCaption("Поиск");
    e.Main.PanelScan.SetVisible(true);
    e.Main.ProgressBar.SetPosition(64);
    EXPECT_FALSE(e.Get<QWidget>("PanelScan").isHidden());
    EXPECT_EQ(e.Get<QWidget>("PanelScan").geometry(), Rect(e.Main.PanelScan.Bounds()));
    EXPECT_EQ(e.Get<QProgressBar>("ProgressBar").value(), 64);
    EXPECT_EQ(e.Get<QProgressBar>("ProgressBar").geometry(), Rect(e.Main.ProgressBar.Bounds()));

    e.Main.Connection.SearchTimer.SetRunning(true);
    EXPECT_TRUE(e.Get<QTimer>("Timer").isActive());
    e.Main.Connection.SearchTimer.SetRunning(false);
    EXPECT_FALSE(e.Get<QTimer>("Timer").isActive());

    // The caption follows the form after New, Open or a read.
    e.Main.ProjectTitle = "Объект";
    e.Main.ShowProjectCaption();
    EXPECT_EQ(e.View.windowTitle(), QStringLiteral("Конфигурация - Объект"));
}

TEST(MainView, ToolbarOrderCaptionsAndStates) {
    Editor e;
    auto* row = e.Get<QWidget>("ToolBar1").layout();
    QStringList shown, commands;
    for (TButton* b : e.Main.ToolBar1)
        commands << (b->IsSeparator ? QStringLiteral("|") : QString::fromStdString(b->Caption()));
    for (int i = 0; i < row->count(); ++i) {
        QWidget* w = row->itemAt(i)->widget();
        if (!w)
            continue;
        auto* button = qobject_cast<QToolButton*>(w);
        if (!button) {
            shown << QStringLiteral("|");
            continue;
        }
        shown << button->text();
        EXPECT_EQ(button->size(), QSize(TMainLayout::ToolButtonWidth, TMainLayout::ToolButtonHeight));
        EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_FALSE(button->icon().isNull()) << button->text().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->text().toStdString();
    }
    EXPECT_EQ(shown, commands);

    EXPECT_TRUE(e.Enabled("TBNew"));
    EXPECT_TRUE(e.Enabled("TBOpen"));
    EXPECT_FALSE(e.Enabled("TBSave"));
    EXPECT_FALSE(e.Enabled("TBRead"));
    EXPECT_FALSE(e.Enabled("TBWrite"));
    for (const char* toggle : {"TBReport", "TBFind"}) {
        EXPECT_TRUE(e.Get<QToolButton>(toggle).isCheckable()) << toggle;
        EXPECT_FALSE(e.Get<QToolButton>(toggle).isChecked()) << toggle;
    }
    EXPECT_TRUE(e.Get<QWidget>("TBDebug").isHidden());

    // States set later by the form show at once.
    e.Main.TBRead.SetEnabled(true);
    e.Main.TBFind.SetDown(true);
    EXPECT_TRUE(e.Enabled("TBRead"));
    EXPECT_TRUE(e.Get<QToolButton>("TBFind").isChecked());
}

TEST(MainView, ClickingTheGridWritesTheShownInput) {
    Editor e;
    e.Pick("ComboBox57", 1); // one splitter: zones 1-4
    e.Pick("ComboBox56", 1); // one control module
    e.Click("SpeedButton3"); // IN 3: stage records from byte 100
    EXPECT_TRUE(e.Get<QToolButton>("SpeedButton3").isChecked());
    EXPECT_FALSE(e.Get<QToolButton>("SpeedButton1").isChecked());

    EXPECT_FALSE(e.Enabled("ComboBox43"));
    EXPECT_FALSE(e.Enabled("ToolButton77"));
    EXPECT_FALSE(e.Enabled("CheckBox191"));
    e.Click("CheckBox180");
    EXPECT_EQ(e.Main.Image[100] & 0x80, 0x80);
    EXPECT_TRUE(e.Enabled("ComboBox43"));
    EXPECT_TRUE(e.Enabled("TBSave"));

    // Zone 2 of stage 1 is ToolButton77; zone 5 needs a second splitter.
    EXPECT_TRUE(e.Enabled("ToolButton77"));
    EXPECT_FALSE(e.Enabled("ToolButton101"));
    const QImage up = Picture(e.Get<QToolButton>("ToolButton77").icon());
    e.Click("ToolButton77");
    EXPECT_TRUE(e.Get<QToolButton>("ToolButton77").isChecked());
    EXPECT_EQ(e.Main.Image[102], 0x02);
    EXPECT_EQ(Picture(e.Get<QToolButton>("ToolButton77").icon()), Picture(ListedIcon(1)));
    EXPECT_NE(Picture(ListedIcon(1)), up);

    // Module 1 K2 of stage 1 is CheckBox191; module 2 is not installed.
    EXPECT_TRUE(e.Enabled("CheckBox191"));
    EXPECT_FALSE(e.Enabled("CheckBox205"));
    e.Click("CheckBox191");
    EXPECT_EQ(e.Main.Image[103], 0x40);

    // IN 1 is empty; coming back shows IN 3 as it was left.
    e.Click("SpeedButton1");
    EXPECT_FALSE(e.Get<QCheckBox>("CheckBox180").isChecked());
    EXPECT_FALSE(e.Get<QToolButton>("ToolButton77").isChecked());
    EXPECT_FALSE(e.Enabled("ComboBox43"));
    e.Click("SpeedButton3");
    EXPECT_TRUE(e.Get<QCheckBox>("CheckBox180").isChecked());
    EXPECT_TRUE(e.Get<QToolButton>("ToolButton77").isChecked());
    EXPECT_TRUE(e.Get<QCheckBox>("CheckBox191").isChecked());
}

TEST(MainView, EnabledStatesFollowTheChainingAndTheComposition) {
    Editor e;
    e.Click("CheckBox180");
    EXPECT_FALSE(e.Enabled("CheckBox181"));
    e.Pick("ComboBox32", 2); // repeats "2"
    EXPECT_TRUE(e.Enabled("CheckBox181"));
    e.Click("CheckBox181");
    EXPECT_TRUE(e.Enabled("ComboBox44"));

    e.Pick("ComboBox32", 0); // "Без огр" ends the chain after stage 1
    EXPECT_FALSE(e.Get<QCheckBox>("CheckBox181").isChecked());
    EXPECT_FALSE(e.Enabled("CheckBox181"));
    EXPECT_FALSE(e.Enabled("ComboBox44"));

    // The gong needs an announcer console; three modules back to one drop modules 2 and 3.
    EXPECT_FALSE(e.Enabled("CheckBox316"));
    e.Pick("ComboBox54", 1);
    EXPECT_TRUE(e.Enabled("CheckBox316"));
    EXPECT_EQ(e.Get<QComboBox>("ComboBox55").count(), 2);
    e.Pick("ComboBox56", 3);
    e.Click("CheckBox220"); // module 3 K1, stage 1
    EXPECT_TRUE(e.Get<QCheckBox>("CheckBox220").isChecked());
    e.Pick("ComboBox56", 1);
    EXPECT_FALSE(e.Get<QCheckBox>("CheckBox220").isChecked());
    EXPECT_FALSE(e.Enabled("CheckBox220"));
}

TEST(MainView, LengthTableDrivesTheStageTimes) {
    Editor e;
    auto& table = e.Get<QTableWidget>("LenMes");
    ASSERT_EQ(table.rowCount(), 72);
    EXPECT_EQ(table.horizontalHeaderItem(0)->text(), QStringLiteral("Номер"));
    EXPECT_EQ(table.horizontalHeaderItem(1)->text(), QStringLiteral("сек."));
    EXPECT_FALSE(table.item(4, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_TRUE(table.item(4, 1)->flags() & Qt::ItemIsEditable);

    e.Click("CheckBox180");
    e.Pick("ComboBox43", 4); // message 5
    e.Pick("ComboBox32", 3); // three plays
    e.Pick("ComboBox46", 1); // pause 5 s
    table.item(4, 1)->setText(QStringLiteral("10"));
    EXPECT_EQ(e.Get<QLabel>("StaticText8").text(), QStringLiteral("40"));
    EXPECT_EQ(e.Get<QLabel>("StaticText23").text(), QStringLiteral("40"));

    // A key cannot be changed from the table, and a cleared length reads "0".
    table.item(4, 0)->setText(QStringLiteral("9"));
    EXPECT_EQ(table.item(4, 0)->text(), QStringLiteral("5"));
    table.item(4, 1)->setText(QString());
    EXPECT_EQ(table.item(4, 1)->text(), QStringLiteral("0"));
    EXPECT_EQ(e.Get<QLabel>("StaticText8").text(), QStringLiteral("10"));
}

TEST(MainView, ClosingAsksTheFormAndMayStayOpen) {
    {
        Editor e;
        e.View.show();
        e.Click("ToolButton1"); // nothing edited: no question
        EXPECT_TRUE(e.Ui.Boxes.empty());
        EXPECT_FALSE(e.View.isVisible());
    }
    Editor e;
    e.View.show();
    e.Click("CheckBox180");
    e.Ui.BoxAnswers = {TModalResult::Cancel, TModalResult::No};
    e.View.close();
    EXPECT_TRUE(e.View.isVisible());
    ASSERT_EQ(e.Ui.Boxes.size(), 1u);
    EXPECT_EQ(e.Ui.Boxes[0].Text, TMain::SaveQuestion);
    e.View.close();
    EXPECT_FALSE(e.View.isVisible());
    EXPECT_TRUE(e.Main.Closed);
    EXPECT_EQ(e.Ui.Boxes.size(), 2u);
}

// On a laptop's 1366 x 768 the window takes the free area; the editor scrolls, and the
// toolbar, the status bar with the connection state and the last column stay in the window.
TEST(MainView, WindowFitsALaptopScreenWithTheStatusBarVisible) {
    Editor e;
    const QScreen* laptop = nullptr;
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->size() == QSize(1366, 768))
            laptop = screen;
    ASSERT_NE(laptop, nullptr);
    const QRect free = laptop->availableGeometry();
    e.View.FitScreen(free);
    e.View.show();
    EXPECT_TRUE(free.contains(e.View.geometry())) << e.View.height();
    EXPECT_LT(e.View.height(), 761);
    for (const char* name : {"ToolBar1", "StatusBar1"}) {
        const QWidget& part = e.Get<QWidget>(name);
        EXPECT_TRUE(part.isVisible()) << name;
        EXPECT_TRUE(e.View.rect().contains(QRect(part.mapTo(&e.View, QPoint(0, 0)), part.size()))) << name;
    }
    // The editor scrolls up and down; the window widens by the bar so that the last column stays.
    EXPECT_GT(e.Get<QScrollArea>("EditorScroll").verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(e.Get<QScrollArea>("EditorScroll").horizontalScrollBar()->maximum(), 0);
}
