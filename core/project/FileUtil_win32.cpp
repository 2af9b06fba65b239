#include "base/WideText.h"
#include "project/FileUtil.h"
#include <algorithm>
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

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash + 1);
}

bool WriteAll(HANDLE file, const std::string& bytes) {
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
} // namespace

std::FILE* OpenFile(const std::string& path, const char* mode) {
    return _wfopen(WideText(path).c_str(), WideText(mode).c_str());
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    error.clear();
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(WideText(Folder(path)).c_str(), L"vrk", 0, temporary)) {
        error = "Unable to write to " + path + ": " + Reason(GetLastError());
        return false;
    }
    auto fail = [&](DWORD code) {
        DeleteFileW(temporary);
        error = "Unable to write to " + path + ": " + Reason(code);
        return false;
    };
    HANDLE file =
        CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(GetLastError());
    if (!WriteAll(file, bytes) || !FlushFileBuffers(file)) {
        const DWORD code = GetLastError();
        CloseHandle(file);
        return fail(code);
    }
    if (!CloseHandle(file))
        return fail(GetLastError());
    // A read-only old file makes the move fail, which keeps it.
    if (!MoveFileExW(temporary, WideText(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(GetLastError());
    return true;
}

bool WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                         const std::string& bytes, std::string& path, std::string& error) {
    error.clear();
    // CREATE_NEW never opens an existing name; the next name is tried instead.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = folder + "\\" + stem + "-" +
                                 std::to_string((GetTickCount() ^ GetCurrentProcessId()) + attempt) + suffix;
        HANDLE file = CreateFileW(WideText(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            error = "Unable to create a file in " + folder + ": " + Reason(GetLastError());
            return false;
        }
        const bool written = WriteAll(file, bytes);
        const DWORD code = GetLastError();
        if (!CloseHandle(file) || !written) {
            DeleteFileW(WideText(name).c_str());
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
    return DeleteFileW(WideText(path).c_str()) != 0;
}
