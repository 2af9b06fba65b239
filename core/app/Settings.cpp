#include "app/Settings.h"
#include <algorithm>

namespace {
const std::string RecentSection = "Recent";
} // namespace

void TSettings::Load(const std::string& fileName) {
    Name = fileName;
    File = TIniFile();
    if (Name.empty())
        return;
    // Settings that cannot be read are no reason to stop the editor: it starts with the
    // defaults, and Store reports that the file cannot be replaced.
    File.Load(Name);
    // A new file is UTF-8, so any project path fits in it.
    if (File.Bytes().empty())
        File.SetBytes("\xEF\xBB\xBF");
}

TFileResult TSettings::Store() {
    if (Name.empty())
        return {};
    if (TFileResult folder = MakeFolder(Name); !folder)
        return folder;
    return File.UpdateFile();
}

std::vector<std::string> TSettings::Recent() const {
    std::vector<std::string> list;
    for (size_t i = 1; i <= RecentCount; ++i) {
        std::string path = File.ReadString(RecentSection, std::to_string(i), "");
        if (!path.empty() && std::find(list.begin(), list.end(), path) == list.end())
            list.push_back(std::move(path));
    }
    return list;
}

void TSettings::WriteRecent(const std::vector<std::string>& list) {
    for (size_t i = 0; i < RecentCount; ++i)
        File.WriteString(RecentSection, std::to_string(i + 1), i < list.size() ? list[i] : "");
}

void TSettings::AddRecent(const std::string& path) {
    std::vector<std::string> list = Recent();
    std::erase(list, path);
    list.insert(list.begin(), path);
    if (list.size() > RecentCount)
        list.resize(RecentCount);
    WriteRecent(list);
}

std::string TSettings::Read(std::string_view section, std::string_view key,
                            std::string_view defaultValue) const {
    return File.ReadString(section, key, defaultValue);
}

void TSettings::Write(std::string_view section, std::string_view key, std::string_view value) {
    File.WriteString(section, key, value);
}
