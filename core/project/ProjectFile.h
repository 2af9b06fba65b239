#pragma once
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
// The side file of a project file: its extension replaced by ".ini", or ".ini" added.
std::string SideFileName(const std::string& path);

// The lengths stored in a side file; a missing file, section or key gives "0".
std::vector<std::string> LoadLengths(const std::string& sideFile);
// Writes the 72 lengths into the side file, keeping everything else in it.
bool SaveLengths(const std::string& sideFile, const std::vector<std::string>& lengths, std::string& error);
} // namespace ProjectFile
