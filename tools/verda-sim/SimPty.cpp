#include "SimPty.h"
#include "LineSettings.h"
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

bool TSimPty::Open(std::string& error) {
    Hangup();
    auto fail = [&](const char* step) {
        error = std::string(step) + ": " + std::strerror(errno);
        Hangup();
        return false;
    };
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (Master < 0)
        return fail("posix_openpt");
    if (grantpt(Master) != 0)
        return fail("grantpt");
    if (unlockpt(Master) != 0)
        return fail("unlockpt");
    const char* name = ptsname(Master);
    if (name == nullptr)
        return fail("ptsname");
    Device = name;
    Slave = open(Device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (Slave < 0)
        return fail("open slave");
    if (!MakeRaw(Slave))
        return fail("raw mode");
    // Packet mode: each read of the master begins with a status byte, which tells when the
    // editor clears its input.
    int packet = 1;
    if (ioctl(Master, TIOCPKT, &packet) != 0)
        return fail("packet mode");
    // Non-blocking, so an editor that stops reading cannot keep the simulator from a stop signal.
    const int flags = fcntl(Master, F_GETFL);
    if (flags < 0 || fcntl(Master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

void TSimPty::Hangup() {
    if (Slave >= 0)
        close(Slave);
    if (Master >= 0)
        close(Master);
    Slave = -1;
    Master = -1;
}
