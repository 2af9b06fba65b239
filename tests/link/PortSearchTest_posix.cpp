// Connect: the dialog, the search stepped by a hand-ticked timer over real pseudo-terminals,
// a fixed port, and disconnecting.
#include "LinkRigPty.h"
#include "support/FdIo.h"
#include <cerrno>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// A silent device on DIR/comN: a pseudo-terminal whose other side only listens.
class TSilentPort {
public:
    TSilentPort(const std::filesystem::path& dir, int n) {
        int slave = -1;
        EXPECT_EQ(openpty(&Master, &slave, nullptr, nullptr, nullptr), 0);
        std::filesystem::create_symlink(ttyname(slave), dir / ("com" + std::to_string(n)));
        close(slave);
    }
    ~TSilentPort() { close(Master); }
    // What the editor sent, waiting until `count` bytes came.
    std::string Received(size_t count) {
        return ReadFor(Master, count, std::chrono::steady_clock::now() + std::chrono::seconds(10));
    }
    int Master = -1;
};

const std::string Probe("\x00\x01\x04\x55\x74", 5);

class PortSearch : public ::testing::Test {
protected:
    TMain& Main() { return *Rig.Main; }
    // The dialog closed with OK (automatic search as it starts) or with a script of the test's.
    void Connect(std::function<void(TSetComPort&)> choose = nullptr, bool ok = true) {
        Rig.Ui.FormScripts.push_back([choose, ok](TForm& form) {
            auto& dialog = static_cast<TSetComPort&>(form);
            if (choose)
                choose(dialog);
            (ok ? dialog.Button1 : dialog.ButtonOk).Click();
            return dialog.ModalResult;
        });
        Main().TBFind.Click();
    }
    PtyLinkRig Rig;
};

TEST_F(PortSearch, FindsTheControllerOnPort3OneTickAfterAnother) {
    Rig.Start(TImage{});
    TSilentPort com1(Rig.Dir.Path, 1), com2(Rig.Dir.Path, 2);
    Connect();
    EXPECT_EQ(Main().PanelScan.Caption(), "Сканирование порта COM1");
    EXPECT_TRUE(Main().PanelScan.Visible());
    EXPECT_EQ(com1.Received(5), Probe);
    EXPECT_TRUE(Main().Connection.SearchTimer.Running());

    Main().Connection.SearchTimer.Tick();
    EXPECT_EQ(Main().PanelScan.Caption(), "Сканирование порта COM2");
    EXPECT_EQ(com2.Received(5), Probe);
    EXPECT_EQ(Main().Connection.LinkMode(), 1);

    Main().Connection.SearchTimer.Tick();
    EXPECT_EQ(Main().PanelScan.Caption(), "Сканирование порта COM3");
    ASSERT_TRUE(Rig.Pump([&] { return Main().Connection.LinkMode() == 0; }));
    EXPECT_EQ(Rig.Ui.Texts(), std::vector<std::string>{"Подключено на COM 3"});
    EXPECT_EQ(Main().StatusBar1.PanelText(0), "Подключено на COM 3");
    EXPECT_FALSE(Main().Connection.SearchTimer.Running()) << "the reply stops the search";
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_TRUE(Main().TBRead.Enabled());

    Main().TBFind.Click();
    EXPECT_EQ(Main().StatusBar1.PanelText(0), "Нет подключения");
    EXPECT_FALSE(Main().TBRead.Enabled());
    EXPECT_FALSE(Main().TBWrite.Enabled());
    EXPECT_FALSE(Main().Connection.Port.GetOpen());
}

// Ports without a device cost no tick: the search goes straight from port 1 to port 5 and,
// past the last port, says that no controller was found.
TEST_F(PortSearch, WithoutAControllerSaysSoAfterTheLastPort) {
    Rig.Start(TImage{});
    std::filesystem::remove(Rig.Dir.Path / "com3");
    TSilentPort com1(Rig.Dir.Path, 1), com5(Rig.Dir.Path, 5);
    Main().ProgressBar.SetPosition(2048); // left over from a write
    Connect();
    EXPECT_EQ(Main().ProgressBar.Position(), 0);
    EXPECT_EQ(com1.Received(5), Probe);
    Main().Connection.SearchTimer.Tick();
    EXPECT_EQ(Main().PanelScan.Caption(), "Сканирование порта COM5");
    EXPECT_EQ(com5.Received(5), Probe);
    Main().Connection.SearchTimer.Tick();
    EXPECT_EQ(Rig.Ui.Texts(), std::vector<std::string>{TConnection::NoController});
    EXPECT_FALSE(Main().Connection.SearchTimer.Running());
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_FALSE(Main().TBFind.Down());
    EXPECT_FALSE(Main().Connection.Port.GetOpen());
    EXPECT_EQ(Main().StatusBar1.PanelText(0), "Нет подключения");
}

TEST_F(PortSearch, MissingFixedPortIsReportedAndReleasesConnect) {
    Rig.Start(TImage{});
    Connect([](TSetComPort& dialog) {
        dialog.CheckBox1.Click();
        dialog.SelectPort(7);
    });
    ASSERT_EQ(Rig.Ui.Boxes.size(), 1u);
    EXPECT_EQ(Rig.Ui.Boxes[0].Kind, TBoxKind::Plain);
    EXPECT_EQ(Rig.Ui.Boxes[0].Text, "Ошибка открытия COM 7 !");
    EXPECT_FALSE(Main().TBFind.Down());
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_FALSE(Main().Connection.SearchTimer.Running());
}

