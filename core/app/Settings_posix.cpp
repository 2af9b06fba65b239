#include "app/Settings.h"
#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string TSettings::DefaultFile() {
    std::filesystem::path dir;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        dir = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        dir = std::filesystem::path(home) / ".config";
    else
        return {};
    return (dir / "varokconfig" / "varokconfig.ini").string();
}

std::string TSettings::Absolute(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

TFileResult TSettings::MakeFolder(const std::string& fileName) {
    std::error_code failure;
    const auto folder = std::filesystem::path(fileName).parent_path();
    std::filesystem::create_directories(folder, failure);
    if (failure)
        return TFileResult::WriteFailure(folder.string(), failure.value(), failure.message());
    return {};
}
