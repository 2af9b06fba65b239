// The serial device on Linux: a termios device opened non-blocking, waited on with poll.
#include "serial/CommTypes.h"
#include "serial/SerialDevice.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/serial.h>
#include <mutex>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace {

TSerialError MapError(int code) {
    switch (code) {
    case 0:
        return TSerialError::None;
    case ENOENT:
    case ENOTDIR:
        return TSerialError::NotFound;
    case EBUSY:
    case EWOULDBLOCK:
    case EACCES:
    case EPERM:
        return TSerialError::Busy;
    case EIO:
    case ENXIO:
    case ENODEV:
    case EBADF:
    case EPIPE:
        return TSerialError::Gone;
    case ENOTTY:
    case EINVAL:
        return TSerialError::Unsupported;
    default:
        return TSerialError::Io;
    }
}

// The kernel's termios2, which carries an arbitrary rate; glibc does not declare it.
struct TTermios2 {
    tcflag_t c_iflag;
    tcflag_t c_oflag;
    tcflag_t c_cflag;
    tcflag_t c_lflag;
    cc_t c_line;
    cc_t c_cc[19];
    speed_t c_ispeed;
    speed_t c_ospeed;
};
constexpr unsigned long GetTermios2 = _IOR('T', 0x2A, TTermios2);
constexpr unsigned long SetTermios2 = _IOW('T', 0x2B, TTermios2);
constexpr tcflag_t OtherRate = 0010000; // BOTHER
constexpr int InputRateShift = 16;      // IBSHIFT

speed_t StandardRate(std::uint32_t rate) {
    switch (rate) {
    case 110:
        return B110;
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0; // needs termios2
    }
}

tcflag_t ByteSizeFlag(std::uint8_t bits) {
    switch (bits) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    default:
        return CS8;
    }
}

constexpr std::uint32_t ModemEvents = CommEvent::Cts | CommEvent::Dsr | CommEvent::Rlsd | CommEvent::Ring;
constexpr std::uint32_t CountedEvents = ModemEvents | CommEvent::Break | CommEvent::Err;

class TPosixSerialDevice final : public TSerialDevice {
public:
    explicit TPosixSerialDevice(std::string name) : FName(std::move(name)) {}
    ~TPosixSerialDevice() override { Close(); }

    TSerialErrorInfo Open() override;
    void Close() override;
    bool IsOpen() const override { return FFd >= 0; }
    bool IsGone() const override { return FGone.load(); }
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return IsOpen(); }
    bool SetNoTimeouts() override;
    bool GetSettings(TLineSettings& settings) override;
    bool SetSettings(const TLineSettings& settings) override;
    bool Escape(TEscape function) override;
    bool GetModemStatus(std::uint32_t& status) override;
    bool QueueCounts(std::uint32_t& inQueue, std::uint32_t& outQueue) override;
    bool Purge(std::uint32_t flags) override;
    bool SetEventMask(std::uint32_t mask) override;
    TWaitStart StartWaitEvent(std::uint32_t& mask) override;
    bool FinishWaitEvent(std::uint32_t& mask) override;
    TSerialError Read(char* buffer, std::uint32_t count, std::uint32_t& done) override;
    std::uint32_t InputPurges() const override { return FInputPurges.load(); }
    TSerialError ReadSince(std::uint32_t purges, char* buffer, std::uint32_t count,
                           std::uint32_t& done) override;
    TSerialError Write(const char* buffer, std::uint32_t count, std::uint32_t& done) override;

