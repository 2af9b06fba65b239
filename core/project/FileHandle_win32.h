#pragma once
#include "base/WideText.h"
#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <windows.h>

// What the Windows file code shares: the system's reason for an error code, a handle closed on
// every path, and a write that takes every byte or fails.
namespace WindowsFile {
inline std::string Reason(DWORD code) {
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

inline bool WriteAll(HANDLE file, std::string_view bytes) {
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

// Replaces `to` with `from`. A file that another program is reading that moment cannot be
// replaced, so a refusal is tried again for a while: readers hold our files for an instant.
inline bool MoveReplacing(const wchar_t* from, const wchar_t* to) {
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD code = GetLastError();
        if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || attempt == 200)
            return false;
        Sleep(10);
        SetLastError(code);
    }
}

} // namespace WindowsFile
