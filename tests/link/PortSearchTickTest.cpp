// The port search's timer tick on fake devices, so it runs wherever the link tests run.
#include "LinkRig.h"
#include <array>
#include <chrono>
#include <stdexcept>

namespace {

const std::string Probe("\x00\x01\x04\x55\x74", 5);

// The warning box of an open runs an event loop in the editor, where the search timer's handler
// can run: it must not open the next port inside this open, and the search goes on.
TEST(PortSearchTick, InsideTheOpensWarningBoxDoesNotOpenAgain) {
    LinkRig rig;
    rig.Start(TImage{});
    TMain& main = *rig.Main;
    std::array<TFakeSerialDevice, 3> ports;
    bool inTick = false;
    main.PortTest = [](int n) { return n <= 3; };
    main.CommPort.DeviceFactory = [&](int n) {
        if (inTick)
            throw std::logic_error("a port opened inside the open of another");
        return ports.at(static_cast<size_t>(n - 1)).Connect();
    };
    rig.Ui.OnBox = [&](const FakeUi::Box&) {
        if (main.LinkMode != 1 || inTick)
            return;
        inTick = true;
        main.TimerTimer();
        inTick = false;
    };
    rig.Ui.FormScripts.push_back([](TForm& form) {
        auto& dialog = static_cast<TSetComPort&>(form);
        dialog.RadioGroupStop.Select(1); // 8 data bits with 1.5 stop bits: a warning at every open
        dialog.Button1.Click();
        return dialog.ModalResult;
    });
    main.TBFind.Click();
    ASSERT_TRUE(main.Timer.Running());
    const auto soon = [] { return std::chrono::steady_clock::now() + std::chrono::seconds(10); };
    for (size_t n = 1; n < ports.size(); ++n) {
        main.Timer.Tick(); // opens the next port, whose warnings run the timer's handler again
        EXPECT_EQ(main.PanelScan.Caption(), "Сканирование порта COM" + std::to_string(n + 1));
        EXPECT_FALSE(ports[n - 1].IsOpen());
        ASSERT_TRUE(ports[n].WaitWritten(Probe.size(), soon()));
        EXPECT_EQ(ports[n].Written(), Probe);
    }
    for (const auto& port : ports)
        EXPECT_EQ(port.Opens(), 1);
}

} // namespace
