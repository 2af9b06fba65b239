#include "SerialFixture.h"
#include "base/ThreadBase.h"
#include "support/TestThread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct WorkerTest : TSerialFixture, ::testing::Test {
    // Appends every received block to got.
    void CollectInto(std::string& got) {
        Port.OnDataReceived = [&got](TCommPort& sender, std::uint32_t) {
            char buffer[64];
            got.append(buffer, sender.GetBlock(buffer, sizeof buffer));
        };
    }
};

TEST(HandOverTest, RunsWorkerCallsInTheUiThreadAndSurvivesAThrowingCall) {
    THandOver handOver;
    std::atomic<int> ran{0};
    std::atomic<bool> finished{false};
    std::thread::id where;
    std::thread worker([&] {
        handOver.Synchronize([&] { throw std::runtime_error("handler failed"); });
        handOver.Synchronize([&] {
            where = std::this_thread::get_id();
            ++ran;
        });
        finished = true;
    });
    EXPECT_TRUE(PumpUntil(
        handOver, [&] { return ran == 1; }, std::chrono::seconds(10)));
    // After a failed wait the worker may still be waiting in a hand-over, which only this thread runs.
    EXPECT_TRUE(PumpUntil(
        handOver, [&] { return finished.load(); }, std::chrono::seconds(10)));
    worker.join();
    EXPECT_EQ(where, std::this_thread::get_id());
    int inline_ = 0;
    handOver.Synchronize([&] { ++inline_; }); // from the UI thread: at once
    EXPECT_EQ(inline_, 1);
    EXPECT_FALSE(PumpUntil(
        handOver, [] { return false; }, std::chrono::milliseconds(1)));
}

TEST_F(WorkerTest, LineEventsRaiseTheirHandlersInTheFixedOrderInOneHandOver) {
    std::vector<std::string> order;
    int runs = 0;
    bool ctsSeen = false;
    auto named = [&](const char* name) { return [&order, name](TCommPort&) { order.push_back(name); }; };
    Port.OnCTSSignal = [&](TCommPort& sender) {
        ctsSeen = sender.GetCTS();
        order.push_back("CTS");
    };
    Port.OnDCDSignal = named("DCD");
    Port.OnDSRSignal = named("DSR");
    Port.OnRingSignal = named("Ring");
    Port.OnRxDSignal = named("RxD");
    Port.OnRxEventSignal = named("RxEvent");
    Port.OnTxDSignal = named("TxD");
    Port.OnBreakSignal = named("Break");
    Port.OnErrorSignal = [&](TCommPort&, int) { order.push_back("Error"); };
    Port.MonitorEvents = 0x01FF;
    Port.SetOpen(true);
    Fake.SetCts(true); // the line is on before the event is seen
    ASSERT_TRUE(Pump([&] { return order.size() == 1; }));
    order.clear();
    Fake.RaiseEvents(0x01FF);
    const auto deadline = Soon();
    while (order.size() < 9 && runs < 10 && std::chrono::steady_clock::now() < deadline)
        runs += HandOver.WaitAndRun(deadline);
    EXPECT_EQ(order, (std::vector<std::string>{"CTS", "DCD", "DSR", "Ring", "RxD", "RxEvent", "TxD", "Break",
                                               "Error"}));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(ctsSeen);
    EXPECT_EQ(Port.GetLastEvents(), 0x01FFu);
    Port.SetOpen(false);
    EXPECT_FALSE(Port.GetCTS());
}

TEST_F(WorkerTest, UnreadableModemStatusKeepsTheFlagsAndTheHardWriterWaiting) {
    Port.SetComControl(ccHard);
    // A device that cannot report its modem lines at all (a pseudo-terminal) never gets CTS:
    // under hard flow control its writer sends as if CTS were on.
    Fake.SetModemReadable(false);
    Port.SetOpen(true);
    Port.PutString("sent");
    ASSERT_TRUE(Fake.WaitWritten(4, Soon()));
    EXPECT_FALSE(Port.GetCTS());
    Port.SetOpen(false);
    Fake.ClearWritten();
    const int writes = Fake.WriteAttempts();

    // Readable at the open, unreadable later: CTS off holds the writer.
    Fake.SetModemReadable(true);
    Port.SetOpen(true);
    Fake.SetModemReadable(false);
    Port.PutString("held");
    Fake.SetCts(true);
    ASSERT_TRUE(Pump([&] { return Port.GetLastEvents() == 0x0008 && !Port.WriteWake().IsSet(); }));
    EXPECT_FALSE(Port.GetCTS());
    EXPECT_EQ(Fake.WriteAttempts(), writes);
    Fake.SetModemReadable(true);
    Fake.SetCts(false);
    Fake.SetCts(true);
    ASSERT_TRUE(Fake.WaitWritten(4, Soon()));
    EXPECT_EQ(Fake.Written(), "held");
}

