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

TFileResult ReadFileBytes(const std::string& path, std::string& bytes, size_t limit, uint64_t* size) {
    using TKind = TFileResult::TKind;
    bytes.clear();
    if (size)
        *size = 0;
    auto fail = [&](TKind kind, int code, const std::string& why) {
        bytes.clear();
        return TFileResult::ReadFailure(kind, path, code, why);
    };
    // Without O_NONBLOCK, opening a FIFO waits for a writer, for ever.
    PosixFile::TFd fd(open(FilePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0)
        return fail(errno == ENOENT ? TKind::Missing : TKind::Unreadable, errno, Reason(errno));
    struct stat info;
    if (fstat(fd.Get(), &info) != 0)
        return fail(TKind::Unreadable, errno, Reason(errno));
    if (!S_ISREG(info.st_mode))
        return fail(TKind::NotRegular, S_ISDIR(info.st_mode) ? EISDIR : 0, NotRegular(info.st_mode));
    if (size)
        *size = static_cast<uint64_t>(info.st_size);
    char buffer[65536];
    while (bytes.size() < limit) {
        const ssize_t got = read(fd.Get(), buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(TKind::Unreadable, errno, Reason(errno));
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return {};
}

TFileResult WriteStandardOutput(std::string_view bytes) {
    // Whatever went through stdio before comes first.
    if (std::fflush(stdout) != 0 || !PosixFile::WriteAll(STDOUT_FILENO, bytes))
        return TFileResult::WriteFailure("-", errno, Reason(errno));
    return {};
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat x, y;
    return stat(FilePath(a).c_str(), &x) == 0 && stat(FilePath(b).c_str(), &y) == 0 && x.st_dev == y.st_dev &&
           x.st_ino == y.st_ino;
}

TFileResult WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                                const std::string& bytes, std::string& path) {
    std::string name = folder + "/" + stem + "-XXXXXX" + suffix;
    // mkstemps creates the file exclusively with the mode 0600: a name that exists, a
    // planted link included, is never opened; another random name is tried instead.
    const int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        return TFileResult::WriteFailure(folder, errno, Reason(errno));
    fcntl(fd, F_SETFD, FD_CLOEXEC);
    const bool written = PosixFile::WriteAll(fd, bytes);
    const int code = errno;
    if (close(fd) != 0 || !written) {
        const int failure = written ? errno : code;
        unlink(name.c_str());
        return TFileResult::WriteFailure(name, failure, Reason(failure));
    }
    path = name;
    return {};
}

bool RemoveFile(const std::string& path) {
    return unlink(FilePath(path).c_str()) == 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(FilePath(path).c_str(), mode);
}
