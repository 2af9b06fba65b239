#include "project/ProjectFile.h"
#include "project/IniFile.h"

namespace ProjectFile {

std::string WithoutExtension(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return path;
    return path.substr(0, dot);
}

std::string SideFileName(const std::string& path) {
    return WithoutExtension(path) + ".ini";
}

std::vector<std::string> LoadLengths(const std::string& sideFile) {
    TIniFile ini;
    std::string error;
    ini.Load(sideFile, error);
    std::vector<std::string> lengths;
    for (int k = 1; k <= Messages; ++k)
        lengths.push_back(ini.ReadString(Section, std::to_string(k), "0"));
    return lengths;
}

bool SaveLengths(const std::string& sideFile, const std::vector<std::string>& lengths, std::string& error) {
    TIniFile ini;
    if (!ini.Load(sideFile, error))
        return false;
    for (int k = 1; k <= Messages; ++k)
        if (!ini.WriteString(Section, std::to_string(k), lengths.at(static_cast<size_t>(k - 1)))) {
            error = "Unable to write to " + sideFile;
            return false;
        }
    return ini.UpdateFile(error);
}
} // namespace ProjectFile
