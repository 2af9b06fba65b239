#include "QtUi.h"
#include "FileFilter.h"
#include "support/TempDir.h"
#include "ui/Cp1251.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

TEST(FileFilter, DialogFiltersInQtForm) {
    EXPECT_EQ(QtFileFilter("*.usr|*.usr"), QStringLiteral("*.usr (*.usr)"));
    EXPECT_EQ(QtFileFilter("Проекты|*.usr;*.bak|Все|*"), QStringLiteral("Проекты (*.usr *.bak);;Все (*)"));
    EXPECT_EQ(QtFileFilter(""), QString());
}

TEST(FileFilter, DefaultExtensionOnlyForNamesWithoutOne) {
    EXPECT_EQ(WithDefaultExt("/home/u/проект", "usr"), "/home/u/проект.usr");
    EXPECT_EQ(WithDefaultExt("/home/u/a.b/проект", ".usr"), "/home/u/a.b/проект.usr");
    EXPECT_EQ(WithDefaultExt("/home/u/проект.usr", "usr"), "/home/u/проект.usr");
    EXPECT_EQ(WithDefaultExt("/home/u/проект.txt", "usr"), "/home/u/проект.txt");
    EXPECT_EQ(WithDefaultExt("/home/u/.hidden", "usr"), "/home/u/.hidden.usr");
    EXPECT_EQ(WithDefaultExt("/home/u/проект", ""), "/home/u/проект");
}

namespace {
// Runs act on the box or dialog that the next modal call shows.
void WhenModal(std::function<void(QWidget&)> act) {
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        act(*modal);
    });
}

void Press(QMessageBox::StandardButton which) {
    WhenModal([which](QWidget& w) { static_cast<QMessageBox&>(w).button(which)->click(); });
}
} // namespace

TEST(QtUi, MessageBoxesAnswerWithTheButtonPressed) {
    QtUi ui;
    struct Case {
        TBoxButtons Buttons;
        QMessageBox::StandardButton Pressed;
        TModalResult Expected;
    };
    for (const Case& c : {Case{TBoxButtons::Ok, QMessageBox::Ok, TModalResult::Ok},
                          Case{TBoxButtons::OkCancel, QMessageBox::Ok, TModalResult::Ok},
                          Case{TBoxButtons::OkCancel, QMessageBox::Cancel, TModalResult::Cancel},
                          Case{TBoxButtons::YesNoCancel, QMessageBox::Yes, TModalResult::Yes},
                          Case{TBoxButtons::YesNoCancel, QMessageBox::No, TModalResult::No},
                          Case{TBoxButtons::YesNoCancel, QMessageBox::Cancel, TModalResult::Cancel}}) {
        Press(c.Pressed);
        EXPECT_EQ(ui.MessageBox(TBoxKind::Information, "Конфигурация", "Вопрос", c.Buttons), c.Expected);
    }

    // The close box: a box with OK alone says OK, a question says Cancel.
    auto escape = [] { WhenModal([](QWidget& w) { w.close(); }); };
    escape();
    EXPECT_EQ(ui.MessageBox(TBoxKind::Error, "Ошибка", "Текст", TBoxButtons::Ok), TModalResult::Ok);
    escape();
    EXPECT_EQ(ui.MessageBox(TBoxKind::Information, "К", "Т", TBoxButtons::YesNoCancel), TModalResult::Cancel);

    WhenModal([](QWidget& w) {
        auto& box = static_cast<QMessageBox&>(w);
        EXPECT_EQ(box.windowTitle(), QStringLiteral("COM port warning"));
        EXPECT_EQ(box.text(), QStringLiteral("Внимание"));
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        box.button(QMessageBox::Ok)->click();
    });
    ui.MessageBox(TBoxKind::Warning, "COM port warning", "Внимание", TBoxButtons::Ok);
}

TEST(QtUi, ModalFormsShowThroughTheirRegisteredView) {
    QtUi ui;
    TForm form("Project");
    EXPECT_EQ(ui.ShowModal(form), TModalResult::Cancel);

    int built = 0;
    ui.RegisterModal(&form, [&built](QWidget* parent) {
        ++built;
        return new QDialog(parent);
    });
    // The form's own OK button: sets the result and hides the form.
    WhenModal([&form](QWidget&) {
        form.ModalResult = TModalResult::Ok;
        form.Hide();
    });
    EXPECT_EQ(ui.ShowModal(form), TModalResult::Ok);
    EXPECT_FALSE(form.Visible());

    // The close box: Cancel, and the form is hidden again; the dialog is kept.
    WhenModal([&form](QWidget& dialog) {
        EXPECT_TRUE(form.Visible());
        static_cast<QDialog&>(dialog).reject();
    });
    EXPECT_EQ(ui.ShowModal(form), TModalResult::Cancel);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(built, 1);
}

namespace {
// Stands in for the desktop: takes the files it is asked to open.
class DesktopStandIn : public QObject {
    Q_OBJECT
public:
    DesktopStandIn() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open"); }
    ~DesktopStandIn() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> Opened;
public slots:
    void Open(const QUrl& url) { Opened << url; }
};
} // namespace

TEST(QtUi, TheReportOpensAsAUtf8CopyAndStaysWindows1251) {
    TempDir dir;
    const std::string report = dir.File("VarokConfig.txt");
    const std::string text = "Вход IN 1\r\n  Этап 1\r\n";
    TempDir::Write(report, Utf8ToCp1251(text));
    const QString copy = QStandardPaths::writableLocation(QStandardPaths::TempLocation) +
                         QStringLiteral("/VarokConfig-utf8.txt");
    QFile::remove(copy);

    QtUi ui;
    DesktopStandIn desktop;
    EXPECT_TRUE(ui.OpenInTextEditor(report));
    ASSERT_EQ(desktop.Opened.size(), 1);
    EXPECT_EQ(desktop.Opened[0].toLocalFile(), copy);
    EXPECT_EQ(TempDir::Read(copy.toStdString()), text);
    EXPECT_EQ(TempDir::Read(report), Utf8ToCp1251(text));

    QFile::remove(copy);

    // No file, nothing to open: the caller reports it.
    EXPECT_FALSE(ui.OpenInTextEditor(dir.File("missing.txt")));
    EXPECT_EQ(desktop.Opened.size(), 1);
}

#include "QtUiTest.moc"
