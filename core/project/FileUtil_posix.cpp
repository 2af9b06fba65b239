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

std::string Folder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A symbolic link is written through, so the link itself stays a link.
std::string RealTarget(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return path;
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool WriteAll(int fd, std::string_view bytes) {
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

// Creates a new file in the folder of `target` that no one else uses; -1 with errno on failure.
// The name is short (a dot and eight characters), so it fits wherever the target's name fits.
int CreateTemporary(const std::string& target, std::string& name) {
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    static std::atomic<unsigned> counter{0};
    std::minstd_rand random(static_cast<unsigned>(getpid()) * 7919u + counter++);
    const std::string folder = Folder(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string base = ".vk";
        for (int i = 0; i < 6; ++i)
            base += Letters[random() % (sizeof Letters - 1)];
        name = (folder == "/" ? "" : folder) + "/" + base;
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// A device or FIFO takes the bytes as they come; renaming over it would destroy it.
bool WriteInPlace(const std::string& target, const std::string& path, const std::string& bytes,
                  std::string& error) {
    TFd fd(open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY));
    struct stat info;
    if (fd.Get() < 0 || fstat(fd.Get(), &info) != 0 || !WriteAll(fd.Get(), bytes) ||
        // Replaced by a regular file meanwhile: it must not keep an old tail.
        (S_ISREG(info.st_mode) && ftruncate(fd.Get(), static_cast<off_t>(bytes.size())) != 0) ||
        !fd.Close()) {
        error = "Unable to write to " + path + ": " + Reason(errno);
        return false;
    }
    return true;
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
    TFd fd(open(FilePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
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
    if (std::fflush(stdout) != 0 || !WriteAll(STDOUT_FILENO, bytes)) {
        error = "Unable to write to standard output: " + Reason(errno);
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    if (path == "-")
        return WriteStandardOutput(bytes, error);
    const std::string target = RealTarget(path);
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        error = "Unable to write to " + path + ": " + Reason(EISDIR);
        return false;
    }
    if (exists && !S_ISREG(old.st_mode))
        return WriteInPlace(target, path, bytes, error);
    // Renaming over a write-protected file would succeed, so protect it explicitly.
    if (exists && access(target.c_str(), W_OK) != 0) {
        error = "Unable to write to " + path + ": " + Reason(errno);
        return false;
    }
    std::string temporary;
    TFd fd(CreateTemporary(target, temporary));
    if (fd.Get() < 0) {
        error = "Unable to write to " + path + ": " + Reason(errno);
        return false;
    }
    auto fail = [&](int code) {
        unlink(temporary.c_str());
        error = "Unable to write to " + path + ": " + Reason(code);
        return false;
    };
    if (exists)
        fchmod(fd.Get(), old.st_mode & 07777);
    if (!WriteAll(fd.Get(), bytes) || fsync(fd.Get()) != 0 || !fd.Close())
        return fail(errno);
    if (rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    // Make the rename itself durable; the new file is complete either way.
    TFd folder(open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0)
        fsync(folder.Get());
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
    const bool written = WriteAll(fd, bytes);
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