TEST_F(WorkerTest, DataDeliveryCarriesTheWaitingCount) {
    std::vector<std::uint32_t> counts;
    std::string got;
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t count) {
        counts.push_back(count);
        EXPECT_EQ(count, sender.GetInBuffUsed());
        char buffer[2048];
        got.append(buffer, sender.GetBlock(buffer, sizeof buffer));
    };
    Port.SetOpen(true);
    Fake.Feed("hello ");
    ASSERT_TRUE(Pump([&] { return got.size() == 6; }));
    Fake.Feed("world");
    ASSERT_TRUE(Pump([&] { return got.size() == 11; }));
    EXPECT_EQ(got, "hello world");
    ASSERT_GE(counts.size(), 2u);
}

// A reader pass that looked at the ring before a flush and reads after it keeps what came
// after the flush (the reply just asked for) and drops only what came before.
TEST_F(WorkerTest, FlushDuringAReadKeepsTheBytesThatCameAfterIt) {
    std::string got;
    CollectInto(got);
    Port.SetOpen(true);
    Fake.HoldReads(true);
    Fake.Feed("stale");
    ASSERT_TRUE(Pump([&] { return Fake.ReadAttempts() == 1; }));
    Port.FlushInBuffer();
    Fake.Feed("reply");
    Fake.HoldReads(false);
    ASSERT_TRUE(Pump([&] { return got.size() >= 5; }, std::chrono::seconds(3)));
    EXPECT_EQ(got, "reply");
}

TEST_F(WorkerTest, ReadAndWriteFailuresNeitherSpinNorLoseTheQueuedBytes) {
    std::string got;
    CollectInto(got);
    Port.SetOpen(true);
    Fake.FailReads(true);
    Fake.Feed("xyz");
    ASSERT_TRUE(Pump([&] { return Fake.ReadAttempts() >= 1; }));
    EXPECT_EQ(Port.GetInBuffUsed(), 0u);
    EXPECT_EQ(Fake.ReadAttempts(), 1); // the reader waits for the next wake-up
    Fake.FailReads(false);
    Fake.Feed("!");
    ASSERT_TRUE(Pump([&] { return got == "xyz!"; }));

    Fake.FailWrites(true);
    Port.PutString("abc");
    ASSERT_TRUE(Pump([&] { return Fake.WriteAttempts() >= 1; }));
    Fake.FailWrites(false);
    ASSERT_TRUE(Fake.WaitWritten(3, Soon()));
    EXPECT_EQ(Fake.Written(), "abc");

    Fake.FailWrites(true);
    Port.PutString("def");
    ASSERT_TRUE(Pump([&] { return Fake.WriteAttempts() >= 3; }));
    Port.SetOpen(false); // a writer that keeps failing still ends
    EXPECT_FALSE(Fake.IsOpen());
}

TEST_F(WorkerTest, RemovedDeviceIsLeftAloneAndTheCloseCompletes) {
    Port.SetOpen(true);
    Fake.Remove();
    Port.PutString("lost");
    ASSERT_TRUE(Pump([&] { return Port.GetOutBuffUsed() == 0 && !Port.WriteWake().IsSet(); }));
    const int writes = Fake.WriteAttempts(), queries = Fake.Queries();
    Fake.Feed("more");
    Port.PutString("more");
    ASSERT_TRUE(Pump([&] { return !Port.WriteWake().IsSet(); }));
    EXPECT_LE(Fake.WriteAttempts(), writes + 1);
    EXPECT_LE(Fake.Queries(), queries + 2);
    Port.SetOpen(false);
    EXPECT_FALSE(Port.GetOpen());
    Port.SetOpen(true); // unplugged: cannot be opened again
    EXPECT_FALSE(Port.GetOpen());
    EXPECT_EQ(Port.GetOpenError().Error, TSerialError::NotFound);
}

