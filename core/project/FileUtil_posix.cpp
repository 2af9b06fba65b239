#include "project/FileUtil.h"
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
std::string Reason(int code) {
    return std::generic_category().message(code);
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

bool WriteAll(int fd, const std::string& bytes) {
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

// Creates a new file next to `target` that no one else uses; -1 with errno on failure.
int CreateTemporary(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target + ".tmp" + std::to_string(getpid()) + "." + std::to_string(counter++);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}
} // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    const std::string target = RealTarget(path);
    struct stat old;
    const bool exists = stat(target.c_str(), &old) == 0;
    // Renaming over a write-protected file would succeed, so protect it explicitly.
    if (exists && access(target.c_str(), W_OK) != 0) {
        error = "Unable to write to " + path + ": " + Reason(errno);
        return false;
    }
    std::string temporary;
    const int fd = CreateTemporary(target, temporary);
    if (fd < 0) {
        error = "Unable to write to " + path + ": " + Reason(errno);
        return false;
    }
    auto fail = [&](int code) {
        unlink(temporary.c_str());
        error = "Unable to write to " + path + ": " + Reason(code);
        return false;
    };
    if (exists && S_ISREG(old.st_mode))
        fchmod(fd, old.st_mode & 07777);
    if (!WriteAll(fd, bytes) || fsync(fd) != 0) {
        const int code = errno;
        close(fd);
        return fail(code);
    }
    if (close(fd) != 0)
        return fail(errno);
    if (rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);
    // Make the rename itself durable; the new file is complete either way.
    const int folder = open(Folder(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
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
    return unlink(path.c_str()) == 0;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}
