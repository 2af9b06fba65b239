#include "base/WideText.h"
#include "project/FileUtil.h"
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <memory>
#include <share.h>
#include <sys/stat.h>
#include <system_error>
#include <utility>
#include <windows.h>

namespace {
std::string Reason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length ? Utf8Text(std::wstring(text, length)) : "error " + std::to_string(code);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

class THandle {
public:
    explicit THandle(HANDLE handle) : Handle(handle) {}
    ~THandle() {
        if (Valid())
            CloseHandle(Handle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    HANDLE Get() const { return Handle; }
    bool Valid() const { return Handle != INVALID_HANDLE_VALUE; }
    bool Close() { return CloseHandle(std::exchange(Handle, INVALID_HANDLE_VALUE)) != 0; }

private:
    HANDLE Handle;
};

bool Identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics let a folder be opened too; no access is asked, only attributes.
    THandle file(CreateFileW(FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.Valid() && GetFileInformationByHandle(file.Get(), &info);
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
    // The C runtime's open, so the reasons read as on every other system.
    int fd = -1;
    if (_wsopen_s(&fd, FilePath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT, _SH_DENYNO, 0) != 0)
        return fail(std::generic_category().message(errno), errno == ENOENT);
    const std::unique_ptr<int, void (*)(int*)> closer(&fd, [](int* open) { _close(*open); });
    // A pipe or a device (CON, a COM port) is not a project; reading one may wait for ever.
    if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd))) != FILE_TYPE_DISK)
        return fail("not a regular file", false);
    struct _stat64 info {};
    if (size && _fstat64(fd, &info) == 0)
        *size = static_cast<uint64_t>(info.st_size);
    char buffer[65536];
    while (bytes.size() < limit) {
        const int got =
            _read(fd, buffer, static_cast<unsigned>(std::min(sizeof buffer, limit - bytes.size())));
        if (got < 0)
            return fail(std::generic_category().message(errno), false);
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    return TReadStatus::Read;
}

bool WriteStandardOutput(std::string_view bytes, std::string& error) {
    // Whatever went through stdio before comes first; the bytes go as they are, with no
    // line-end translation.
    if (std::fflush(stdout) != 0 || !WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes)) {
        error = "Unable to write to standard output: " + Reason(GetLastError());
        return false;
    }
    return true;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(FilePath(path).c_str(), WideText(mode).c_str());
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    if (path == "-")
        return WriteStandardOutput(bytes, error);
    const std::filesystem::path target = FilePath(path);
    {
        // A pipe or a device (NUL, CON) is written in place; renaming over it is no option.
        THandle existing(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (existing.Valid() && GetFileType(existing.Get()) != FILE_TYPE_DISK) {
            if (!WriteAll(existing.Get(), bytes) || !existing.Close()) {
                error = "Unable to write to " + path + ": " + Reason(GetLastError());
                return false;
            }
            return true;
        }
    }
    // A short temporary name ("vrk" and four digits) in the target's folder.
    std::filesystem::path folder = target.parent_path();
    if (folder.empty())
        folder = L".";
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"vrk", 0, temporary)) {
        error = "Unable to write to " + path + ": " + Reason(GetLastError());
        return false;
    }
    auto fail = [&](DWORD code) {
        DeleteFileW(temporary);
        error = "Unable to write to " + path + ": " + Reason(code);
        return false;
    };
    THandle file(
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid())
        return fail(GetLastError());
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Close())
        return fail(GetLastError());
    // A read-only old file makes the move fail, which keeps it.
    if (!MoveFileExW(temporary, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(GetLastError());
    return true;
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION x{}, y{};
    return Identity(a, x) && Identity(b, y) && x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

bool WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                         const std::string& bytes, std::string& path, std::string& error) {
    error.clear();
    // CREATE_NEW never opens an existing name; the next name is tried instead.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + "\\" + stem + "-" +
                                 std::to_string((GetTickCount() ^ GetCurrentProcessId()) + attempt) + suffix;
        THandle file(CreateFileW(FilePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            error = "Unable to create a file in " + folder + ": " + Reason(GetLastError());
            return false;
        }
        const bool written = WriteAll(file.Get(), bytes);
        const DWORD code = GetLastError();
        if (!file.Close() || !written) {
            DeleteFileW(FilePath(name).c_str());
            error = "Unable to write to " + name + ": " + Reason(written ? GetLastError() : code);
            return false;
        }
        path = name;
        return true;
    }
    error = "Unable to create a file in " + folder + ": " + Reason(ERROR_FILE_EXISTS);
    return false;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(FilePath(path).c_str()) != 0;
}
