#pragma once
#include <cerrno>
#include <string_view>
#include <unistd.h>
#include <utility>

// What the POSIX file code shares: a descriptor closed on every path, and a write that
// takes every byte or fails.
namespace PosixFile {
inline bool WriteAll(int fd, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

class TFd {
public:
    explicit TFd(int fd) : Fd(fd) {}
    ~TFd() {
        if (Fd >= 0)
            close(Fd);
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return Fd; }
    // Closes now, so that a failing close can be reported.
    bool Close() { return close(std::exchange(Fd, -1)) == 0; }

private:
    int Fd;
};

} // namespace PosixFile
