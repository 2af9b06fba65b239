#include "link/ProgramDir.h"
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <windows.h>

std::string ProgramDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH)
        return ".\\";
    return std::filesystem::path(std::string(path, length)).parent_path().string() + "\\";
}

std::string UserDataDirectory() {
    std::filesystem::path dir;
    if (const char* appData = std::getenv("APPDATA"); appData && *appData)
        dir = appData;
    else
        dir = std::filesystem::temp_directory_path();
    dir /= "VarokConfig";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.string() + "\\";
}

void LocalTime(std::time_t time, std::tm& local) {
    localtime_s(&local, &time);
}
