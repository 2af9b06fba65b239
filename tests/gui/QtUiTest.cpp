#include "QtUi.h"
#include "FileFilter.h"
#include "base/Cp1251.h"
#include "support/TempDir.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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

// A form shows as a dialog of its own controls, made once and kept; its buttons end it with their
// result, and the close box answers Cancel.
TEST(QtUi, ModalFormsShowAsDialogsOfTheirControls) {
    QtUi ui;
    TForm form("Project");
    form.Width = 200;
    form.SetHeight(100);
    TButton ok("OKBtn");
    ok.SetBounds({10, 60, 75, 25});
    ok.OnClick = [&form](TButton&) {
        form.ModalResult = TModalResult::Ok;
        form.Hide();
    };
    form.Children = {&ok};
    QWidget* shown = nullptr;
    WhenModal([&shown](QWidget& dialog) {
        shown = &dialog;
        EXPECT_EQ(dialog.size(), QSize(200, 100));
        dialog.findChild<QPushButton*>(QStringLiteral("OKBtn"))->click();
    });
    EXPECT_EQ(ui.ShowModal(form), TModalResult::Ok);
    EXPECT_FALSE(form.Visible());

    WhenModal([&form, &shown](QWidget& dialog) {
        EXPECT_TRUE(form.Visible());
        EXPECT_EQ(&dialog, shown);
        dialog.close();
    });
    EXPECT_EQ(ui.ShowModal(form), TModalResult::Cancel);
    EXPECT_FALSE(form.Visible());
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

TEST(QtUi, TheReportOpensAsAPrivateUtf8CopyThatNoPlantedLinkCanRedirect) {
    TempDir dir, runtime;
    std::filesystem::permissions(runtime.Path, std::filesystem::perms::owner_all);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.Path.c_str());
    const std::string report = dir.File("VarokConfig.txt");
    const std::string text = "Вход IN 1\r\n  Этап 1\r\n";
    TempDir::Write(report, Utf8ToCp1251(text));
    // Another user's links where a copy used to go, and where it goes now.
    const std::string victim = dir.File("victim");
    TempDir::Write(victim, "precious");
    const std::string planted[] = {
        QStandardPaths::writableLocation(QStandardPaths::TempLocation).toStdString() +
            "/VarokConfig-utf8.txt",
        runtime.File("VarokConfig-utf8.txt")};
    for (const std::string& link : planted) {
        std::filesystem::remove(link);
        std::filesystem::create_symlink(victim, link);
    }

    QtUi ui;
    DesktopStandIn desktop;
    EXPECT_TRUE(ui.OpenInTextEditor(report));
    EXPECT_TRUE(ui.OpenInTextEditor(report));
    ASSERT_EQ(desktop.Opened.size(), 2);
    const std::string first = desktop.Opened[0].toLocalFile().toStdString();
    const std::string copy = desktop.Opened[1].toLocalFile().toStdString();
    EXPECT_NE(first, copy);
    EXPECT_FALSE(std::filesystem::exists(first)); // one copy at a time
    EXPECT_EQ(copy.rfind(runtime.File("VarokConfig-utf8-"), 0), 0u) << copy;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(copy)));
    EXPECT_EQ(std::filesystem::status(copy).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(TempDir::Read(copy), text);
    EXPECT_EQ(TempDir::Read(report), Utf8ToCp1251(text));
    EXPECT_EQ(TempDir::Read(victim), "precious");
    for (const std::string& link : planted) {
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        std::filesystem::remove(link);
    }

    // No file, nothing to open: the caller reports it.
    EXPECT_FALSE(ui.OpenInTextEditor(dir.File("missing.txt")));
    EXPECT_EQ(desktop.Opened.size(), 2);
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

TEST(QtUi, OpenTakesTheNameAsChosenAndBothDialogsMoveTheWorkingFolder) {
    TempDir dir;
    TempDir::Write(dir.File("Hall"), std::string(2048, '\0'));
    const QString before = QDir::currentPath();
    QtUi ui;
    struct Case {
        bool Save;
        const char* Typed;
        const char* Expected;
    };
    for (const Case& c :
         {Case{false, "Hall", "Hall"}, Case{true, "Hall", "Hall.usr"}, Case{true, "Hall.A", "Hall.A"}}) {
        SCOPED_TRACE(c.Typed);
        QDir::setCurrent(before);
        WhenModal([&](QWidget& w) {
            auto& files = static_cast<QFileDialog&>(w);
            files.setDirectory(QString::fromStdString(dir.Path.string()));
            files.selectFile(QString::fromLatin1(c.Typed));
            static_cast<QDialog&>(files).accept(); // as the Open button does
        });
        std::string chosen;
        const TFileDialog dialog{"*.usr|*.usr", "usr", {}};
        ASSERT_TRUE(c.Save ? ui.SaveFileDialog(dialog, chosen) : ui.OpenFileDialog(dialog, chosen));
        EXPECT_EQ(chosen, dir.File(c.Expected));
        EXPECT_EQ(QDir::currentPath().toStdString(), dir.Path.string());
    }
    QDir::setCurrent(before);
}

#include "QtUiTest.moc"
