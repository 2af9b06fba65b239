#include "MainView.h"
#include "ModalAnswerer.h"
#include "QtUi.h"
#include "app/UnitMain.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
// The editor with the real Qt dialogs.
struct Editor {
    QtUi Ui;
    TMain Main{Ui, {}};
    MainView View{Main};
    ModalAnswerer Answer;
    Editor() { Ui.SetParentWindow(&View); }
};

template <class TWidget> TWidget& Child(QWidget& parent, const char* name) {
    auto* w = parent.findChild<TWidget*>(QString::fromLatin1(name));
    if (!w)
        throw std::runtime_error(std::string("no widget ") + name);
    return *w;
}

void Retype(QComboBox& box, const QString& text) {
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), text);
}
} // namespace

TEST(ConnectionDialog, ControlsHeightsAndButtons) {
    Editor e;
    e.Answer.OnDialog = [&e](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Подключение к контроллеру"));
        const TSetComPort& form = e.Main.SetComPort;
        EXPECT_EQ(d.size(), QSize(form.Width, form.Height()));
        QStringList order;
        QWidget* w = &Child<QWidget>(d, "ButtonOk");
        for (int i = 0; i < 60 && (order.isEmpty() || w != &Child<QWidget>(d, "ButtonOk")); ++i) {
            // A choice box's own line edit takes the box's turn.
            if (w->focusPolicy() & Qt::TabFocus && !qobject_cast<QComboBox*>(w->parentWidget())) {
                auto* button = qobject_cast<QAbstractButton*>(w);
                order << (w->objectName().isEmpty() && button ? button->text() : w->objectName());
            }
            w = w->nextInFocusChain();
        }
        EXPECT_EQ(order.join(',').toStdString(),
                  "ButtonOk,CheckBox1,Button1,ComboBoxPort,ButtonParam,"
                  "ComboBoxSpeed,ComboBoxControl,None,Odd,Even,Mark,Space,"
                  "5 bits,6 bits,7 bits,8 bits,1,1.5,2,CheckBoxDTR,CheckBoxRTS");

        // The parameter group opens and closes; the buttons keep to the bottom edge.
        auto& group = Child<QGroupBox>(d, "GroupBox1");
        EXPECT_TRUE(group.isHidden());
        const auto bottomEdge = [&](const char* button) {
            return d.height() - Child<QPushButton>(d, button).geometry().bottom() - 1;
        };
        const int edge = bottomEdge("ButtonOk");
        Child<QPushButton>(d, "ButtonParam").click();
        EXPECT_GT(form.Height(), form.CollapsedHeight);
        EXPECT_EQ(d.size(), QSize(form.Width, form.Height()));
        EXPECT_FALSE(group.isHidden());
        EXPECT_EQ(bottomEdge("Button1"), edge);
        Child<QPushButton>(d, "ButtonParam").click();
        EXPECT_EQ(d.size(), QSize(form.Width, form.CollapsedHeight));
        EXPECT_EQ(bottomEdge("ButtonOk"), edge);

        // A fixed port typed in, a speed that is no listed item: the texts stay as typed.
        auto& port = Child<QComboBox>(d, "ComboBoxPort");
        EXPECT_FALSE(port.isEnabled());
        Child<QCheckBox>(d, "CheckBox1").click();
        EXPECT_TRUE(port.isEnabled());
        EXPECT_EQ(port.currentIndex(), 0);
        Retype(port, QStringLiteral("7"));
        Retype(Child<QComboBox>(d, "ComboBoxSpeed"), QStringLiteral("1234"));
        EXPECT_EQ(e.Main.SetComPort.ComboBoxSpeed.Text(), "1234");
        EXPECT_EQ(Child<QComboBox>(d, "ComboBoxSpeed").currentText(), QStringLiteral("1234"));
        auto& even = *d.findChildren<QRadioButton*>().at(2);
        even.click();
        // The close box is the Cancel button: nothing is applied, no search starts, and the
        // dialog shows again what it showed when it opened.
        d.close();
        EXPECT_FALSE(port.isEnabled());
        EXPECT_EQ(Child<QComboBox>(d, "ComboBoxSpeed").currentText(), QStringLiteral("9600"));
        EXPECT_FALSE(even.isChecked());
    };
    e.View.findChild<QToolButton*>(QStringLiteral("TBFind"))->click();
    EXPECT_EQ(e.Main.Connection.PortNumber(), 1);
    EXPECT_FALSE(e.Main.TBFind.Down());
    EXPECT_FALSE(e.Main.SetComPort.Visible());
    EXPECT_FALSE(e.Main.Connection.SearchTimer.Running());
    EXPECT_EQ(e.Main.Connection.Port.GetParity(), paNone);
}

TEST(ProjectNameDialog, NamesTheNewProjectAndKeepsTheText) {
    Editor e;
    e.Answer.OnDialog = [&e](QDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Создание проета"));
        EXPECT_EQ(d.size(), QSize(e.Main.FormProjectName.Width, e.Main.FormProjectName.Height()));
        auto& name = Child<QLineEdit>(d, "ProjectName");
        EXPECT_EQ(d.focusWidget(), &name);
        // Typed as one key event: the test's key helpers know only ASCII.
        QTest::sendKeyEvent(QTest::Press, &name, Qt::Key_unknown, QStringLiteral("Склад 2"), Qt::NoModifier);
        Child<QPushButton>(d, "OKBtn").click();
    };
    e.View.findChild<QToolButton*>(QStringLiteral("TBNew"))->click();
    EXPECT_EQ(e.View.windowTitle(), QStringLiteral("Конфигурация - Склад 2"));
    EXPECT_TRUE(e.View.findChild<QWidget*>(QStringLiteral("TBSave"))->isEnabled());

    // Cancel changes nothing; the field still holds the last name.
    e.Answer.OnDialog = [](QDialog& d) {
        EXPECT_EQ(Child<QLineEdit>(d, "ProjectName").text(), QStringLiteral("Склад 2"));
        Child<QPushButton>(d, "CancelBtn").click();
    };
    e.Main.ProjectTitle = "x";
    e.View.findChild<QToolButton*>(QStringLiteral("TBNew"))->click();
    EXPECT_EQ(e.Main.ProjectTitle, "x");
}
