// The connection dialog's port list: the ports that exist first, with their devices and adapters,
// then every other number; whatever is listed, the port read from the dialog is the one chosen.
#include "app/UnitMain.h"
#include "link/Port.h"
#include "link/PortNames.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// A folder of comN entries as verda-sim and installers make them, with adapters in a by-id folder.
class PortFolder : public ::testing::Test {
protected:
    PortFolder() {
        for (const char* folder : {"dev/pts", "ports", "by-id"})
            fs::create_directories(Root.Path / folder);
        for (const char* device : {"dev/ttyUSB0", "dev/ttyUSB1", "dev/pts/4", "ports/com7"})
            TempDir::Write(Root.File(device), "");
        fs::create_symlink("../dev/ttyUSB0",
                           Root.Path / "by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
        fs::create_symlink("../dev/ttyUSB1", Root.Path / "by-id/usb-1a86_USB2.0-Ser_-if00-port0");
        Link("com33", Root.File("dev/ttyUSB0"));
        Link("com34", "../dev/ttyUSB1");
        Link("com3", Root.File("dev/pts/4"));
        Link("com12", Root.File("dev/ttyUSB9")); // its device is gone
        for (const char* stray : {"com0", "com256", "com03", "com+5", "comx", "com"})
            Link(stray, Root.File("dev/pts/4"));
        setenv("VAROKCONFIG_PORTS", Root.File("ports").c_str(), 1);
    }
    ~PortFolder() override { unsetenv("VAROKCONFIG_PORTS"); }
    void Link(const std::string& entry, const std::string& target) {
        fs::create_symlink(target, Root.Path / "ports" / entry);
    }
    TempDir Root;
};

TEST_F(PortFolder, ListsTheEntriesThatLeadToADeviceWithTheirAdapters) {
    std::vector<std::string> texts;
    for (const TPortName& port : ListPortsIn(Root.Path / "ports", Root.Path / "by-id"))
        texts.push_back(PortItemText(port));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "COM 3 — " + Root.File("dev/pts/4"),
                         "COM 7",
                         "COM 33 — " + Root.File("dev/ttyUSB0") + " (FTDI FT232R USB UART A50285BI)",
                         "COM 34 — ../dev/ttyUSB1 (1a86 USB2.0-Ser)",
                     }));
}

TEST_F(PortFolder, DialogListsExistingPortsFirstAndReadsTheNumberChosen) {
    FakeUi ui;
    TMain main(ui, "");
    TSetComPort& dialog = main.SetComPort;
    const std::vector<std::string>& items = dialog.ComboBoxPort.Items();
    ASSERT_EQ(items.size(), 255u);
    EXPECT_EQ(items[0], "COM 3 — " + Root.File("dev/pts/4"));
    EXPECT_EQ(items[1], "COM 7");
    EXPECT_EQ(items[4], "1");
    EXPECT_EQ(items[6], "4") << "a listed port is not offered twice";
    EXPECT_EQ(items.back(), "255");

    dialog.CheckBox1.Click();
    EXPECT_EQ(dialog.ComboBoxPort.ItemIndex(), 0) << "unchecking chooses the first port that exists";
    const struct {
        const char* meaning;
        std::function<void()> choose;
        int port;
    } rows[] = {
        {"first item", [] {}, 3},
        {"an adapter picked", [&] { dialog.ComboBoxPort.Select(2); }, 33},
        {"a number with no device", [&] { dialog.SelectPort(12); }, 12},
        {"a listed port by number", [&] { dialog.SelectPort(34); }, 34},
        {"a number typed", [&] { dialog.ComboBoxPort.Type("200"); }, 200},
        {"a text that is no number", [&] { dialog.ComboBoxPort.Type("COM7"); }, 1},
        {"a number the list puts elsewhere", [&] { dialog.ComboBoxPort.Type("33"); }, 33},
    };
    for (const auto& row : rows) {
        row.choose();
        dialog.Button1.Click();
        EXPECT_EQ(main.PortNumber, row.port) << row.meaning;
    }

    // A port chosen stays chosen when the list changes under it.
    dialog.SelectPort(33);
    fs::remove(Root.Path / "ports/com3");
    fs::create_symlink(Root.File("dev/pts/4"), Root.Path / "ports/com2");
    dialog.ListPorts();
    EXPECT_EQ(dialog.ComboBoxPort.Items()[0], "COM 2 — " + Root.File("dev/pts/4"));
    EXPECT_EQ(dialog.ChosenPort(), 33);
    dialog.ComboBoxPort.Type("77x");
    fs::remove(Root.Path / "ports/com2");
    dialog.ListPorts();
    EXPECT_EQ(dialog.ComboBoxPort.Text(), "77x") << "typed text stays";
}

} // namespace