private:
    TSerialError Fail(int code);
    static TSerialErrorInfo Refuse(int code);
    static void Kick(int fd);
    static void Drain(int fd);
    bool InputQueue(std::uint32_t& waiting);
    bool RxReportDue();
    std::uint32_t CollectEvents();
    int PollTimeout();

    std::string FName;
    int FFd = -1;
    int FEventWake = -1; // mask change, a read that re-arms the received-character test
    int FWriteAbort = -1;
    std::atomic<bool> FGone{false};
    std::mutex FSettingsLock;
    TLineSettings FSettings;

    std::atomic<std::uint32_t> FMask{0};
    std::atomic<std::uint32_t> FMaskGeneration{0};
    std::uint32_t FWaitGeneration = 0;
    // Received characters are reported as Windows reports them: once for bytes left unread (a
    // full input ring must not wake the watcher over and over), again as soon as more arrive,
    // and a read or a purge re-arms the report for whatever then waits. The driver does not
    // count arrivals, so growth of the waiting count since the report stands for them.
    // FRxLock orders reads and input purges and guards the report state.
    std::mutex FRxLock;
    bool FRxArmed = true;
    std::uint32_t FRxReportedLevel = 0;
    std::atomic<std::uint32_t> FInputPurges{0};
    std::atomic<bool> FRxFlagSeen{false};
    std::atomic<bool> FTxPending{false};
    // Modem lines and line-error counters, where the driver gives them.
    bool FModemKnown = false;
    std::uint32_t FModem = 0;
    bool FCountsKnown = false;
    serial_icounter_struct FCounts{};
};

TSerialError TPosixSerialDevice::Fail(int code) {
    const TSerialError error = MapError(code);
    if (error == TSerialError::Gone && !FGone.exchange(true))
        Kick(FEventWake);
    return error;
}

void TPosixSerialDevice::Kick(int fd) {
    const std::uint64_t one = 1;
    [[maybe_unused]] auto n = ::write(fd, &one, sizeof one);
}

void TPosixSerialDevice::Drain(int fd) {
    std::uint64_t value;
    [[maybe_unused]] auto n = ::read(fd, &value, sizeof value);
}

// Something that is no terminal is no port, but the system's reason says what it is.
TSerialErrorInfo TPosixSerialDevice::Refuse(int code) {
    return DeviceError(MapError(code == ENOTTY ? ENOENT : code), code);
}

TSerialErrorInfo TPosixSerialDevice::Open() {
    if (FName.empty())
        return Refuse(ENOENT);
    const int fd = ::open(FName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Refuse(errno);
    // TIOCEXCL does not hold against root; the lock does.
    termios t{};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::tcgetattr(fd, &t) != 0) {
        const int code = errno;
        ::close(fd);
        return Refuse(code);
    }
    ::ioctl(fd, TIOCEXCL);
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    ::tcsetattr(fd, TCSANOW, &t);
    FEventWake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    FWriteAbort = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (FEventWake < 0 || FWriteAbort < 0) {
        const int code = errno;
        ::close(fd);
        FFd = -1;
        Close();
        return Refuse(code);
    }
    FFd = fd;
    FGone = false;
    FRxArmed = true;
    FRxReportedLevel = 0;
    std::uint32_t status;
    FModemKnown = GetModemStatus(status);
    FModem = status;
    FCountsKnown = ::ioctl(FFd, TIOCGICOUNT, &FCounts) == 0;
    return {};
}

