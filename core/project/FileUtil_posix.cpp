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

int DescriptorNamed(const std::string& path) {
    const std::string own = "/proc/" + std::to_string(getpid()) + "/fd";
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        const size_t slash = current.rfind('/');
        const std::string folder = slash == std::string::npos ? "."
                                   : slash == 0               ? "/"
                                                              : current.substr(0, slash);
        const std::string number = current.substr(slash == std::string::npos ? 0 : slash + 1);
        char resolved[PATH_MAX];
        if (!number.empty() && number.size() < 10 &&
            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            realpath(folder.c_str(), resolved) && own == resolved) {
            const int fd = std::atoi(number.c_str());
            return fcntl(fd, F_GETFD) != -1 ? fd : -1;
        }
        char target[PATH_MAX];
        const ssize_t length = readlink(current.c_str(), target, sizeof target - 1);
        if (length < 0)
            return -1;
        const std::string next(target, static_cast<size_t>(length));
        current = next.starts_with('/') ? next : folder + "/" + next;
    }
    return -1;
}

bool MoveOver(const std::string& from, const std::string& to) {
    return rename(FilePath(from).c_str(), FilePath(to).c_str()) == 0;
}

TFileResult WriteNewFileDurably(const std::string& path, const std::string& bytes) {
    const int fd = open(FilePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return TFileResult::WriteFailure(path, errno, Reason(errno));
    PosixFile::TFd file(fd);
    if (!PosixFile::WriteAll(file.Get(), bytes) || fsync(file.Get()) != 0 || !file.Close()) {
        const int code = errno;
        unlink(FilePath(path).c_str());
        return TFileResult::WriteFailure(path, code, Reason(code));
    }
    SyncFolder(path);
    return {};
}

void SyncFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    PosixFile::TFd fd(open(FilePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0)
        fsync(fd.Get());
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
