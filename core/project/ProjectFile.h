#pragma once
#include "project/IniFile.h"
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

// The lengths stored in a side file; a missing file, section or key gives "0".
std::vector<std::string> LoadLengths(const std::string& sideFile);
// The same; a side file that exists but cannot be used (unreadable, or larger than
// MaxWholeFile) also gives "0" everywhere, and `note` says why.
std::vector<std::string> LoadLengths(const std::string& sideFile, std::string& note);
// For show and diff: the lengths when a side file exists and can be used; nothing without one.
// A side file that exists but cannot be used also gives nothing (not 72 invented zeros), and
// `note` says why.
// `encoding`, when given, receives the side file's encoding.
std::optional<std::vector<std::string>> LoadLengthsIfAny(const std::string& sideFile, std::string& note,
                                                         TIniFile::TEncoding* encoding = nullptr);
// What the user is told when a project file of `size` bytes is opened: nothing for a whole
// image, else the size and what became of the image (zero-filled, or the first 2048 bytes).
std::string SizeNote(const std::string& fileName, uint64_t size);
// Loads the side file and puts the 72 lengths into it, in memory only, in `encoding` when one is
// given (else the file's own): false with the reason when the file cannot be read or a length
// cannot be stored in a line.
bool PrepareLengths(TIniFile& ini, const std::string& sideFile, const std::vector<std::string>& lengths,
                    std::string& error, std::optional<TIniFile::TEncoding> encoding = std::nullopt);
// The steps of a save that a test may replace, to fail one as a full disk or a signal would.
struct TWriteSteps {
    std::function<bool(TStagedFile&, const std::string& bytes, std::string& error)> Prepare;
    std::function<void()> BetweenRenames;
};
// Writes the image to `fileName` and the prepared side file beside it, whole or not at all:
// both are written and flushed before either replaces its old file, and a failure leaves both
// old files as they were. A side file that is the image under another name is refused.
// `error` holds the whole message for the user.
bool WriteProject(const std::string& fileName, const std::string& image, const TIniFile& side,
                  std::string& error, const TWriteSteps& steps = {});
} // namespace ProjectFile
