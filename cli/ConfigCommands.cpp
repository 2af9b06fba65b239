#include "ConfigCommands.h"
#include "ConfigText.h"
#include "ExitStatus.h"
#include "LinkSession.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <optional>

namespace {
// A project as the editor opens it: the image (a shorter file zero-filled) and, when the
// side file exists, its lengths. Unlike the editor's Open, a missing project is an error.
struct TProjectInput {
    ConfigImage Image;
    std::optional<std::vector<std::string>> Lengths;
    const std::vector<std::string>* LengthsOrNull() const { return Lengths ? &*Lengths : nullptr; }
};

bool LoadProject(const std::string& path, TProjectInput& project) {
    std::string bytes, error;
    const TReadStatus status = ReadFileBytes(path, bytes, error, Layout::ImageSize);
    if (status != TReadStatus::Read) {
        std::cerr << (status == TReadStatus::Missing ? "Не найден файл " + path : error) << std::endl;
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), project.Image.Data());
    const std::string sideFile = ProjectFile::SideFileName(path);
    std::error_code ignored;
    if (std::filesystem::exists(sideFile, ignored))
        project.Lengths = ProjectFile::LoadLengths(sideFile);
    return true;
}

// The non-option arguments and whether --json was given; false on an unknown option.
bool SplitArguments(const std::vector<std::string>& args, std::vector<std::string>& files, bool& json,
                    std::string& error) {
    for (const std::string& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option: " + arg;
            return false;
        } else {
            files.push_back(arg);
        }
    }
    return true;
}

int PrintDiff(const TConfigurationDiff& diff, bool json) {
    std::cout << (json ? DiffJson(diff) : DiffText(diff)) << std::flush;
    return diff.Equal() ? ExitDone : ExitCompare;
}
} // namespace

int ShowCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool json = false;
    std::string error;
    if (!SplitArguments(args, files, json, error) || files.size() != 1) {
        std::cerr << "varokconfig-cli: " << (error.empty() ? "show needs one project file" : error)
                  << std::endl;
        return ExitUsage;
    }
    TProjectInput project;
    if (!LoadProject(files[0], project))
        return ExitFile;
    const TConfiguration config = DecodeConfiguration(project.Image, project.LengthsOrNull());
    std::cout << (json ? ShowJson(config) : ShowText(config)) << std::flush;
    return ExitDone;
}

int DiffCommand(const std::vector<std::string>& args) {
    std::vector<std::string> files;
    bool json = false;
    std::string error;
    if (!SplitArguments(args, files, json, error) || files.size() != 2) {
        std::cerr << "varokconfig-cli: " << (error.empty() ? "diff needs two project files" : error)
                  << std::endl;
        return ExitUsage;
    }
    TProjectInput a, b;
    if (!LoadProject(files[0], a) || !LoadProject(files[1], b))
        return ExitFile;
    return PrintDiff(DiffConfigurations(a.Image, a.LengthsOrNull(), b.Image, b.LengthsOrNull()), json);
}

int VerifyCommand(const TLinkOptions& options) {
    TProjectInput project;
    if (!LoadProject(options.Project, project))
        return ExitFile;
    TLinkSession session(options, std::cout, std::cerr);
    std::string bytes;
    if (const int status = session.ReadImage(bytes); status != ExitDone)
        return status;
    ConfigImage controller;
    std::copy(bytes.begin(), bytes.end(), controller.Data());
    // The controller holds no lengths, so they take no part.
    return PrintDiff(DiffConfigurations(project.Image, nullptr, controller, nullptr), false);
}
