#include "app/Settings.h"
#include "base/WideText.h"
#include <cstdlib>
#include <filesystem>
#include <system_error>

// Names go in and out as UTF-8; the system's calls take them wide.
std::string TSettings::DefaultFile() {
    const wchar_t* appData = _wgetenv(L"APPDATA");
    if (!appData || !*appData)
        return {};
    return Utf8Text((std::filesystem::path(appData) / L"VarokConfig" / L"varokconfig.ini").wstring());
}

std::string TSettings::Absolute(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(std::filesystem::path(WideText(path)), error);
    return error ? path : Utf8Text(absolute.lexically_normal().wstring());
}

TFileResult TSettings::MakeFolder(const std::string& fileName) {
    std::error_code failure;
    const auto folder = std::filesystem::path(WideText(fileName)).parent_path();
    std::filesystem::create_directories(folder, failure);
    if (failure)
        return TFileResult::WriteFailure(Utf8Text(folder.wstring()), failure.value(), failure.message());
    return {};
}
