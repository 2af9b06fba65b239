#include "base/WideText.h"
#include "project/FileHandle_win32.h"
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
bool Identity(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics let a folder be opened too; no access is asked, only attributes.
    WindowsFile::THandle file(CreateFileW(FilePath(path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
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
    if (std::fflush(stdout) != 0 || !WindowsFile::WriteAll(GetStdHandle(STD_OUTPUT_HANDLE), bytes)) {
        error = "Unable to write to standard output: " + WindowsFile::Reason(GetLastError());
        return false;
    }
    return true;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(FilePath(path).c_str(), WideText(mode).c_str());
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
        WindowsFile::THandle file(CreateFileW(FilePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            error = "Unable to create a file in " + folder + ": " + WindowsFile::Reason(GetLastError());
            return false;
        }
        const bool written = WindowsFile::WriteAll(file.Get(), bytes);
        const DWORD code = GetLastError();
        if (!file.Close() || !written) {
            DeleteFileW(FilePath(name).c_str());
            error =
                "Unable to write to " + name + ": " + WindowsFile::Reason(written ? GetLastError() : code);
            return false;
        }
        path = name;
        return true;
    }
    error = "Unable to create a file in " + folder + ": " + WindowsFile::Reason(ERROR_FILE_EXISTS);
    return false;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(FilePath(path).c_str()) != 0;
}
