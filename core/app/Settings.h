#pragma once
#include "project/IniFile.h"
#include <string>
#include <string_view>
#include <vector>

// What the editor keeps between runs: the last projects opened or saved and the connection
// settings, in a small key=value file in the platform's usual place for settings. Without
// a file name nothing is read or written (the command-line tool, the tests).
class TSettings {
public:
    static constexpr size_t RecentCount = 5;

    // The platform's place: $XDG_CONFIG_HOME/varokconfig/varokconfig.ini (~/.config when
    // unset) or %APPDATA%\VarokConfig\varokconfig.ini.
    static std::string DefaultFile();
    // An absolute form of a path, so a project opened from the command line is found again
    // from any working folder; the path itself when that cannot be made.
    static std::string Absolute(const std::string& path);

    // A missing or unreadable file leaves every setting at its default.
    void Load(const std::string& fileName);
    // Writes the file, creating its folder; false with a message when that fails.
    TFileResult Store();

    std::vector<std::string> Recent() const;
    // Puts a project first in the list, once, keeping the newest RecentCount.
    void AddRecent(const std::string& path);

    std::string Read(std::string_view section, std::string_view key,
                     std::string_view defaultValue = {}) const;
    void Write(std::string_view section, std::string_view key, std::string_view value);

private:
    void WriteRecent(const std::vector<std::string>& list);
    // The platform's part: makes the folder of `fileName`.
    static TFileResult MakeFolder(const std::string& fileName);

    std::string Name;
    TIniFile File;
};
