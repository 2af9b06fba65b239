#include "base/WideText.h"
#include "link/ProgramDir.h"
#include <filesystem>
#include <system_error>
#include <windows.h>

// Folders go back as UTF-8, like every other name in the program.
std::string ProgramDirectory() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return ".\\";
    return Utf8Text(std::filesystem::path(std::wstring(path, length)).parent_path().wstring()) + "\\";
}

std::string UserDataDirectory() {
    std::filesystem::path dir;
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData)
        dir = appData;
    else
        dir = std::filesystem::temp_directory_path();
    dir /= L"VarokConfig";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return Utf8Text(dir.wstring()) + "\\";
}

void LocalTime(std::time_t time, std::tm& local) {
    localtime_s(&local, &time);
}
