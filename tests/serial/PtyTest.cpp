// The port on a real pseudo-terminal: the test talks from the master side.
#include "base/HandOver.h"
#include "serial/CommPort.h"
#include "support/FdIo.h"
#include "support/PatternBytes.h"
#include "support/TempDir.h"
#include "support/TestThread.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct TTermios2 {
    tcflag_t c_iflag, c_oflag, c_cflag, c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed, c_ospeed;
};

struct PtyTest : ::testing::Test {
    THandOver HandOver;
    int Master = -1, Slave = -1;
    TempDir Dir;
    std::unique_ptr<TCommPort> Port;

    void SetUp() override {
        ::signal(SIGPIPE, SIG_IGN);
        ASSERT_EQ(::openpty(&Master, &Slave, nullptr, nullptr, nullptr), 0);
        ASSERT_EQ(::symlink(::ttyname(Slave), Dir.File("com7").c_str()), 0);
        ::setenv("VAROKCONFIG_PORTS", Dir.Path.c_str(), 1);
        Port = std::make_unique<TCommPort>(HandOver);
        Port->SetComNumber(7);
    }
    // Also after a failed SetUp, which may have left no port and no terminal.
    void TearDown() override {
        if (Port) {
            Port->OnDataReceived = nullptr;
            Port->OnClose = nullptr;
            Port->OnRxDSignal = nullptr;
            Port.reset();
        }
        ::unsetenv("VAROKCONFIG_PORTS");
        for (int fd : {Master, Slave})
            if (fd >= 0)
                ::close(fd);
    }
    static std::chrono::steady_clock::time_point Soon() { return std::chrono::steady_clock::now() + 20s; }
    bool Pump(const std::function<bool()>& cond, std::chrono::milliseconds timeout = 20s) {
        return PumpUntil(HandOver, cond, timeout);
    }
    // Reads from the master until count bytes came or the deadline passed.
    std::string ReadMaster(std::size_t count) { return ReadFor(Master, count, Soon()); }
};

TEST(PortNamingTest, DevicesOfThePortNumbers) {
    ::unsetenv("VAROKCONFIG_PORTS");
    EXPECT_EQ(SerialDeviceName(1), "/dev/ttyS0");
    EXPECT_EQ(SerialDeviceName(32), "/dev/ttyS31");
    EXPECT_EQ(SerialDeviceName(33), "/dev/ttyUSB0");
    EXPECT_EQ(SerialDeviceName(65), "/dev/ttyACM0");
    EXPECT_EQ(SerialDeviceName(96), "/dev/ttyACM31");
    EXPECT_EQ(SerialDeviceName(97), "");
    EXPECT_EQ(SerialDeviceName(0), "");
    ::setenv("VAROKCONFIG_PORTS", "/some/dir", 1);
    EXPECT_EQ(SerialDeviceName(12), "/some/dir/com12");
    EXPECT_EQ(SerialDeviceName(255), "/some/dir/com255");
    ::unsetenv("VAROKCONFIG_PORTS");
}

TEST_F(PtyTest, PortTestAndOpenAreExclusive) {
    EXPECT_TRUE(TestOpenDevice(7));
    EXPECT_FALSE(TestOpenDevice(8));
    Port->SetOpen(true);
    ASSERT_TRUE(Port->GetOpen());
    EXPECT_FALSE(TestOpenDevice(7));
    TCommPort second(HandOver);
    second.SetComNumber(7);
    second.SetOpen(true);
    EXPECT_FALSE(second.GetOpen());
    // The lock refused it: the system's code and reason come with our error.
    EXPECT_EQ(second.GetOpenError().Error, TSerialError::Busy);
    EXPECT_EQ(second.GetOpenError().Text, SystemErrorText(second.GetOpenError().SystemCode));
    Port->SetOpen(false);
    EXPECT_TRUE(TestOpenDevice(7));
}

