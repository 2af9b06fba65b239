#include "LineSettings.h"
// termios2 lives in the kernel's header, which cannot share a unit with <termios.h>.
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool MakeRaw(int fd) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    settings.c_iflag &=
        ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
    settings.c_cflag |= CS8 | CREAD | CLOCAL;
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

std::chrono::nanoseconds ByteTime(uint32_t baud, uint32_t cflag) {
    if (baud == 0)
        return std::chrono::nanoseconds(0);
    int dataBits = 8;
    switch (cflag & CSIZE) {
    case CS5:
        dataBits = 5;
        break;
    case CS6:
        dataBits = 6;
        break;
    case CS7:
        dataBits = 7;
        break;
    default:
        break;
    }
    // Counted in half bits: two stop bits with 5 data bits are 1.5 stop bits on a UART.
    int halfBits = 2 * (1 + dataBits);
    if (cflag & PARENB)
        halfBits += 2;
    if (cflag & CSTOPB)
        halfBits += dataBits == 5 ? 3 : 4;
    else
        halfBits += 2;
    return std::chrono::nanoseconds(static_cast<int64_t>(halfBits) * 500'000'000LL / baud);
}

std::optional<std::chrono::nanoseconds> CurrentByteTime(int fd) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0)
        return std::nullopt;
    // The kernel fills c_ospeed for the classic B-constants too.
    return ByteTime(settings.c_ospeed, settings.c_cflag);
}