void TPosixSerialDevice::Close() {
    for (int* fd : {&FFd, &FEventWake, &FWriteAbort}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

bool TPosixSerialDevice::SetNoTimeouts() {
    termios t{};
    if (FGone || ::tcgetattr(FFd, &t) != 0)
        return false;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return ::tcsetattr(FFd, TCSANOW, &t) == 0;
}

bool TPosixSerialDevice::GetSettings(TLineSettings& settings) {
    if (!IsOpen() || FGone)
        return false;
    std::lock_guard lock(FSettingsLock);
    settings = FSettings;
    return true;
}

bool TPosixSerialDevice::SetSettings(const TLineSettings& s) {
    termios t{};
    if (!IsOpen() || FGone || ::tcgetattr(FFd, &t) != 0)
        return false;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CMSPAR | CRTSCTS);
    t.c_cflag |= CLOCAL | CREAD | ByteSizeFlag(s.ByteSize);
    // One and a half stop bits is what the UART sends for CSTOPB with 5 data bits.
    if (s.StopBits != 0)
        t.c_cflag |= CSTOPB;
    switch (s.Parity) {
    case 1:
        t.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        t.c_cflag |= PARENB;
        break;
    case 3:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case 4:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    const std::uint32_t dtrControl = (s.Flags >> ControlFlag::DtrControlShift) & 3;
    const std::uint32_t rtsControl = (s.Flags >> ControlFlag::RtsControlShift) & 3;
    if ((s.Flags & ControlFlag::OutxCtsFlow) || rtsControl == 2)
        t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.Flags & ControlFlag::OutX)
        t.c_iflag |= IXON;
    if (s.Flags & ControlFlag::InX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(s.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(s.XoffChar);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    const speed_t standard = StandardRate(s.Rate);
    if (standard != B0) {
        cfsetispeed(&t, standard);
        cfsetospeed(&t, standard);
    }
    bool ok = ::tcsetattr(FFd, TCSANOW, &t) == 0;
    if (ok && standard == B0) {
        TTermios2 t2{};
        ok = ::ioctl(FFd, GetTermios2, &t2) == 0;
        if (ok) {
            t2.c_cflag &= ~(CBAUD | (CBAUD << InputRateShift));
            t2.c_cflag |= OtherRate | (OtherRate << InputRateShift);
            t2.c_ispeed = s.Rate;
            t2.c_ospeed = s.Rate;
            ok = ::ioctl(FFd, SetTermios2, &t2) == 0;
        }
    }
    // The control word also sets the levels of DTR and RTS (disabled lowers the line).
    const int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    ::ioctl(FFd, dtrControl == 0 ? TIOCMBIC : TIOCMBIS, &dtr);
    ::ioctl(FFd, rtsControl == 0 ? TIOCMBIC : TIOCMBIS, &rts);
    std::lock_guard lock(FSettingsLock);
    FSettings = s;
    return ok;
}

bool TPosixSerialDevice::Escape(TEscape function) {
    if (!IsOpen() || FGone)
        return false;
    const int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    switch (function) {
    case TEscape::SetRts:
        return ::ioctl(FFd, TIOCMBIS, &rts) == 0;
    case TEscape::ClrRts:
        return ::ioctl(FFd, TIOCMBIC, &rts) == 0;
    case TEscape::SetDtr:
        return ::ioctl(FFd, TIOCMBIS, &dtr) == 0;
    case TEscape::ClrDtr:
        return ::ioctl(FFd, TIOCMBIC, &dtr) == 0;
    case TEscape::SetBreak:
        return ::ioctl(FFd, TIOCSBRK) == 0;
    case TEscape::ClrBreak:
        return ::ioctl(FFd, TIOCCBRK) == 0;
    }
    return false;
}

bool TPosixSerialDevice::GetModemStatus(std::uint32_t& status) {
    int lines = 0;
    // A pseudo-terminal answers ENOTTY or EINVAL: its lines cannot be read.
    if (!IsOpen() || FGone || ::ioctl(FFd, TIOCMGET, &lines) != 0)
        return false;
    status = ((lines & TIOCM_CTS) ? ModemStatus::Cts : 0) | ((lines & TIOCM_DSR) ? ModemStatus::Dsr : 0) |
             ((lines & TIOCM_RI) ? ModemStatus::Ring : 0) | ((lines & TIOCM_CD) ? ModemStatus::Rlsd : 0);
    return true;
}

// FIONREAD does not count bytes the driver has received but not yet moved to the read queue;
// a poll moves them there. Without it the reader would take a busy line for a quiet one.
bool TPosixSerialDevice::InputQueue(std::uint32_t& waiting) {
    int in = 0;
    if (!IsOpen() || FGone || ::ioctl(FFd, FIONREAD, &in) != 0)
        return false;
    if (in == 0) {
        pollfd ready{FFd, POLLIN, 0};
        if (::poll(&ready, 1, 0) == 1 && (ready.revents & POLLIN) && ::ioctl(FFd, FIONREAD, &in) != 0)
            return false;
    }
    waiting = static_cast<std::uint32_t>(in);
    return true;
}

bool TPosixSerialDevice::QueueCounts(std::uint32_t& inQueue, std::uint32_t& outQueue) {
    int out = 0;
    if (!InputQueue(inQueue))
        return false;
    if (::ioctl(FFd, TIOCOUTQ, &out) != 0)
        out = 0;
    outQueue = static_cast<std::uint32_t>(out);
    return true;
}

bool TPosixSerialDevice::Purge(std::uint32_t flags) {
    if (!IsOpen())
        return false;
    if (flags & PurgeFlag::TxAbort)
        Kick(FWriteAbort);
    bool ok = true;
    if (flags & PurgeFlag::RxClear) {
        {
            std::lock_guard lock(FRxLock);
            ok = ::tcflush(FFd, TCIFLUSH) == 0;
            ++FInputPurges;
            FRxArmed = true;
            FRxReportedLevel = 0;
        }
        // A wait that no longer looked for input looks again.
        Kick(FEventWake);
    }
    if (flags & PurgeFlag::TxClear)
        ok = ::tcflush(FFd, TCOFLUSH) == 0 && ok;
    return ok || FGone;
}

bool TPosixSerialDevice::SetEventMask(std::uint32_t mask) {
    if (!IsOpen())
        return false;
    FMask = mask;
    ++FMaskGeneration;
    Kick(FEventWake);
    return true;
}

bool TPosixSerialDevice::RxReportDue() {
    std::lock_guard lock(FRxLock);
    std::uint32_t waiting = 0;
    if (!InputQueue(waiting) || waiting == 0 || !(FRxArmed || waiting > FRxReportedLevel))
        return false;
    FRxArmed = false;
    FRxReportedLevel = waiting;
    return true;
}

std::uint32_t TPosixSerialDevice::CollectEvents() {
    const std::uint32_t mask = FMask;
    std::uint32_t events = 0;
    if ((mask & CommEvent::RxChar) && RxReportDue())
        events |= CommEvent::RxChar;
    if ((mask & CommEvent::RxFlag) && FRxFlagSeen.exchange(false))
        events |= CommEvent::RxFlag;
    int queued = 0;
    if ((mask & CommEvent::TxEmpty) && FTxPending && ::ioctl(FFd, TIOCOUTQ, &queued) == 0 && queued == 0) {
        FTxPending = false;
        events |= CommEvent::TxEmpty;
    }
    std::uint32_t status;
    if (FModemKnown && (mask & ModemEvents) && GetModemStatus(status)) {
        const std::uint32_t changed = status ^ FModem;
        if (changed & ModemStatus::Cts)
            events |= CommEvent::Cts;
        if (changed & ModemStatus::Dsr)
            events |= CommEvent::Dsr;
        if (changed & ModemStatus::Rlsd)
            events |= CommEvent::Rlsd;
        if ((changed & status) & ModemStatus::Ring)
            events |= CommEvent::Ring;
        FModem = status;
    }
    serial_icounter_struct counts{};
    if (FCountsKnown && ::ioctl(FFd, TIOCGICOUNT, &counts) == 0) {
        if (counts.brk != FCounts.brk)
            events |= CommEvent::Break;
        if (counts.frame != FCounts.frame || counts.overrun != FCounts.overrun ||
            counts.parity != FCounts.parity || counts.buf_overrun != FCounts.buf_overrun)
            events |= CommEvent::Err;
        if (counts.rng != FCounts.rng)
            events |= CommEvent::Ring;
        FCounts = counts;
    }
    return events & mask;
}

// The driver tells nothing about modem lines, line errors or an emptied output queue through
// poll, so while those are watched the wait looks again now and then.
int TPosixSerialDevice::PollTimeout() {
    const std::uint32_t mask = FMask;
    if ((mask & CommEvent::TxEmpty) && FTxPending)
        return 20;
    // Bytes reported but not yet read keep the input readable, so only a look now and then
    // sees more arrive.
    if (mask & CommEvent::RxChar) {
        std::lock_guard lock(FRxLock);
        if (!FRxArmed)
            return 10;
    }
    if (((mask & ModemEvents) && FModemKnown) || ((mask & CountedEvents) && FCountsKnown))
        return 100;
    return -1;
}

TWaitStart TPosixSerialDevice::StartWaitEvent(std::uint32_t& mask) {
    if (!IsOpen())
        return TWaitStart::Failed;
    FWaitGeneration = FMaskGeneration;
    mask = FGone ? 0 : CollectEvents();
    return mask ? TWaitStart::Done : TWaitStart::Pending;
}

bool TPosixSerialDevice::FinishWaitEvent(std::uint32_t& mask) {
    for (;;) {
        if (FMaskGeneration != FWaitGeneration) {
            mask = 0;
            return true;
        }
        pollfd fds[2] = {{FEventWake, POLLIN, 0}, {FFd, 0, 0}};
        if (FGone) {
            // A lost device is not looked at again; only a mask change ends the wait.
            ::poll(fds, 1, -1);
            Drain(FEventWake);
            continue;
        }
        mask = CollectEvents();
        if (mask)
            return true;
        const int timeout = PollTimeout();
        if (FMask & CommEvent::RxChar) {
            std::lock_guard lock(FRxLock);
            if (FRxArmed)
                fds[1].events = POLLIN;
        }
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
            return false;
        if (fds[0].revents)
            Drain(FEventWake);
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            Fail(EIO);
            mask = 0;
            return true;
        }
    }
}

TSerialError TPosixSerialDevice::Read(char* buffer, std::uint32_t count, std::uint32_t& done) {
    return ReadSince(InputPurges(), buffer, count, done);
}

TSerialError TPosixSerialDevice::ReadSince(std::uint32_t purges, char* buffer, std::uint32_t count,
                                           std::uint32_t& done) {
    done = 0;
    if (!IsOpen())
        return TSerialError::Io;
    if (FGone)
        return TSerialError::Gone;
    ssize_t n;
    int code = 0;
    {
        std::lock_guard lock(FRxLock);
        if (FInputPurges != purges)
            return TSerialError::Cancelled;
        do
            n = ::read(FFd, buffer, count);
        while (n < 0 && errno == EINTR);
        code = n < 0 ? errno : 0;
        // A failed read does not re-arm: a failing device must not keep the reader busy.
        if (n >= 0 || code == EAGAIN)
            FRxArmed = true;
    }
    Kick(FEventWake);
    if (n < 0)
        return code == EAGAIN ? TSerialError::None : Fail(code);
    done = static_cast<std::uint32_t>(n);
    if (FMask & CommEvent::RxFlag) {
        char flag;
        {
            std::lock_guard lock(FSettingsLock);
            flag = FSettings.EventChar;
        }
        for (std::uint32_t i = 0; i < done; ++i)
            if (buffer[i] == flag)
                FRxFlagSeen = true;
    }
    return TSerialError::None;
}

TSerialError TPosixSerialDevice::Write(const char* buffer, std::uint32_t count, std::uint32_t& done) {
    done = 0;
    if (!IsOpen())
        return TSerialError::Io;
    while (done < count) {
        if (FGone)
            return TSerialError::Gone;
        const ssize_t n = ::write(FFd, buffer + done, count - done);
        if (n > 0) {
            done += static_cast<std::uint32_t>(n);
            FTxPending = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Fail(errno);
        // The device holds the bytes back (full queue or flow control): wait until it takes more
        // or the write is aborted.
        pollfd fds[2] = {{FWriteAbort, POLLIN, 0}, {FFd, POLLOUT, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return Fail(errno);
        if (fds[0].revents) {
            Drain(FWriteAbort);
            return TSerialError::Cancelled;
        }
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))
            return Fail(EIO);
    }
    if (FTxPending)
        Kick(FEventWake);
    return TSerialError::None;
}

} // namespace

std::string SystemDeviceName(int comNumber) {
    if (comNumber <= 32)
        return "/dev/ttyS" + std::to_string(comNumber - 1);
    if (comNumber <= 64)
        return "/dev/ttyUSB" + std::to_string(comNumber - 33);
    if (comNumber <= 96)
        return "/dev/ttyACM" + std::to_string(comNumber - 65);
    return {};
}

std::unique_ptr<TSerialDevice> MakeSerialDevice(int comNumber) {
    return std::make_unique<TPosixSerialDevice>(SerialDeviceName(comNumber));
}

bool TestOpenDevice(int comNumber) {
    const std::string name = SerialDeviceName(comNumber);
    if (name.empty())
        return false;
    const int fd = ::open(name.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

int LastSystemError() {
    return errno;
}

void ClearLastSystemError() {
    errno = 0;
}

std::string SystemErrorText(int code) {
    return std::system_category().message(code);
}