TEST_F(PtyTest, LineSettingsReachTheTerminal) {
    Port->SetOpen(true);
    ASSERT_TRUE(Port->GetOpen());
    for (int rate :
         {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000}) {
        Port->SetBaud(rate);
        TTermios2 t2{};
        ASSERT_EQ(::ioctl(Slave, _IOR('T', 0x2A, TTermios2), &t2), 0);
        EXPECT_EQ(t2.c_ospeed, static_cast<speed_t>(rate)) << rate;
    }
    termios t{};
    Port->SetParity(paMark);
    Port->SetDataBits(5);
    Port->SetStopBits(sb1_5);
    // A pseudo-terminal keeps neither PARENB nor the byte size; the rest it keeps.
    ASSERT_EQ(::tcgetattr(Slave, &t), 0);
    EXPECT_EQ(t.c_cflag & (CMSPAR | PARODD), tcflag_t(CMSPAR | PARODD));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    Port->SetParity(paSpace);
    Port->SetComControl(ccHard);
    ASSERT_EQ(::tcgetattr(Slave, &t), 0);
    EXPECT_EQ(t.c_cflag & (CMSPAR | PARODD), tcflag_t(CMSPAR));
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    Port->SetXonChar(0x01);
    Port->SetXoffChar(0x02);
    Port->SetComControl(ccSoft);
    ASSERT_EQ(::tcgetattr(Slave, &t), 0);
    EXPECT_FALSE(t.c_cflag & CRTSCTS);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
    EXPECT_EQ(t.c_cc[VSTOP], 0x02);
    // A pseudo-terminal has no modem lines: they cannot be set or read.
    EXPECT_FALSE(Port->GetModemState(1));
}

TEST_F(PtyTest, MegabyteBothWaysInOrder) {
    const std::size_t size = 1 << 20;
    const std::string toPort = PatternBytes(size, 1), fromPort = PatternBytes(size, 2);
    std::string received;
    Port->OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        char buffer[2048];
        received.append(buffer, sender.GetBlock(buffer, sizeof buffer));
    };
    Port->SetOpen(true);
    ASSERT_TRUE(Port->GetOpen());
    TTestThread writer([&](const std::atomic<bool>& stop) {
        WriteAll(Master, toPort.data(), toPort.size(), Soon(), &stop);
    });
    std::string peerGot;
    TTestThread reader([&](const std::atomic<bool>&) { peerGot = ReadMaster(size); });
    std::size_t sent = 0;
    const bool done = Pump([&] {
        sent += Port->PutBlock(fromPort.data() + sent, static_cast<std::uint32_t>(size - sent));
        return received.size() >= size && sent == size;
    });
    reader.Join();
    writer.Join();
    EXPECT_TRUE(done);
    EXPECT_TRUE(received == toPort);
    EXPECT_TRUE(peerGot == fromPort);
}

TEST_F(PtyTest, ReplyInPiecesGivesDeliveriesWithTheWaitingCount) {
    std::vector<std::uint32_t> counts;
    Port->OnDataReceived = [&](TCommPort& sender, std::uint32_t count) {
        EXPECT_EQ(count, sender.GetInBuffUsed());
        counts.push_back(count);
    };
    Port->SetOpen(true);
    const std::string reply = PatternBytes(39, 3);
    for (std::size_t at = 0; at < reply.size(); at += 10) {
        const std::size_t piece = std::min<std::size_t>(10, reply.size() - at);
        ASSERT_TRUE(WriteAll(Master, reply.data() + at, piece, Soon()));
        ASSERT_TRUE(Pump([&] { return !counts.empty() && counts.back() == at + piece; }));
    }
    EXPECT_EQ(counts.back(), 39u);
    EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
    char buffer[64];
    ASSERT_EQ(Port->GetBlock(buffer, sizeof buffer), 39u);
    EXPECT_EQ(std::string(buffer, 39), reply);
}

TEST_F(PtyTest, FullInputRingStopsTheReaderUntilTheNextTake) {
    Port->SetIBuffSize(64);
    Port->SetOpen(true);
    const std::string data = PatternBytes(1000, 4);
    ASSERT_TRUE(WriteAll(Master, data.data(), data.size(), Soon()));
    ASSERT_TRUE(Pump([&] { return Port->GetInBuffUsed() == 64; }));
    int waiting = 0;
    ASSERT_EQ(::ioctl(Slave, FIONREAD, &waiting), 0);
    EXPECT_GT(waiting, 0); // the rest waits in the device
    std::string got;
    char buffer[64];
    ASSERT_TRUE(Pump([&] {
        got.append(buffer, Port->GetBlock(buffer, sizeof buffer));
        return got.size() >= data.size();
    }));
    EXPECT_TRUE(got == data);
}