// The close changes the event mask just before the watcher starts its next wait, so no mask
// change can end that wait any more: the close still completes.
TEST_F(WorkerTest, CloseJustBeforeTheWatcherStartsAWait) {
    Fake.HoldNextWaitStart();
    Port.SetOpen(true);
    ASSERT_TRUE(Fake.WaitStartHeld(Soon()));
    Port.SetOpen(false);
    EXPECT_FALSE(Port.GetOpen());
    EXPECT_FALSE(Fake.IsOpen());
}

TEST_F(WorkerTest, CloseAbortsAWriteHeldBackByFlowControl) {
    Port.SetOpen(true);
    Fake.HoldWrites(true);
    Port.PutString("stuck");
    ASSERT_TRUE(Pump([&] { return Fake.WriteAttempts() == 1; }));
    Port.SetOpen(false);
    EXPECT_FALSE(Fake.IsOpen());
    EXPECT_EQ(Fake.Written(), "");
}

TEST_F(WorkerTest, ThrowingHandlerDoesNotStopTheDeliveries) {
    int calls = 0;
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        ++calls;
        char buffer[16];
        sender.GetBlock(buffer, sizeof buffer);
        throw std::runtime_error("handler failed");
    };
    Port.SetOpen(true);
    Fake.Feed("a");
    ASSERT_TRUE(Pump([&] { return calls == 1; }));
    Fake.Feed("b");
    ASSERT_TRUE(Pump([&] { return calls == 2; }));
    Port.SetOpen(false);
    EXPECT_FALSE(Fake.IsOpen());
}

TEST_F(WorkerTest, CloseFromInsideAHandlerHappensAfterItReturns) {
    int closes = 0;
    bool openInHandler = false;
    Port.OnClose = [&](TCommPort&) { ++closes; };
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        sender.SetOpen(false);
        openInHandler = sender.GetOpen();
    };
    Port.SetOpen(true);
    Fake.Feed("bye");
    ASSERT_TRUE(Pump([&] { return !Port.GetOpen(); }));
    EXPECT_TRUE(openInHandler);
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Fake.IsOpen());

    // Also when the handler then throws.
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        sender.SetOpen(false);
        throw std::runtime_error("handler failed");
    };
    Port.SetOpen(true);
    Fake.Feed("bye");
    ASSERT_TRUE(Pump([&] { return !Port.GetOpen(); }, std::chrono::seconds(3)));
    EXPECT_EQ(closes, 2);

    // A size change inside a handler reopens the port with the new size.
    int opens = 0;
    Port.OnOpen = [&](TCommPort&, int) { ++opens; };
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) { sender.SetIBuffSize(64); };
    Port.SetOpen(true);
    Fake.Feed("x");
    ASSERT_TRUE(Pump([&] { return opens == 2; }));
    EXPECT_TRUE(Port.GetOpen());
    EXPECT_EQ(Port.GetInBuffFree(), 64u);
}

TEST_F(WorkerTest, ThousandOpenCloseCyclesWhileStreaming) {
    TTestThread feeder([&](const std::atomic<bool>& stop) {
        // A steady trickle, not a spinning core: the port must not starve on a busy machine.
        while (!stop) {
            if (Fake.Waiting() < 4096)
                Fake.Feed(std::string(64, 'r'));
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::uint64_t received = 0;
    Port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        char buffer[2048];
        received += sender.GetBlock(buffer, sizeof buffer);
    };
    const std::string out(300, 'w');
    for (int i = 0; i < 1000; ++i) {
        Port.SetOpen(true);
        ASSERT_TRUE(Port.GetOpen());
        Port.PutBlock(out.data(), static_cast<std::uint32_t>(out.size()));
        HandOver.RunPending();
        Port.SetOpen(false);
        ASSERT_FALSE(Fake.IsOpen());
    }
    feeder.Join();
    EXPECT_EQ(Fake.Opens(), 1000);
    EXPECT_GT(received, 0u);
    EXPECT_GT(Fake.Written().size(), 0u);
}

} // namespace