// A port that exists but is no serial port: the component's text, then the system's reason. A
// fixed port ends the connect; a search goes on to the controller.
TEST_F(PortSearch, PortThatCannotBeOpenedIsReportedWithTheSystemsReason) {
    Rig.Start(TImage{});
    TempDir::Write(Rig.Dir.File("com2"), "not a serial port");
    Connect([](TSetComPort& dialog) {
        dialog.CheckBox1.Click();
        dialog.SelectPort(2);
    });
    const std::string box = "Can't open COM port\n" + SystemErrorText(ENOTTY);
    ASSERT_EQ(Rig.Ui.Texts(), std::vector<std::string>{box});
    EXPECT_EQ(Rig.Ui.Boxes[0].Caption, "COM port error");
    EXPECT_EQ(Rig.Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_FALSE(Main().TBFind.Down());
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_EQ(Main().StatusBar1.PanelText(0), "Нет подключения");

    Connect([](TSetComPort& dialog) { dialog.CheckBox1.Click(); });
    ASSERT_TRUE(Rig.Pump([&] { return Main().Connection.LinkMode() == 0; }));
    EXPECT_EQ(Rig.Ui.Texts(), (std::vector<std::string>{box, box, "Подключено на COM 3"}));
}

// Cancel applies nothing and keeps nothing: the line, the settings and the dialog stay as the
// last OK left them. OK applies its choice, and an invalid combination of data and stop bits is
// warned of once, however many ports the search opens.
TEST_F(PortSearch, CancelLeavesTheLineTheSettingsAndTheDialogAsTheyWere) {
    Rig.Start(TImage{});
    TSilentPort com1(Rig.Dir.Path, 1), com2(Rig.Dir.Path, 2);
    TSetComPort& dialog = Main().SetComPort;
    TCommPort& port = Main().Connection.Port;
    const auto shown = dialog.StoredChoices();
    const auto fiveWithTwo = [](TSetComPort& d) {
        d.RadioGroupData.Select(0);
        d.RadioGroupStop.Select(2);
    };
    Connect(
        [&](TSetComPort& d) {
            d.CheckBox1.Click();
            d.ComboBoxPort.Type("7");
            d.ComboBoxSpeed.Type("19200");
            d.RadioGroupParity.Select(2);
            d.CheckBoxDTR.Click();
            fiveWithTwo(d);
        },
        false);
    EXPECT_TRUE(Rig.Ui.Boxes.empty()) << "nothing applied, nothing to warn of";
    EXPECT_EQ(port.GetDataBits(), 8);
    EXPECT_EQ(port.GetParity(), paNone);
    EXPECT_EQ(port.GetBaud(), 9600);
    EXPECT_EQ(dialog.StoredChoices(), shown);
    EXPECT_FALSE(dialog.ComboBoxPort.Enabled());
    EXPECT_EQ(Main().Settings.Read("Connection", "Search"), "") << "the settings were not written";
    EXPECT_FALSE(Main().TBFind.Down());
    EXPECT_EQ(Main().Connection.LinkMode(), 0) << "no search";

    Connect(fiveWithTwo);
    EXPECT_EQ(com1.Received(5), Probe);
    Main().Connection.SearchTimer.Tick();
    EXPECT_EQ(com2.Received(5), Probe);
    Main().Connection.SearchTimer.Tick();
    ASSERT_TRUE(Rig.Pump([&] { return Main().Connection.LinkMode() == 0; }));
    EXPECT_EQ(Rig.Ui.Texts(), (std::vector<std::string>{"Invalid combination (5 data bits with 2 stop bits)",
                                                        "Подключено на COM 3"}));
    EXPECT_EQ(Rig.Ui.Boxes[0].Caption, "COM port warning");
    EXPECT_EQ(port.GetDataBits(), 5);
}

TEST_F(PortSearch, DialogPortChoiceAndHeight) {
    Rig.Start(TImage{});
    TSetComPort& dialog = Main().SetComPort;
    EXPECT_TRUE(dialog.CheckBox1.Checked());
    EXPECT_FALSE(dialog.ComboBoxPort.Enabled());
    EXPECT_EQ(dialog.ComboBoxPort.Text(), "");

    dialog.CheckBox1.Click();
    EXPECT_TRUE(dialog.ComboBoxPort.Enabled());
    EXPECT_EQ(dialog.ComboBoxPort.ItemIndex(), 0);
    dialog.ComboBoxPort.Type("12x");
    dialog.Button1.Click();
    EXPECT_EQ(Main().Connection.PortNumber(), 1) << "a port text that is no number selects port 1";
    dialog.CheckBox1.Click();
    EXPECT_FALSE(dialog.ComboBoxPort.Enabled());
    EXPECT_EQ(dialog.ComboBoxPort.Text(), "");

    EXPECT_EQ(dialog.Height(), 190);
    dialog.ButtonParam.Click();
    EXPECT_TRUE(dialog.GroupBox1.Visible());
    EXPECT_EQ(dialog.Height(), 383);
    dialog.ButtonParam.Click();
    EXPECT_EQ(dialog.Height(), 190);
}

} // namespace
