#include "link/ProgramDir.h"
#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string ProgramDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "./";
    return exe.parent_path().string() + "/";
}

std::string UserDataDirectory() {
    std::filesystem::path dir;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        dir = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        dir = std::filesystem::path(home) / ".local" / "share";
    else
        dir = std::filesystem::temp_directory_path();
    dir /= "varokconfig";
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir.string() + "/";
}

void LocalTime(std::time_t time, std::tm& local) {
    localtime_r(&time, &local);
}
