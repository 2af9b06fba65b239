// The connection dialog's port list: the ports that exist first, with their devices and adapters,
// then every other number; whatever is listed, the port read from the dialog is the one chosen.
#include "app/UnitMain.h"
#include "link/PortNames.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

namespace fs = std::filesystem;

TEST(PortList, ExistingPortsFirstWithTheirDevicesAndTheNumberChosenIsRead) {
    TempDir root;
    for (const char* folder : {"dev", "ports", "by-id"})
        fs::create_directories(root.Path / folder);
    for (const char* file : {"dev/ttyUSB0", "dev/ttyUSB1", "ports/com7"})
        TempDir::Write(root.File(file), "");
    const std::string usb0 = root.File("dev/ttyUSB0");
    // Adapters as udev names them; comN entries as verda-sim and installers make them.
    for (const auto& [link, target] : std::vector<std::pair<std::string, std::string>>{
             {"by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "../dev/ttyUSB0"},
             {"by-id/usb-1a86_USB2.0-Ser_-if00-port0", "../dev/ttyUSB1"},
             {"ports/com33", usb0},
             {"ports/com34", "../dev/ttyUSB1"},
             {"ports/com12", root.File("dev/gone")}})
        fs::create_symlink(target, root.Path / link);
    for (const char* stray : {"com0", "com256", "com03", "comx"})
        fs::create_symlink(usb0, root.Path / "ports" / stray);
    std::vector<std::string> texts;
    for (const TPortName& port : ListPortsIn(root.Path / "ports", root.Path / "by-id"))
        texts.push_back(PortItemText(port));
    EXPECT_EQ(texts,
              (std::vector<std::string>{"COM 7", "COM 33 — " + usb0 + " (FTDI FT232R USB UART A50285BI)",
                                        "COM 34 — ../dev/ttyUSB1 (1a86 USB2.0-Ser)"}));

    setenv("VAROKCONFIG_PORTS", root.File("ports").c_str(), 1);
    const std::shared_ptr<void> restore(nullptr, [](void*) { unsetenv("VAROKCONFIG_PORTS"); });
    FakeUi ui;
    TMain main(ui, "");
    TSetComPort& dialog = main.SetComPort;
    ASSERT_EQ(dialog.ComboBoxPort.Count(), 255);
    EXPECT_EQ(dialog.ComboBoxPort.Items()[3], "1");
    EXPECT_EQ(dialog.ComboBoxPort.Items()[9], "8") << "a listed port is not offered twice";
    dialog.CheckBox1.Click(); // chooses the first port that exists
    const std::pair<std::function<void()>, int> rows[] = {
        {[] {}, 7},
        {[&] { dialog.ComboBoxPort.Select(1); }, 33},
        {[&] { dialog.SelectPort(12); }, 12},
        {[&] { dialog.SelectPort(34); }, 34},
        {[&] { dialog.ComboBoxPort.Type("33"); }, 33},
        {[&] { dialog.ComboBoxPort.Type("COM7"); }, 1}, // a text that is no number
    };
    for (const auto& [choose, port] : rows) {
        choose();
        dialog.Button1.Click();
        EXPECT_EQ(main.Connection.PortNumber(), port);
    }
    // The choice stays when the list changes under it, as does a text typed.
    dialog.SelectPort(34);
    fs::remove(root.Path / "ports/com7");
    dialog.ListPorts();
    EXPECT_EQ(dialog.ChosenPort(), 34);
    dialog.ComboBoxPort.Type("77x");
    fs::remove(root.Path / "ports/com33");
    dialog.ListPorts();
    EXPECT_EQ(dialog.ComboBoxPort.Text(), "77x");
}

} // namespace
