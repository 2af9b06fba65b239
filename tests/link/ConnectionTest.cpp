// The connection alone, as the command line, the benchmark and the fuzz target use it: no main
// window, no dialog, no toolbar. Ports 1 … 3 are fake devices; the simulated controller's engine
// answers on port 3 in the test thread.
#include "link/Connection.h"
#include "SimController.h"
#include "support/FakeSerialDevice.h"
#include <array>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {
using namespace LinkProtocol;

const std::string Probe("\x00\x01\x04\x55\x74", 5);

class ConnectionAlone : public ::testing::Test {
protected:
    void Start(const TSimFaults& faults = {}) {
        Controller = TSimController(faults);
        for (size_t i = 0; i < ImageSize; ++i)
            Controller.Memory()[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
        Connection.Port.DeviceFactory = [this](int n) {
            return Ports.at(static_cast<size_t>(n - 1)).Connect();
        };
        Connection.PortTest = [](int n) { return n <= 3; };
        Connection.OnProbing = [this](int port) { Probed.push_back(port); };
        Connection.OnConnectEnded = [this](const TConnectResult& result) { Ended = result; };
        Connection.OnBlock = [this](uint16_t, bool) { ++Blocks; };
        Connection.OnTransferEnded = [this](const TTransferResult&, bool) { TransferEnded = true; };
    }
    void Choose(bool search) {
        TLineChoice line;
        line.Search = search;
        line.Port = 3;
        Connection.Apply(line);
    }
    // Lets the controller on port 3 answer what reached it, until cond() holds.
    bool Pump(const std::function<bool()>& cond) {
        return PumpUntil(
            HandOver,
            [&] {
                const std::string written = Ports[2].Written();
                if (written.size() > Consumed) {
                    const auto* data = reinterpret_cast<const uint8_t*>(written.data()) + Consumed;
                    for (const TBytes& reply : Controller.Feed(data, written.size() - Consumed))
                        Ports[2].Feed(std::string(reply.begin(), reply.end()));
                    Consumed = written.size();
                }
                return cond();
            },
            std::chrono::seconds(20));
    }
    static std::chrono::steady_clock::time_point Soon() {
        return std::chrono::steady_clock::now() + std::chrono::seconds(10);
    }

    THandOver HandOver;
    std::array<TFakeSerialDevice, 3> Ports;
    TSimController Controller;
    size_t Consumed = 0;
    TConnection Connection{HandOver};
    std::vector<int> Probed;
    std::optional<TConnectResult> Ended;
    int Blocks = 0;
    bool TransferEnded = false;
};

// Port 1 is silent, port 2 cannot be opened, port 3 answers: the timer steps the search on, the
// port that cannot be opened costs no tick, and its failure is told once the next probe is out.
TEST_F(ConnectionAlone, SearchStepsOnUntilTheControllerAnswers) {
    Start();
    Ports[1].Remove();
    std::vector<int> failed;
    Connection.OnOpenFailed = [&](int port, const TSerialErrorInfo& reason) {
        failed.push_back(port);
        EXPECT_EQ(reason.Error, TSerialError::NotFound);
        EXPECT_EQ(Connection.PortNumber(), 3);
        EXPECT_TRUE(Connection.Port.GetOpen());
    };
    Choose(true);
    Connection.Connect();
    EXPECT_EQ(Probed, std::vector<int>{1});
    ASSERT_TRUE(Ports[0].WaitWritten(Probe.size(), Soon()));
    EXPECT_EQ(Ports[0].Written(), Probe);
    EXPECT_TRUE(Connection.SearchTimer.Running());

    Connection.SearchTimer.Tick();
    EXPECT_FALSE(Ports[0].IsOpen());
    EXPECT_EQ(failed, std::vector<int>{2});
    EXPECT_EQ(Probed, (std::vector<int>{1, 3}));
    ASSERT_TRUE(Pump([&] { return Ended.has_value(); }));
    EXPECT_EQ(Ended->Outcome, TConnectOutcome::Connected);
    EXPECT_EQ(Ended->Text(), "Подключено на COM 3");
    EXPECT_FALSE(Connection.SearchTimer.Running()) << "the answer ends the search";
    EXPECT_EQ(Connection.LinkMode(), ModeIdle);
}

TEST_F(ConnectionAlone, ReadOfAFixedPortBringsTheControllersImage) {
    Start();
    Choose(false);
    Connection.Connect();
    ASSERT_TRUE(Pump([&] { return Ended.has_value(); }));
    ASSERT_EQ(Ended->Outcome, TConnectOutcome::Connected);
    EXPECT_EQ(Probed, std::vector<int>{3});

    Connection.StartRead(ConfigImage());
    EXPECT_EQ(Connection.LinkMode(), ModeRead);
    ASSERT_TRUE(Pump([&] { return TransferEnded; }));
    EXPECT_EQ(Connection.Link.Result.Outcome, TLinkOutcome::Done);
    EXPECT_EQ(Blocks, 64);
    EXPECT_TRUE(
        std::equal(Controller.Memory().begin(), Controller.Memory().end(), Connection.Link.Received.Data()));
    EXPECT_TRUE(Connection.Port.GetOpen());
}

// A silent fixed port: the probe goes out once more, then the connect ends and the port closes.
TEST_F(ConnectionAlone, SilentFixedPortEndsWithNoReply) {
    TSimFaults silent;
    silent.Silent = true;
    Start(silent);
    Choose(false);
    Connection.Connect();
    ASSERT_TRUE(Ports[2].WaitWritten(Probe.size(), Soon()));
    Connection.Link.ReplyTimer.Tick();
    ASSERT_TRUE(Ports[2].WaitWritten(2 * Probe.size(), Soon()));
    EXPECT_FALSE(Ended);
    // The link's waits for a silent line are its own to count; it ends within a few.
    for (int tick = 0; tick < 30 && !Ended; ++tick)
        Connection.Link.ReplyTimer.Tick();
    ASSERT_TRUE(Ended);
    EXPECT_EQ(Ended->Outcome, TConnectOutcome::NoReply);
    EXPECT_EQ(Ended->Text(), "Нет ответа от контроллера на COM 3");
    EXPECT_FALSE(Connection.Port.GetOpen());
    EXPECT_EQ(Connection.LinkMode(), ModeIdle);
}

TEST_F(ConnectionAlone, AnAnswerBehindABurstLongerThanOneTakeOfTheHandlerIsFramedAtOnce) {
    Start();
    Connection.Port.SetIBuffSize(4 * ImageSize);
    Choose(false);
    Connection.Connect();
    Ports[2].Feed(std::string(3 * ImageSize, '\xFF'));
    EXPECT_TRUE(Pump([&] { return Ended && Ended->Outcome == TConnectOutcome::Connected; }));
}

} // namespace

// A port that goes away while the connection idles (an adapter pulled out) ends it at the next
// look at the line, as a lost port: nobody is left believing the controller is there.
TEST_F(ConnectionAlone, APortPulledOutWhileIdleEndsTheConnection) {
    Start();
    Choose(false);
    Connection.Connect();
    ASSERT_TRUE(Pump([&] { return Ended.has_value(); }));
    ASSERT_TRUE(Connection.LineTimer.Running());
    Connection.LineTimer.Tick();
    EXPECT_EQ(Ended->Outcome, TConnectOutcome::Connected);
    Ports[2].Remove();
    Connection.LineTimer.Tick();
    EXPECT_EQ(Ended->Outcome, TConnectOutcome::PortLost);
    EXPECT_FALSE(Connection.Port.GetOpen());
    EXPECT_FALSE(Connection.LineTimer.Running());
}
