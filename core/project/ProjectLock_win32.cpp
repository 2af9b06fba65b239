#include "project/FileHandle_win32.h"
#include "project/FileUtil.h"
#include "project/ProjectLock.h"
#include <thread>

// The lock is the lock file opened for no one else: a second opener is refused with a sharing
// violation. The system deletes the file when its handle closes, at a kill too.
TFileResult TProjectLock::Acquire(const std::string& lockFile, const std::string& project,
                                  std::chrono::milliseconds patience) {
    Release();
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        const HANDLE handle =
            CreateFileW(FilePath(lockFile).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            Name = lockFile;
            Handle = reinterpret_cast<std::intptr_t>(handle);
            return {};
        }
        const DWORD code = GetLastError();
        // A file being deleted by its last holder refuses openers for a moment too.
        if (code != ERROR_SHARING_VIOLATION && code != ERROR_ACCESS_DENIED)
            return TFileResult::WriteFailure(project, static_cast<int>(code), WindowsFile::Reason(code));
        if (std::chrono::steady_clock::now() >= deadline)
            return TFileResult::WriteFailure(
                project, static_cast<int>(code),
                code == ERROR_SHARING_VIOLATION
                    ? "another program is saving this project and holds its lock " + lockFile
                    : WindowsFile::Reason(code));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void TProjectLock::Release() {
    if (Handle == -1)
        return;
    CloseHandle(reinterpret_cast<HANDLE>(Handle));
    Handle = -1;
    Name.clear();
}
