#include "SimServer.h"
#include "LineSettings.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
constexpr auto PieceGap = std::chrono::milliseconds(5);
constexpr auto DeliveryPass = std::chrono::milliseconds(10);
constexpr auto DeliveryPoll = std::chrono::milliseconds(1);
constexpr auto DeliveryLimit = std::chrono::seconds(1);
// The least idle time that drops a half-received request, above the host's scheduling delays.
constexpr auto IdleFloor = std::chrono::milliseconds(10);
} // namespace

TSimServer::TSimServer(TSimController& controller, TSimPty& pty, const TSimOptions& options)
    : Controller(controller), Pty(pty), Options(options) {}

void TSimServer::Run(int stopFd) {
    StopFd = stopFd;
    for (;;) {
        pollfd fds[2] = {{StopFd, POLLIN, 0}, {Pty.MasterFd(), POLLIN, 0}};
        // After a hang-up only the stop signal is left to wait for.
        const nfds_t count = Pty.IsOpen() ? 2 : 1;
        if (poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            std::perror("verda-sim: poll");
            return;
        }
        if (fds[0].revents != 0)
            return;
        if (count == 2 && fds[1].revents != 0 && !Receive())
            return;
    }
}

bool TSimServer::WaitUntil(TClock::time_point deadline) {
    for (;;) {
        const auto left = deadline - TClock::now();
        if (left <= TClock::duration::zero())
            return true;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
        const timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                               static_cast<long>(ns % 1'000'000'000)};
        pollfd stop{StopFd, POLLIN, 0};
        const int ready = ppoll(&stop, 1, &timeout, nullptr);
        if (ready > 0)
            return false;
        if (ready < 0 && errno != EINTR) {
            std::perror("verda-sim: ppoll");
            return false;
        }
    }
}

std::chrono::nanoseconds TSimServer::ByteTimeNow() const {
    // Read on every use: the editor may change the line settings at any time.
    return CurrentByteTime(Pty.SlaveFd()).value_or(std::chrono::nanoseconds(0));
}

bool TSimServer::Receive() {
    uint8_t buffer[4096];
    const ssize_t n = read(Pty.MasterFd(), buffer, sizeof buffer);
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return true;
        // With our own slave descriptor open this does not happen; close rather than spin.
        std::perror("verda-sim: read");
        Pty.Hangup();
        return true;
    }
    // A status instead of data: the editor cleared its input, as it does when it opens the port
    // and before each transfer, so what it sent before is over.
    if (n == 0 || buffer[0] != TIOCPKT_DATA) {
        if (n > 0 && (buffer[0] & TIOCPKT_FLUSHREAD))
            Controller.DropPartial();
        return true;
    }
    const auto count = static_cast<size_t>(n - 1);
    const auto byteTime = ByteTimeNow();
    // The bytes arrive one after the other at line speed, from when the line was free.
    const auto arrives = Options.Pace ? std::max(RxFreeAt, TClock::now()) : TClock::now();
    if (arrives - LastByteAt >
        std::max<std::chrono::nanoseconds>(IdleFloor, byteTime * LinkProtocol::BlockPacketSize))
        Controller.DropPartial();
    LastByteAt = arrives;
    if (Options.Pace) {
        RxFreeAt = arrives + byteTime * count;
        LastByteAt = RxFreeAt;
        if (!WaitUntil(RxFreeAt))
            return false;
    }
    for (const auto& reply : Controller.Feed(buffer + 1, count)) {
        if (!Send(reply))
            return false;
        ++Sent;
        if (Options.Faults.HangupAfter && Sent >= *Options.Faults.HangupAfter) {
            if (!AwaitDelivery())
                return false;
            Pty.Hangup();
            break;
        }
    }
    return true;
}

bool TSimServer::AwaitDelivery() {
    // A hang-up throws away what the editor has not read yet, yet the last answer should
    // reach it, as it would before a real adapter is pulled. The bytes first pass the
    // kernel's buffers into the editor's queue; then we wait until the editor has taken
    // them, but not forever.
    const auto giveUp = TClock::now() + DeliveryLimit;
    if (!WaitUntil(TClock::now() + DeliveryPass))
        return false;
    int queued = 0;
    while (ioctl(Pty.SlaveFd(), FIONREAD, &queued) == 0 && queued > 0 && TClock::now() < giveUp) {
        if (!WaitUntil(TClock::now() + DeliveryPoll))
            return false;
    }
    return true;
}

bool TSimServer::Send(const TSimController::TBytes& reply) {
    TClock::time_point pieceEnd{};
    bool first = true;
    for (const auto& piece : Controller.Pieces(reply)) {
        if (!first && !WaitUntil(pieceEnd + PieceGap))
            return false;
        first = false;
        if (!SendPiece(piece.data(), piece.size()))
            return false;
        pieceEnd = Options.Pace ? TxFreeAt : TClock::now();
    }
    return true;
}

bool TSimServer::SendPiece(const uint8_t* data, size_t n) {
    const auto byteTime = Options.Pace ? ByteTimeNow() : std::chrono::nanoseconds(0);
    if (byteTime.count() == 0)
        return WriteAll(data, n);
    // Byte i is due when it has fully crossed the line: start + (i + 1) byte times. The
    // schedule is absolute, so late wake-ups send several bytes at once and the total stays exact.
    const auto start = std::max(TxFreeAt, TClock::now());
    size_t sent = 0;
    while (sent < n) {
        if (!WaitUntil(start + byteTime * (sent + 1)))
            return false;
        const auto due = std::min<size_t>(n, static_cast<size_t>((TClock::now() - start) / byteTime));
        if (!WriteAll(data + sent, due - sent))
            return false;
        sent = due;
    }
    TxFreeAt = start + byteTime * n;
    return true;
}

bool TSimServer::WriteAll(const uint8_t* data, size_t n) {
    while (n > 0) {
        const ssize_t written = write(Pty.MasterFd(), data, n);
        if (written > 0) {
            data += written;
            n -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN) {
            // The reply is lost, as on a line nobody listens to; serving goes on.
            std::perror("verda-sim: write");
            return true;
        }
        // The editor is not reading: wait for room, or for the stop signal.
        pollfd fds[2] = {{StopFd, POLLIN, 0}, {Pty.MasterFd(), POLLOUT, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        if (fds[0].revents != 0)
            return false;
    }
    return true;
}
