#include "project/FileDescriptor_posix.h"
#include "project/FileUtil.h"
#include "project/ProjectLock.h"
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {
// Whether `fd` is still the file named `name`: a holder removes the name as it lets go, so a
// lock taken on a file that lost its name guards nothing.
bool StillNamed(int fd, const std::string& name) {
    struct stat open, named;
    return fstat(fd, &open) == 0 && lstat(FilePath(name).c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}
} // namespace

TFileResult TProjectLock::Acquire(const std::string& lockFile, const std::string& project,
                                  std::chrono::milliseconds patience) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const int fd = open(FilePath(lockFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0)
            return TFileResult::WriteFailure(project, errno, std::generic_category().message(errno));
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (StillNamed(fd, lockFile)) {
                // The holder's number, for the message a waiting writer gives.
                if (ftruncate(fd, 0) == 0)
                    PosixFile::WriteAll(fd, std::to_string(getpid()) + "\n");
                Name = lockFile;
                Handle = fd;
                return {};
            }
            close(fd);
            continue;
        }
        const int code = errno;
        close(fd);
        if (code != EWOULDBLOCK && code != EINTR)
            return TFileResult::WriteFailure(project, code, std::generic_category().message(code));
        if (std::chrono::steady_clock::now() >= deadline) {
            std::string holder;
            ReadFileBytes(lockFile, holder, 32);
            while (!holder.empty() && (holder.back() == '\n' || holder.back() == '\r'))
                holder.pop_back();
            return TFileResult::WriteFailure(
                project, EWOULDBLOCK,
                "another program is saving this project" +
                    (holder.empty() ? std::string() : " (process " + holder + ")") + " and holds its lock " +
                    lockFile);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TProjectLock::Release() {
    if (Handle < 0)
        return;
    // The name goes first, while the lock still keeps others from taking it.
    unlink(FilePath(Name).c_str());
    close(static_cast<int>(Handle));
    Handle = -1;
    Name.clear();
}
