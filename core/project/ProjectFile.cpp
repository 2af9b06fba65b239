#include "project/ProjectFile.h"
#include "model/ConfigImage.h"
#include "project/FileUtil.h"

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
    std::string note;
    return LoadLengths(sideFile, note);
}

std::vector<std::string> LoadLengths(const std::string& sideFile, std::string& note) {
    TIniFile ini;
    if (!ini.Load(sideFile, note))
        note += "; the message lengths are taken as 0";
    std::vector<std::string> lengths;
    for (int k = 1; k <= Messages; ++k)
        lengths.push_back(ini.ReadString(Section, std::to_string(k), "0"));
    return lengths;
}

std::optional<std::vector<std::string>> LoadLengthsIfAny(const std::string& sideFile, std::string& note) {
    note.clear();
    std::string bytes;
    switch (ReadWholeFile(sideFile, bytes, note)) {
    case TReadStatus::Missing:
        return std::nullopt;
    case TReadStatus::Read:
        break;
    default:
        note += "; the message lengths are left out";
        return std::nullopt;
    }
    TIniFile ini;
    ini.SetBytes(bytes);
    std::vector<std::string> lengths;
    for (int k = 1; k <= Messages; ++k)
        lengths.push_back(ini.ReadString(Section, std::to_string(k), "0"));
    return lengths;
}

std::string SizeNote(const std::string& fileName, uint64_t size) {
    if (size == Layout::ImageSize)
        return "";
    return "Файл проекта " + fileName + " имеет размер " + std::to_string(size) + " байт вместо " +
           std::to_string(Layout::ImageSize) +
           (size < Layout::ImageSize
                ? ": недостающие байты конфигурации заполнены нулями"
                : ": использованы первые " + std::to_string(Layout::ImageSize) + " байт");
}

bool PrepareLengths(TIniFile& ini, const std::string& sideFile, const std::vector<std::string>& lengths,
                    std::string& error) {
    if (!ini.Load(sideFile, error))
        return false;
    for (int k = 1; k <= Messages; ++k)
        if (!ini.WriteString(Section, std::to_string(k), lengths.at(static_cast<size_t>(k - 1)))) {
            error = "The length of message " + std::to_string(k) + " holds a line break";
            return false;
        }
    return true;
}

bool WriteProject(const std::string& fileName, const std::string& image, const TIniFile& side,
                  std::string& error) {
    std::string ignored;
    const bool existed = ReadFileBytes(fileName, ignored, error, 0) != TReadStatus::Missing;
    if (!WriteFileAtomically(fileName, image, error)) {
        error = "Cannot create file " + fileName + "\n" + error;
        return false;
    }
    if (side.UpdateFile(error))
        return true;
    if (!existed)
        RemoveFile(fileName);
    error = "Unable to write to " + side.FileName() + "\n" + error;
    return false;
}
} // namespace ProjectFile