// Bytes the device has reported but nobody read (the ring is full) must not leave the port
// deaf: more bytes arriving are reported again, and after a flush a reply shorter than what
// was reported before is reported too.
TEST_F(PtyTest, ReportedBytesLeftInTheDeviceNeverMakeThePortDeaf) {
    int reports = 0;
    Port->OnRxDSignal = [&](TCommPort&) { ++reports; };
    Port->SetIBuffSize(4);
    Port->SetOpen(true);
    ASSERT_TRUE(WriteAll(Master, "abcdefgh", 8, Soon()));
    // Read 4; the 4 left are reported once more (deliveries may coalesce) and stay in the device.
    ASSERT_TRUE(Pump([&] { return Port->GetInBuffUsed() == 4 && reports >= 1; }));
    Pump([&] { return reports >= 2; }, 500ms);
    const int before = reports;
    ASSERT_TRUE(WriteAll(Master, "i", 1, Soon()));
    EXPECT_TRUE(Pump([&] { return reports > before; }, 3s)) << "an arrival while bytes wait unread";
    Port->FlushInBuffer();
    ASSERT_TRUE(WriteAll(Master, "rep", 3, Soon()));
    ASSERT_TRUE(Pump([&] { return Port->GetInBuffUsed() == 3; }, 3s)) << "a reply after the flush";
    char buffer[8];
    ASSERT_EQ(Port->GetBlock(buffer, sizeof buffer), 3u);
    EXPECT_EQ(std::string(buffer, 3), "rep");
}

// The writer finishes its pass at the close: every byte queued before it reaches the peer.
TEST_F(PtyTest, CloseRightAfterPutBlockDeliversEveryByte) {
    const std::string block = PatternBytes(4096, 6);
    for (int round = 0; round < 20; ++round) {
        Port->SetOpen(true);
        ASSERT_TRUE(Port->GetOpen());
        ASSERT_EQ(Port->PutBlock(block.data(), 4096), 4096u);
        Port->SetOpen(false);
        const std::string got = ReadFor(Master, 4096, std::chrono::steady_clock::now() + 2s);
        ASSERT_TRUE(got == block) << "round " << round << ": " << got.size() << " bytes came";
    }
}

TEST_F(PtyTest, CloseWhilePeerStillSends) {
    std::string received;
    Port->OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        char buffer[2048];
        received.append(buffer, sender.GetBlock(buffer, sizeof buffer));
    };
    Port->SetOpen(true);
    const std::string data = PatternBytes(1 << 16, 5);
    // The same bytes over and over, until the test ends.
    TTestThread peer([&](const std::atomic<bool>& stop) {
        const auto deadline = Soon();
        while (WriteAll(Master, data.data(), data.size(), deadline, &stop)) {
        }
    });
    ASSERT_TRUE(Pump([&] { return received.size() > 20000; }));
    Port->SetOpen(false);
    EXPECT_FALSE(Port->GetOpen());
    peer.Join();
    const std::string cycle = data + data;
    EXPECT_EQ(received.substr(0, 20000), cycle.substr(0, 20000));
}

// The peer hanging up is an unplugged adapter: nothing spins, the close completes at once.
TEST_F(PtyTest, PeerHangingUpLeavesNoWorkerSpinning) {
    int closes = 0;
    Port->OnClose = [&](TCommPort&) { ++closes; };
    Port->SetOpen(true);
    Port->PutString("hello");
    ASSERT_EQ(ReadMaster(5), "hello");
    ::close(Master);
    Master = -1;
    Port->PutString("into the void");
    const std::clock_t before = std::clock();
    Pump([] { return false; }, 300ms);
    const double cpuMs = 1000.0 * double(std::clock() - before) / CLOCKS_PER_SEC;
    EXPECT_LT(cpuMs, 150.0);
    EXPECT_EQ(Port->GetOutBuffUsed(), 0u);
    Port->SetOpen(false);
    EXPECT_EQ(closes, 1);
}

} // namespace
