#include "base/WideText.h"
#include "project/FileHandle_win32.h"
#include "project/FileUtil.h"
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <utility>
#include <windows.h>

namespace {
bool Identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics let a folder be opened too; no access is asked, only attributes.
    WindowsFile::THandle file(CreateFileW(FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && GetFileInformationByHandle(file.Get(), &info);
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
    // Shared for deleting too, so that a save which renames over the file meanwhile is not refused;
    // then a C descriptor, so the reasons read as on every other system.
    const HANDLE handle = CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = GetLastError();
    int fd =
        handle == INVALID_HANDLE_VALUE ? -1 : _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (fd < 0 && handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
    if (fd < 0) {
        const int code = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND     ? ENOENT
                         : error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ? EACCES
                                                                                            : EIO;
        // A folder refuses to open as "access denied": it is named for what it is, as elsewhere.
        const DWORD attributes = GetFileAttributesW(FilePath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return fail(TKind::NotRegular, EISDIR, std::generic_category().message(EISDIR));
        return fail(code == ENOENT ? TKind::Missing : TKind::Unreadable, code,
                    std::generic_category().message(code));
    }
    const std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* open) { _close(*open); });
    // A pipe or a device (CON, a COM port) is not a project; reading one may wait for ever.
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) != FILE_TYPE_DISK)
        return fail(TKind::NotRegular, 0, "not a regular file");
    struct _stat64 info {};
    if (size && _fstat64(fd, &info) == 0)
        *size = static_cast<uint64_t>(info.st_size);
    char buffer[65536];
    while (bytes.size() < limit) {
        const int got =
            _read(fd, buffer, static_cast<unsigned>(std::min(sizeof buffer, limit - bytes.size())));
        if (got < 0)
            return fail(TKind::Unreadable, errno, std::generic_category().message(errno));
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return {};
}

TFileResult WriteStandardOutput(std::string_view bytes) {
    // Whatever went through stdio before comes first; the bytes go as they are, with no
    // line-end translation.
    if (std::fflush(stdout) != 0 || !WindowsFile::WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes)) {
        const DWORD code = GetLastError();
        return TFileResult::WriteFailure("-", static_cast<int>(code), WindowsFile::Reason(code));
    }
    return {};
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(FilePath(path).c_str(), WideText(mode).c_str());
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return Identity(a, x) && Identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

TFileResult WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                                const std::string& bytes, std::string& path) {
    const auto failure = [](const std::string& name, DWORD code) {
        return TFileResult::WriteFailure(name, static_cast<int>(code), WindowsFile::Reason(code));
    };
    // CREATE_NEW never opens an existing name; the next name is tried instead.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + "\\" + stem + "-" +
                                 std::to_string((GetTickCount() ^ GetCurrentProcessId()) + attempt) + suffix;
        WindowsFile::THandle file(CreateFileW(FilePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return failure(folder, GetLastError());
        }
        const bool written = WindowsFile::WriteAll(file.Get(), bytes);
        const DWORD code = GetLastError();
        if (!file.Close() || !written) {
            const DWORD why = written ? GetLastError() : code;
            DeleteFileW(FilePath(name).c_str());
            return failure(name, why);
        }
        path = name;
        return {};
    }
    return failure(folder, ERROR_FILE_EXISTS);
}

// Windows names no descriptors by path.
int DescriptorNamed(const std::string&) {
    return -1;
}

bool MoveOver(const std::string& from, const std::string& to) {
    return WindowsFile::MoveReplacing(FilePath(from).c_str(), FilePath(to).c_str());
}

TFileResult WriteNewFileDurably(const std::string& path, const std::string& bytes) {
    WindowsFile::THandle file(CreateFileW(FilePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD code = GetLastError();
        return TFileResult::WriteFailure(path, static_cast<int>(code), WindowsFile::Reason(code));
    }
    if (!WindowsFile::WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Close()) {
        const DWORD code = GetLastError();
        DeleteFileW(FilePath(path).c_str());
        return TFileResult::WriteFailure(path, static_cast<int>(code), WindowsFile::Reason(code));
    }
    return {};
}

// Moves are written through to the disk as they happen.
void SyncFolder(const std::string&) {}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(FilePath(path).c_str()) != 0;
}
