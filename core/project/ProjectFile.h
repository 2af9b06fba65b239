#pragma once
#include "project/IniFile.h"
#include "project/ProjectLock.h"
#include "project/StagedFile.h"
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The two files of a project: the raw image (.usr) and the side file (.ini) that keeps
// the 72 message lengths in its section "MessageLength".
namespace ProjectFile {
inline const std::string Section = "MessageLength";
inline const std::string Filter = "*.usr|*.usr";
inline const std::string DefaultExt = "usr";
constexpr int Messages = 72;

// The name without its extension (the last dot after the last folder separator).
std::string WithoutExtension(const std::string& path);
// The project file for a name the user chose: ".usr" added unless it ends in ".usr" (any
// case), so a name with dots ("Объект 15.03.2024") keeps every part of it.
std::string ProjectName(const std::string& chosen);
// The side file of a project file: its extension replaced by ".ini", or ".ini" added.
std::string SideFileName(const std::string& path);

// What a project's side file gave: the 72 lengths ("0" where the file, its section or a key is
// missing), its encoding, and why a side file that exists could not be used.
struct TSide {
    enum class TState { Missing, Read, Unusable };
    TState State = TState::Missing;
    std::vector<std::string> Lengths = std::vector<std::string>(Messages, "0");
    TIniFile::TEncoding Encoding = TIniFile::TEncoding::Cp1251;
    TFileResult Problem;
};
TSide LoadSide(const std::string& sideFile);

// A project as it is opened: the image as read (at most 2048 bytes), the file's whole size,
// and its side file.
struct TProject {
    std::string Image;
    uint64_t Size = 0;
    TSide Side;
};
// Opens the project file and its side file; a project file that cannot be read is the failure.
// A save of this project that was stopped half-way is finished or undone first.
TFileResult Load(const std::string& fileName, TProject& project);
// Finishes or undoes a stopped save of the project, holding its lock meanwhile.
TFileResult FinishStoppedSave(const std::string& fileName);

// What a project's two files hold now, in short: it changes whenever either file changes.
std::string DiskState(const std::string& fileName);

// What the user is told when a project file of `size` bytes is opened: nothing for a whole
// image, else the size and what became of the image (zero-filled, or the first 2048 bytes).
std::string SizeNote(const std::string& fileName, uint64_t size);
// Loads the side file and puts the 72 lengths into it, in memory only, in `encoding` when one is
// given (else the file's own): false with the reason when the file cannot be read or a length
// cannot be stored in a line.
TFileResult PrepareLengths(TIniFile& ini, const std::string& sideFile,
                           const std::vector<std::string>& lengths,
                           std::optional<TIniFile::TEncoding> encoding = std::nullopt);
// The steps of a save that a test may replace, to fail one as a full disk or a signal would, and
// the points it passes, at which a test may stop it as a kill would.
enum class TSaveStep { Locked, Prepared, Recorded, SideRenamed, ImageRenamed, Completed };
struct TWriteSteps {
    std::function<TFileResult(TStagedFile&, const std::string& bytes)> Prepare;
    std::function<void(TSaveStep)> Reached;
    std::chrono::milliseconds Patience = TProjectLock::Patience;
};
// Writes the image to `fileName` and the prepared side file beside it, whole or not at all:
// both are written and flushed before either replaces its old file, and a failure leaves both
// old files as they were; a save killed between its renames is mended by the next Load or
// WriteProject. One save at a time: a second waits for the project's lock, then fails naming
// it. A side file that is the image under another name is refused.
TFileResult WriteProject(const std::string& fileName, const std::string& image, const TIniFile& side,
                         const TWriteSteps& steps = {});
} // namespace ProjectFile
