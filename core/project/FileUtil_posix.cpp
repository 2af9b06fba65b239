#include "project/FileDescriptor_posix.h"
#include "project/FileUtil.h"
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {
std::string Reason(int code) {
    return std::generic_category().message(code);
}

// Why a file that exists is not one we read: the system's word for a folder, our own for the rest.
std::string NotRegular(mode_t mode) {
    if (S_ISDIR(mode))
        return Reason(EISDIR);
    if (S_ISFIFO(mode))
        return "not a regular file but a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "not a regular file but a device";
    return "not a regular file";
}

} // namespace

TReadStatus ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, size_t limit,
                          std::string* reason, uint64_t* size) {
    bytes.clear();
    error.clear();
    if (size)
        *size = 0;
    auto fail = [&](const std::string& why, bool missing) {
        bytes.clear();
        if (reason)
            *reason = why;
        if (missing)
            return TReadStatus::Missing;
        error = "Unable to read " + path + ": " + why;
        return TReadStatus::Failed;
    };
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
    PosixFile::TFd fd(open(FilePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0)
        return fail(Reason(errno), errno == ENOENT);
    struct stat info;
    if (fstat(fd.Get(), &info) != 0)
        return fail(Reason(errno), false);
    if (!S_ISREG(info.st_mode))
        return fail(NotRegular(info.st_mode), false);
    if (size)
        *size = static_cast<uint64_t>(info.st_size);
    char buffer[65536];
    while (bytes.size() < limit) {
        const ssize_t got = read(fd.Get(), buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(Reason(errno), false);
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return TReadStatus::Read;
}

bool WriteStandardOutput(std::string_view bytes, std::string& error) {
    // Whatever went through stdio before comes first.
    if (std::fflush(stdout) != 0 || !PosixFile::WriteAll(STDOUT_FILENO, bytes)) {
        error = "Unable to write to standard output: " + Reason(errno);
        return false;
    }
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat x, y;
    return stat(FilePath(a).c_str(), &x) == 0 && stat(FilePath(b).c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

bool WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                         const std::string& bytes, std::string& path, std::string& error) {
    error.clear();
    std::string name = folder + "/" + stem + "-XXXXXX" + suffix;
    // mkstemps creates the file exclusively with the mode 0600: a name that exists, a
    // planted link included, is never opened; another random name is tried instead.
    const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0) {
        error = "Unable to create a file in " + folder + ": " + Reason(errno);
        return false;
    }
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    const bool written = PosixFile::WriteAll(fd, bytes);
    const int code = errno;
    if (close(fd) != 0 || !written) {
        unlink(name.c_str());
        error = "Unable to write to " + name + ": " + Reason(written ? errno : code);
        return false;
    }
    path = name;
    return true;
}

bool RemoveFile(const std::string& path) {
    return unlink(FilePath(path).c_str()) == 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(FilePath(path).c_str(), mode);
}
