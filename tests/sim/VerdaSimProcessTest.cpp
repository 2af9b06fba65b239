// Runs the real verda-sim on a pseudo-terminal and talks to it as the editor does.
#include "support/VerdaSimProcess.h"
#include "link/LinkProtocol.h"
#include "support/ChildProcess.h"
#include "support/FdIo.h"
#include "support/TempDir.h"
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using namespace LinkProtocol;

using TClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int DeadlineMs = 10000;

class VerdaSim : public ::testing::Test {
protected:
    void TearDown() override {
        if (Line >= 0)
            close(Line);
    }

    // Starts the simulator on DIR/com3 and returns its device, or "" if it did not get ready.
    std::string Start(std::vector<std::string> args) {
        args.insert(args.begin(), {"--ports", Dir.Path.string(), "--com", "3"});
        return StartVerdaSim(Sim, std::move(args));
    }

    bool OpenLine(speed_t speed = B9600) {
        if (Line >= 0)
            close(Line);
        Line = open(Dir.File("com3").c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (Line < 0 || tcgetattr(Line, &settings) != 0)
            return false;
        cfmakeraw(&settings);
        cfsetspeed(&settings, speed);
        return tcsetattr(Line, TCSANOW, &settings) == 0;
    }

    // Sends a request and collects `replySize` bytes; fewer if the line stays quiet past the wait.
    TBytes Exchange(const TBytes& request, size_t replySize, int waitMs = DeadlineMs) {
        if (write(Line, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            return {};
        const std::string reply = ReadFor(Line, replySize, TClock::now() + std::chrono::milliseconds(waitMs));
        return TBytes(reply.begin(), reply.end());
    }

    TempDir Dir;
    TChildProcess Sim;
    int Line = -1;
};

const TBytes ProbeAnswer{0x00, 0x01, 0x04, 0xAA, 0x41};
} // namespace

TEST_F(VerdaSim, ServesReadAndWriteAndSavesItsMemoryOnStop) {
    // A stale link from an earlier run is replaced; an image longer than 2048 bytes is cut.
    fs::create_symlink("/dev/pts/nonexistent", Dir.File("com3"));
    TBytes image(2100);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 13 + 5);
    TempDir::Write(Dir.File("in.usr"), std::string(image.begin(), image.end()));

    const std::string device = Start({"--image", Dir.File("in.usr"), "--save", Dir.File("out.usr")});
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(fs::read_symlink(Dir.File("com3")), device);

    ASSERT_TRUE(OpenLine());
    EXPECT_EQ(Exchange(ProbePacket(), 5), ProbeAnswer);
    EXPECT_EQ(Exchange(ReadRequestPacket(0x07E0), 39),
              BlockReplyPacket(0x33, 0x07E0, TBytes(image.begin() + 0x07E0, image.begin() + 0x0800)));

    // Closing and reopening the port, as the editor's Disconnect and Connect do, keeps it serving.
    ASSERT_TRUE(OpenLine());
    TBytes data(32);
    for (int i = 0; i < 32; ++i)
        data[i] = static_cast<uint8_t>(0xC0 + i);
    EXPECT_EQ(Exchange(WriteRequestPacket(0x0020, data), 39), BlockReplyPacket(0x44, 0x0020, data));

    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Dir.File("com3"))));
    TBytes expected(image.begin(), image.begin() + 2048);
    std::copy(data.begin(), data.end(), expected.begin() + 0x20);
    EXPECT_EQ(TempDir::Read(Dir.File("out.usr")), std::string(expected.begin(), expected.end()));
}

TEST_F(VerdaSim, PaceTakesTheLineTimeOfBothDirections) {
    ASSERT_FALSE(Start({"--pace"}).empty());
    ASSERT_TRUE(OpenLine(B4800));
    const auto start = TClock::now();
    ASSERT_EQ(Exchange(ProbePacket(), 5), ProbeAnswer);
    ASSERT_EQ(Exchange(ReadRequestPacket(0), 39).size(), 39u);
    const double ms = std::chrono::duration<double, std::milli>(TClock::now() - start).count();
    // 5 + 5 + 7 + 39 bytes of 10 bits at 4800 baud.
    const double lineMs = 56 * 10 * 1000.0 / 4800;
    EXPECT_GE(ms, lineMs);
    EXPECT_LT(ms, 2 * lineMs) << "far slower than the line";
    EXPECT_EQ(Sim.Finish(SIGINT), 0);
}

TEST_F(VerdaSim, HangupClosesTheLineButKeepsTheLinkUntilStopped) {
    ASSERT_FALSE(Start({"--hangup-after", "1"}).empty());
    ASSERT_TRUE(OpenLine());
    EXPECT_EQ(Exchange(ProbePacket(), 5), ProbeAnswer);
    // As with an unplugged adapter, the editor's side reads end of file or an error.
    pollfd hangup{Line, POLLIN, 0};
    ASSERT_EQ(poll(&hangup, 1, DeadlineMs), 1);
    EXPECT_TRUE(hangup.revents & POLLHUP);
    uint8_t byte = 0;
    EXPECT_LE(read(Line, &byte, 1), 0);
    EXPECT_TRUE(fs::is_symlink(Dir.File("com3")));
    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Dir.File("com3"))));
}

TEST_F(VerdaSim, FaultsShowOnTheLine) {
    ASSERT_FALSE(Start({"--split", "10", "--bad-crc", "--stop-after", "2"}).empty());
    ASSERT_TRUE(OpenLine());
    TBytes answer = ProbeAnswer;
    answer.back() = static_cast<uint8_t>(~answer.back());
    EXPECT_EQ(Exchange(ProbePacket(), 5), answer);
    const TBytes reply = Exchange(ReadRequestPacket(0), 39);
    ASSERT_EQ(reply.size(), 39u);
    EXPECT_FALSE(ChecksumMatches(reply.data(), reply.size()));
    // The third request is past --stop-after: the line stays quiet.
    EXPECT_TRUE(Exchange(ProbePacket(), 5, 300).empty());
    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
}

// Half a write request, then the line idle for longer than a packet, or the port reopened and
// its input cleared as the editor does: the probe that follows is answered.
TEST_F(VerdaSim, HalfReceivedRequestIsDropped) {
    ASSERT_FALSE(Start({}).empty());
    const TBytes request = WriteRequestPacket(0x0020, TBytes(32, 0x5A));
    // A probe with half a request behind it: once the probe is answered, the half has come too.
    TBytes probeAndHalf = ProbePacket();
    probeAndHalf.insert(probeAndHalf.end(), request.begin(), request.begin() + 20);
    for (const bool reopen : {true, false}) {
        SCOPED_TRACE(reopen ? "reopened" : "idle");
        ASSERT_TRUE(OpenLine());
        ASSERT_EQ(Exchange(probeAndHalf, 5), ProbeAnswer);
        if (reopen) {
            // At 110 baud the line would have to be idle for 3.5 s: only the reopening counts.
            ASSERT_TRUE(OpenLine(B110));
            tcflush(Line, TCIFLUSH);
        } else {
            // 39 bytes take 41 ms at 9600 baud.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_EQ(Exchange(ProbePacket(), 5, 1000), ProbeAnswer);
    }
    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
}

TEST_F(VerdaSim, UsageErrorExitsWithTwo) {
    TChildProcess sim;
    ASSERT_TRUE(sim.Start({VAROK_BIN_DIR "/verda-sim", "--com", "3", "--split", "0"}));
    EXPECT_EQ(sim.ReadLine(), "");
    EXPECT_EQ(sim.Finish(), 2);
}
