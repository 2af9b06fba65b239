// The whole connection path against the simulated controller: the toolbar button, the
// real dialog, the serial port's worker threads handing deliveries to Qt's event loop.
#include "MainView.h"
#include "ModalAnswerer.h"
#include "QtUi.h"
#include "app/UnitMain.h"
#include "support/TempDir.h"
#include "support/VerdaSimProcess.h"
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QToolButton>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {
struct PortsFolder {
    explicit PortsFolder(const TempDir& dir) { setenv("VAROKCONFIG_PORTS", dir.Path.c_str(), 1); }
    ~PortsFolder() { unsetenv("VAROKCONFIG_PORTS"); }
};
} // namespace

TEST(Connect, FindsTheSimulatedControllerAndReadsWhileABoxIsOpen) {
    // A build with the editor alone has no simulator to talk to.
    if (!std::filesystem::exists(VAROK_BIN_DIR "/verda-sim"))
        GTEST_SKIP() << "verda-sim is not built (" VAROK_BIN_DIR "/verda-sim); build it to run this test";
    TempDir ports;
    TChildProcess sim;
    ASSERT_FALSE(StartVerdaSim(sim, {"--ports", ports.Path.string(), "--com", "1", "--image",
                                     VAROK_SOURCE_DIR "/examples/Office-Building.usr"})
                     .empty());
    const PortsFolder folder(ports);

    QtUi ui;
    TMain main(ui, {});
    MainView view(main);
    ui.SetParentWindow(&view);
    view.show();
    QLabel* status = view.findChild<QStatusBar*>()->findChildren<QLabel*>().at(0);

    ModalAnswerer answer;
    QStringList dialogs;
    answer.OnDialog = [&dialogs](QDialog& dialog) {
        dialogs << dialog.windowTitle();
        dialog.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    };
    view.findChild<QToolButton*>(QStringLiteral("TBFind"))->click();
    ASSERT_TRUE(WaitFor([&] { return status->text() == QStringLiteral("Подключено на COM 1"); }))
        << status->text().toStdString();
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("Подключение к контроллеру")});
    EXPECT_EQ(answer.Boxes, QStringList{QStringLiteral("Подключено на COM 1")});
    EXPECT_TRUE(view.findChild<QToolButton*>(QStringLiteral("TBFind"))->isChecked());
    EXPECT_TRUE(view.findChild<QWidget*>(QStringLiteral("TBRead"))->isEnabled());
    EXPECT_TRUE(view.findChild<QWidget*>(QStringLiteral("PanelScan"))->isHidden());

    // The read runs to its end inside the loop of a message box that stays open meanwhile.
    answer.Hold = [&main] { return main.Connection.LinkMode() != 0; };
    view.findChild<QToolButton*>(QStringLiteral("TBRead"))->click();
    ui.MessageBox(TBoxKind::Information, "Тест", "Ждём чтения", TBoxButtons::Ok);
    EXPECT_EQ(main.Connection.LinkMode(), 0);
    EXPECT_EQ(main.ProgressBar.Position(), 2048);
    EXPECT_EQ(view.windowTitle(), QStringLiteral("Конфигурация -  *"));
    EXPECT_TRUE(view.findChild<QWidget*>(QStringLiteral("PanelScan"))->isHidden());
    EXPECT_TRUE(view.findChild<QWidget*>(QStringLiteral("TBSave"))->isEnabled());
}
