// Runs the real verda-sim on a pseudo-terminal and talks to it as the editor does.
#include "link/Crc8.h"
#include "support/ChildProcess.h"
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {
using TBytes = std::vector<uint8_t>;
using TClock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr int DeadlineMs = 10000;

int MsLeft(TClock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

class VerdaSim : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/verda-sim-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Dir = pattern;
    }
    void TearDown() override {
        if (Line >= 0)
            close(Line);
        std::error_code ignored;
        fs::remove_all(Dir, ignored);
    }

    // Starts the simulator on DIR/com3 and returns its device, or "" if it did not get ready.
    std::string Start(std::vector<std::string> args) {
        args.insert(args.begin(), {"--ports", Dir.string(), "--com", "3"});
        args.insert(args.begin(), VAROK_BIN_DIR "/verda-sim");
        if (!Sim.Start(args))
            return "";
        const std::string line = Sim.ReadLine();
        return line.rfind("ready ", 0) == 0 ? line.substr(6) : "";
    }

    bool OpenLine(speed_t speed = B9600) {
        if (Line >= 0)
            close(Line);
        Line = open((Dir / "com3").c_str(), O_RDWR | O_NOCTTY);
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
        const auto deadline = TClock::now() + std::chrono::milliseconds(waitMs);
        TBytes reply(replySize);
        size_t have = 0;
        while (have < replySize) {
            pollfd ready{Line, POLLIN, 0};
            if (poll(&ready, 1, MsLeft(deadline)) != 1)
                break;
            const ssize_t n = read(Line, reply.data() + have, replySize - have);
            if (n <= 0)
                break;
            have += static_cast<size_t>(n);
        }
        reply.resize(have);
        return reply;
    }

    fs::path Dir;
    TChildProcess Sim;
    int Line = -1;
};

TBytes Sealed(TBytes bytes) {
    bytes.push_back(Crc8(bytes.data(), bytes.size()));
    return bytes;
}
const TBytes Probe{0x00, 0x01, 0x04, 0x55, 0x74};
const TBytes ProbeAnswer{0x00, 0x01, 0x04, 0xAA, 0x41};
TBytes Read(uint16_t address) {
    return Sealed(
        {0x00, 0x01, 0x06, 0x33, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)});
}
TBytes BlockReply(uint8_t command, uint16_t address, const uint8_t* data) {
    TBytes reply{
        0x00, 0x01, 0x26, command, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    reply.insert(reply.end(), data, data + 32);
    return Sealed(reply);
}
TBytes FileBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(file), {});
}
} // namespace

TEST_F(VerdaSim, ServesReadAndWriteAndSavesItsMemoryOnStop) {
    // A stale link from an earlier run is replaced; an image longer than 2048 bytes is cut.
    fs::create_symlink("/dev/pts/nonexistent", Dir / "com3");
    TBytes image(2100);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * 13 + 5);
    std::ofstream(Dir / "in.usr", std::ios::binary).write(reinterpret_cast<const char*>(image.data()), 2100);

    const std::string device =
        Start({"--image", (Dir / "in.usr").string(), "--save", (Dir / "out.usr").string()});
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(fs::read_symlink(Dir / "com3"), device);

    ASSERT_TRUE(OpenLine());
    EXPECT_EQ(Exchange(Probe, 5), ProbeAnswer);
    EXPECT_EQ(Exchange(Read(0x07E0), 39), BlockReply(0x33, 0x07E0, image.data() + 0x07E0));

    // Closing and reopening the port, as the editor's Disconnect and Connect do, keeps it serving.
    ASSERT_TRUE(OpenLine());
    uint8_t data[32];
    for (int i = 0; i < 32; ++i)
        data[i] = static_cast<uint8_t>(0xC0 + i);
    TBytes write{0x00, 0x01, 0x26, 0x44, 0x00, 0x20};
    write.insert(write.end(), data, data + 32);
    EXPECT_EQ(Exchange(Sealed(write), 39), BlockReply(0x44, 0x0020, data));

    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Dir / "com3")));
    TBytes expected(image.begin(), image.begin() + 2048);
    std::copy(data, data + 32, expected.begin() + 0x20);
    EXPECT_EQ(FileBytes(Dir / "out.usr"), expected);
}

TEST_F(VerdaSim, PaceTakesTheLineTimeOfBothDirections) {
    ASSERT_FALSE(Start({"--pace"}).empty());
    ASSERT_TRUE(OpenLine(B4800));
    const auto start = TClock::now();
    ASSERT_EQ(Exchange(Probe, 5), ProbeAnswer);
    ASSERT_EQ(Exchange(Read(0), 39).size(), 39u);
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
    EXPECT_EQ(Exchange(Probe, 5), ProbeAnswer);
    // As with an unplugged adapter, the editor's side reads end of file or an error.
    pollfd hangup{Line, POLLIN, 0};
    ASSERT_EQ(poll(&hangup, 1, DeadlineMs), 1);
    EXPECT_TRUE(hangup.revents & POLLHUP);
    uint8_t byte = 0;
    EXPECT_LE(read(Line, &byte, 1), 0);
    EXPECT_TRUE(fs::is_symlink(Dir / "com3"));
    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(Dir / "com3")));
}

TEST_F(VerdaSim, FaultsShowOnTheLine) {
    ASSERT_FALSE(Start({"--split", "10", "--bad-crc", "--stop-after", "2"}).empty());
    ASSERT_TRUE(OpenLine());
    TBytes answer = ProbeAnswer;
    answer.back() = static_cast<uint8_t>(~answer.back());
    EXPECT_EQ(Exchange(Probe, 5), answer);
    const TBytes reply = Exchange(Read(0), 39);
    ASSERT_EQ(reply.size(), 39u);
    EXPECT_EQ(reply[38], static_cast<uint8_t>(~Crc8(reply.data(), 38)));
    // The third request is past --stop-after: the line stays quiet.
    EXPECT_TRUE(Exchange(Probe, 5, 300).empty());
    EXPECT_EQ(Sim.Finish(SIGTERM), 0);
}

TEST_F(VerdaSim, UsageErrorExitsWithTwo) {
    TChildProcess sim;
    ASSERT_TRUE(sim.Start({VAROK_BIN_DIR "/verda-sim", "--com", "3", "--split", "0"}));
    EXPECT_EQ(sim.ReadLine(), "");
    EXPECT_EQ(sim.Finish(), 2);
}
