#include "project/ProjectFile.h"
#include "model/ConfigImage.h"
#include "project/FileUtil.h"
#include "project/StagedFile.h"

namespace ProjectFile {

std::string WithoutExtension(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (separator != std::string::npos && dot < separator))
        return path;
    return path.substr(0, dot);
}

std::string ProjectName(const std::string& chosen) {
    std::string ending = chosen.size() >= 4 ? chosen.substr(chosen.size() - 4) : "";
    for (char& c : ending)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ending == "." + DefaultExt ? chosen : chosen + "." + DefaultExt;
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

std::optional<std::vector<std::string>> LoadLengthsIfAny(const std::string& sideFile, std::string& note,
                                                         TIniFile::TEncoding* encoding) {
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
    if (encoding)
        *encoding = ini.Encoding();
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
                    std::string& error, std::optional<TIniFile::TEncoding> encoding) {
    if (!ini.Load(sideFile, error))
        return false;
    if (encoding)
        ini.SetEncoding(*encoding);
    for (int k = 1; k <= Messages; ++k)
        if (!ini.WriteString(Section, std::to_string(k), lengths.at(static_cast<size_t>(k - 1)))) {
            error = "The length of message " + std::to_string(k) + " holds a line break";
            return false;
        }
    return true;
}

bool WriteProject(const std::string& fileName, const std::string& image, const TIniFile& side,
                  std::string& error, const TWriteSteps& steps) {
    TStagedFile imageOut(fileName), sideOut(side.FileName());
    // Written through a link, a side file that is the image would put its text into the image.
    if (imageOut.Target() == sideOut.Target() || SameFile(imageOut.Target(), sideOut.Target())) {
        error = "Unable to write to " + side.FileName() + ": it is the project file " + fileName;
        return false;
    }
    if (!side.Replaceable(error))
        return false;
    const std::string sideBytes = side.Bytes();
    // Open and show refuse a larger side file; one written now would lose every length.
    if (sideBytes.size() > MaxWholeFile) {
        error = "Unable to write to " + side.FileName() + ": larger than " +
                std::to_string(MaxWholeFile >> 20) + " MiB";
        return false;
    }
    const auto prepare = [&steps](TStagedFile& file, const std::string& bytes, std::string& why) {
        return steps.Prepare ? steps.Prepare(file, bytes, why) : file.Prepare(bytes, why);
    };
    if (!prepare(imageOut, image, error) || !prepare(sideOut, sideBytes, error) || !sideOut.KeepOld(error))
        return false;
    // The image's rename completes the save: until then the old image stands, and the side
    // file, already renamed, is brought back if anything stops the save.
    if (!sideOut.Rename(error))
        return false;
    if (steps.BetweenRenames)
        steps.BetweenRenames();
    if (!imageOut.Rename(error, &sideOut)) {
        sideOut.Restore();
        return false;
    }
    imageOut.Sync();
    sideOut.Sync();
    return true;
}
} // namespace ProjectFile
