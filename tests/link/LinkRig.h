#pragma once
// A main window on a scripted Ui, linked to a simulated controller through the fake device:
// the controller's engine answers in the test thread. LinkRigPty.h links it to the real
// verda-sim on a pseudo-terminal instead. Everything runs in the test thread; waits pump the
// hand-overs of the serial workers.
#include "SimController.h"
#include "SimOptions.h"
#include "app/UnitMain.h"
#include "support/FakeSerialDevice.h"
#include "support/FakeUi.h"
#include "support/TempDir.h"
#include <array>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

using TImage = std::array<uint8_t, Layout::ImageSize>;

inline TImage PatternImage(uint8_t salt) {
    TImage image{};
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 7 + salt + (i >> 8));
    return image;
}

class LinkRig {
public:
    static constexpr int Port = 3;
    static constexpr auto Wait = std::chrono::seconds(20);

    LinkRig() = default;
    LinkRig(const LinkRig&) = delete;
    LinkRig& operator=(const LinkRig&) = delete;
    virtual ~LinkRig() {
        Main.reset(); // closes the port before the controller goes
    }

    // The controller with this memory and these verda-sim fault options, and a main window.
    void Start(const TImage& memory, const std::vector<std::string>& faults = {}) {
        std::string error;
        std::vector<std::string> args{"--ports", Dir.Path.string(), "--com", std::to_string(Port)};
        args.insert(args.end(), faults.begin(), faults.end());
        const auto options = ParseSimOptions(args, error);
        ASSERT_TRUE(options) << error;
        Options = *options;
        StartController(memory, args);
        Main = std::make_unique<TMain>(Ui, "");
        if (Controller) {
            Connection().Port.DeviceFactory = [this](int) { return Device.Connect(); };
            Connection().PortTest = [this](int n) { return n == Port && !Device.IsOpen(); };
            // Counts what the receive handler takes, to tell when the line has gone quiet.
            Connection().Port.OnDataReceived = [this](TCommPort& port, uint32_t) {
                const uint32_t before = port.GetInBuffUsed();
                Connection().DataReceived();
                Taken += before - port.GetInBuffUsed();
            };
        }
    }
    TConnection& Connection() { return Main->Connection; }
    // What the line does to the controller's n-th answer (counted from 1) on its way (fake device only).
    std::function<std::string(uint64_t answer, const std::string& reply)> Line;

    // Fake device only: lets the operation run, ticking the reply timer whenever everything the
    // controller sent has been taken and the editor waits, until the operation has ended.
    bool RunOut(int ticks = 64) {
        // Bytes that came while idle were flushed when the operation started, untaken.
        Taken = Fed - Device.Waiting() - Connection().Port.GetInBuffUsed();
        for (int tick = 0; tick <= ticks; ++tick) {
            if (!Pump([this] { return Connection().LinkMode() == 0 || Quiet(); }))
                return false;
            if (Connection().LinkMode() == 0)
                return true;
            Connection().Link.ReplyTimer.Tick();
        }
        return Connection().LinkMode() == 0;
    }
    // Whether the controller answers through the fake device (known once started).
    bool FakeDevice() const { return Controller != nullptr; }

    // Connect to the fixed port 3 through the dialog.
    void Connect() {
        Ui.FormScripts.push_back([](TForm& form) {
            auto& dialog = static_cast<TSetComPort&>(form);
            dialog.CheckBox1.Click();
            dialog.SelectPort(Port);
            dialog.Button1.Click();
            return dialog.ModalResult;
        });
        Main->TBFind.Click();
        ASSERT_TRUE(Pump([this] { return Connection().LinkMode() == 0; }));
    }

    // Pumps (and, with the fake device, lets the controller answer) until cond() holds.
    bool Pump(const std::function<bool()>& cond, std::chrono::milliseconds timeout = Wait) {
        return PumpUntil(
            Main->HandOver,
            [&] {
                Serve();
                return cond();
            },
            timeout);
    }
    // Pumps for a while when nothing is expected to happen.
    void PumpQuietly(std::chrono::milliseconds time = std::chrono::milliseconds(250)) {
        Pump([] { return false; }, time);
    }

    bool Transfer() {
        return Pump([this] { return Connection().LinkMode() == 0; });
    }

    // The controller's memory.
    virtual TImage Memory() { return Controller->Memory(); }

    TImage Image() const {
        TImage image{};
        std::copy_n(Main->Image.Data(), image.size(), image.begin());
        return image;
    }
    int CountLines(const std::string& prefix) const {
        int n = 0;
        for (const auto& line : Main->FormPort.Memo1.Lines())
            n += line.rfind(prefix, 0) == 0;
        return n;
    }

    TempDir Dir;
    FakeUi Ui;
    TFakeSerialDevice Device;
    std::unique_ptr<TMain> Main;

protected:
    // Starts the controller; `args` is its verda-sim command line.
    virtual void StartController(const TImage& memory, std::vector<std::string> /*args*/) {
        Controller = std::make_unique<TSimController>(Options.Faults);
        Controller->LoadImage(memory.data(), memory.size());
    }

private:
    void Serve() {
        if (!Controller)
            return;
        const std::string written = Device.Written();
        if (written.size() > Consumed) {
            const auto* data = reinterpret_cast<const uint8_t*>(written.data()) + Consumed;
            for (const auto& reply : Controller->Feed(data, written.size() - Consumed)) {
                ++Answers;
                for (const auto& piece : Controller->Pieces(reply)) {
                    std::string bytes(piece.begin(), piece.end());
                    if (Line)
                        bytes = Line(Answers, bytes);
                    if (!bytes.empty())
                        Pieces.push_back(bytes);
                }
                if (Options.Faults.HangupAfter && Answers == *Options.Faults.HangupAfter)
                    Pieces.emplace_back(); // an empty piece: the line goes
            }
            Consumed = written.size();
        }
        // Each piece is fed when the one before has been taken by the handler.
        if (Pieces.empty() || Device.Waiting() != 0 || Connection().Port.GetInBuffUsed() != 0)
            return;
        if (Pieces.front().empty()) {
            // Nothing crosses a line that is gone.
            Device.Remove();
            Pieces.clear();
            return;
        }
        Device.Feed(Pieces.front());
        Fed += Pieces.front().size();
        Pieces.pop_front();
    }
    // All the controller sent has been taken and every request has reached it.
    bool Quiet() {
        return Pieces.empty() && Fed == Taken && Connection().Port.GetOutBuffUsed() == 0 &&
               Device.Written().size() == Consumed;
    }

    TSimOptions Options;
    std::unique_ptr<TSimController> Controller;
    size_t Consumed = 0;
    uint64_t Answers = 0;
    std::deque<std::string> Pieces;
    uint64_t Fed = 0, Taken = 0;
};

// A way to reach the controller, for the tests that run over each.
struct TRigKind {
    const char* Name;
    std::unique_ptr<LinkRig> (*Make)();
};
inline void PrintTo(const TRigKind& kind, std::ostream* out) {
    *out << kind.Name;
}
inline std::string RigKindName(const ::testing::TestParamInfo<TRigKind>& info) {
    return info.param.Name;
}
inline constexpr TRigKind FakeDeviceRig{"FakeDevice", [] { return std::make_unique<LinkRig>(); }};

// The kinds this platform has: the fake device everywhere, a pseudo-terminal on POSIX.
std::vector<TRigKind> RigKinds();
