#pragma once
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <unistd.h>

// Reads and writes on a descriptor (a pipe, a pseudo-terminal) that end at a deadline, so a
// test whose other side fails reports it instead of hanging.

// Milliseconds until the deadline, as poll() takes them; 0 once it has passed.
inline int MsLeft(std::chrono::steady_clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now())
            .count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Reads until `count` bytes came, the deadline passed or the other side closed; returns what came.
inline std::string ReadFor(int fd, std::size_t count, std::chrono::steady_clock::time_point deadline) {
    std::string got;
    char buffer[65536];
    while (got.size() < count) {
        pollfd ready{fd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, MsLeft(deadline));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled != 1)
            break;
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, count - got.size()));
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            break;
        got.append(buffer, static_cast<std::size_t>(n));
    }
    return got;
}

// Writes all bytes unless the deadline passes, `stop` is raised or the other side went away;
// true when all were written. The descriptor is made non-blocking: a write into a full
// device waits in poll, where the deadline and the stop flag still count.
inline bool WriteAll(int fd, const char* data, std::size_t size,
                     std::chrono::steady_clock::time_point deadline,
                     const std::atomic<bool>* stop = nullptr) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    while (size > 0) {
        if (stop && *stop)
            return false;
        const ssize_t n = ::write(fd, data, size);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN || MsLeft(deadline) == 0)
            return false;
        // Short slices, so a raised stop flag is seen soon.
        pollfd ready{fd, POLLOUT, 0};
        ::poll(&ready, 1, std::min(MsLeft(deadline), 50));
    }
    return true;
}
