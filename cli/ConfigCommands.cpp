#include "ConfigCommands.h"
#include "ConfigText.h"
#include "EscapingBuffer.h"
#include "ExitStatus.h"
#include "FileErrors.h"
#include "LinkSession.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include <algorithm>
#include <iostream>
#include <optional>

namespace {
// A project as the editor opens it: the image (a shorter file zero-filled) and, when the
// side file exists, its lengths. Unlike the editor's Open, a missing project is an error.
struct TProjectInput {
    ConfigImage Image;
    std::optional<std::vector<std::string>> Lengths;
    TIniFile::TEncoding SideFileEncoding = TIniFile::TEncoding::Cp1251;
    const std::vector<std::string>* LengthsOrNull() const { return Lengths ? &*Lengths : nullptr; }
};

bool LoadProject(const std::string& path, TProjectInput& project) {
    ProjectFile::TProject loaded;
    if (const TFileResult opened = ProjectFile::Load(path, loaded); !opened) {
        std::cerr << FileError(opened) << std::endl;
        return false;
    }
    if (const std::string note = ProjectFile::SizeNote(path, loaded.Size); !note.empty())
        std::cerr << note << std::endl;
    std::copy(loaded.Image.begin(), loaded.Image.end(), project.Image.Data());
    // A side file that cannot be used gives no lengths rather than 72 invented zeros.
    if (loaded.Side.State == ProjectFile::TSide::TState::Unusable)
        std::cerr << loaded.Side.Problem.Message() << "; the message lengths are left out" << std::endl;
    if (loaded.Side.State == ProjectFile::TSide::TState::Read)
        project.Lengths = loaded.Side.Lengths;
    project.SideFileEncoding = loaded.Side.Encoding;
    return true;
}

// Standard output is checked like any file: a full disk or a closed pipe is a failure.
int Print(const std::string& text, int status) {
    if (const TFileResult written = WriteStandardOutput(text); !written) {
        std::cerr << written.Message() << std::endl;
        return ExitFile;
    }
    return status;
}

int PrintDiff(const TConfigurationDiff& diff, bool json) {
    // Lengths and identity texts come from files: on a terminal they show escaped, as in show.
    return Print(json ? DiffJson(diff) : EscapeControls(DiffText(diff)),
                 diff.Equal() ? ExitDone : ExitCompare);
}
} // namespace

int ShowCommand(const TConfigOptions& options) {
    TProjectInput project;
    if (!LoadProject(options.Files[0], project))
        return ExitFile;
    const TConfiguration config = DecodeConfiguration(project.Image, project.LengthsOrNull());
    const char* encoding = project.Lengths ? TIniFile::EncodingName(project.SideFileEncoding) : nullptr;
    return Print(options.Json ? ShowJson(config, encoding, project.LengthsOrNull())
                              : EscapeControls(ShowText(config)),
                 ExitDone);
}

int CheckCommand(const TConfigOptions& options) {
    TProjectInput project;
    if (!LoadProject(options.Files[0], project))
        return ExitFile;
    const std::vector<TFinding> findings =
        CheckFindings(DecodeConfiguration(project.Image, project.LengthsOrNull()));
    const int status = findings.empty()             ? ExitDone
                       : findings.front().IsError() ? ExitCheckErrors
                                                    : ExitCheckNotes;
    return Print(options.Json ? CheckJson(findings) : EscapeControls(CheckText(findings)), status);
}

int DiffCommand(const TConfigOptions& options) {
    TProjectInput a, b;
    if (!LoadProject(options.Files[0], a) || !LoadProject(options.Files[1], b))
        return ExitFile;
    return PrintDiff(DiffConfigurations(a.Image, a.LengthsOrNull(), b.Image, b.LengthsOrNull()),
                     options.Json);
}

int VerifyCommand(const TLinkOptions& options) {
    TProjectInput project;
    if (!LoadProject(options.Project, project))
        return ExitFile;
    TLinkSession session(options, std::cerr);
    std::string bytes;
    if (const int status = session.ReadImage(bytes); status != ExitDone)
        return status;
    ConfigImage controller;
    std::copy(bytes.begin(), bytes.end(), controller.Data());
    // The controller holds no lengths, so they take no part.
    return PrintDiff(DiffConfigurations(project.Image, nullptr, controller, nullptr), false);
}

std::string OutputIsAnInput(const std::string& output, const std::vector<std::string>& projects) {
    if (output == "-")
        return "";
    for (const std::string& project : projects)
        for (const std::string& input : {project, ProjectFile::SideFileName(project)})
            if (SameFile(output, input))
                return "the output " + output + " is the input " + input;
    return "";
}
