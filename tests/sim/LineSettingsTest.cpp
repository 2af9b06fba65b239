#include "LineSettings.h"
#include "support/FdIo.h"
// termios2 comes from the kernel's header, which cannot share a unit with <termios.h>.
#include <asm/termbits.h>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using std::chrono::nanoseconds;

TEST(LineSettings, ByteTimeCountsStartDataParityAndStopBits) {
    struct Row {
        const char* Meaning;
        uint32_t Baud;
        uint32_t Cflag;
        int64_t Nanoseconds;
    };
    const Row rows[] = {
        {"9600 8N1, 10 bits", 9600, CS8, 1'041'666},
        {"115200 8N1", 115200, CS8, 86'805},
        {"14400 7E1, 10 bits", 14400, CS7 | PARENB, 694'444},
        {"56000 8O2, 12 bits", 56000, CS8 | PARENB | PARODD | CSTOPB, 214'285},
        {"128000 5N1.5, 7.5 bits", 128000, CS5 | CSTOPB, 58'593},
        {"256000 6N1, 8 bits", 256000, CS6, 31'250},
        {"speed 0 hangs up: no time", 0, CS8, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ByteTime(row.Baud, row.Cflag).count(), row.Nanoseconds) << row.Meaning;
}

namespace {
struct TPtyPair {
    int Master = -1;
    int Slave = -1;
    TPtyPair() {
        Master = posix_openpt(O_RDWR | O_NOCTTY);
        if (Master >= 0 && grantpt(Master) == 0 && unlockpt(Master) == 0)
            Slave = open(ptsname(Master), O_RDWR | O_NOCTTY);
    }
    ~TPtyPair() {
        if (Slave >= 0)
            close(Slave);
        if (Master >= 0)
            close(Master);
    }
};

bool SetSpeed(int fd, tcflag_t cbaud, speed_t speed, tcflag_t framing) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | CSIZE | PARENB | CSTOPB);
    settings.c_cflag |= cbaud | framing;
    settings.c_ispeed = settings.c_ospeed = speed;
    return ioctl(fd, TCSETS2, &settings) == 0;
}
} // namespace

TEST(LineSettings, CurrentByteTimeFollowsCustomAndClassicRates) {
    TPtyPair pty;
    ASSERT_GE(pty.Slave, 0);
    // Another descriptor sets the rate, as the editor does on its own side.
    const int editor = dup(pty.Slave);
    ASSERT_GE(editor, 0);
    ASSERT_TRUE(SetSpeed(editor, BOTHER, 14400, CS8));
    EXPECT_EQ(CurrentByteTime(pty.Slave), ByteTime(14400, CS8));
    ASSERT_TRUE(SetSpeed(editor, BOTHER, 56000, CS7 | PARENB | CSTOPB));
    EXPECT_EQ(CurrentByteTime(pty.Slave), ByteTime(56000, CS7 | PARENB | CSTOPB));
    // A classic rate constant with no speed number still gives its rate.
    ASSERT_TRUE(SetSpeed(editor, B9600, 0, CS8));
    EXPECT_EQ(CurrentByteTime(pty.Slave), nanoseconds(1'041'666));
    close(editor);
    EXPECT_FALSE(CurrentByteTime(-1));
}

TEST(LineSettings, MakeRawPassesEveryByteUnchanged) {
    TPtyPair pty;
    ASSERT_GE(pty.Slave, 0);
    ASSERT_TRUE(MakeRaw(pty.Slave));
    uint8_t all[256];
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(write(pty.Master, all, sizeof all), 256);
    const std::string got =
        ReadFor(pty.Slave, sizeof all, std::chrono::steady_clock::now() + std::chrono::seconds(5));
    ASSERT_EQ(got.size(), sizeof all) << "only " << got.size() << " bytes arrived";
    EXPECT_EQ(std::memcmp(all, got.data(), sizeof all), 0);
    // Nothing is echoed back to the controller's side.
    pollfd echo{pty.Master, POLLIN, 0};
    EXPECT_EQ(poll(&echo, 1, 0), 0);
}
