#include "app/StartFolder.h"
#include "project/FileUtil.h"
#include <filesystem>
#include <system_error>

std::string TStartFolder::Enter(const std::string& commandText) {
    std::error_code failed;
    // "-debug" alone is the switch; anything else is a project.
    if (commandText.empty() || commandText == "-debug") {
        if (const std::string documents = Documents(); !documents.empty())
            std::filesystem::current_path(FilePath(documents), failed);
        return commandText;
    }
    const std::filesystem::path project = std::filesystem::absolute(FilePath(commandText), failed);
    if (failed)
        return commandText;
    std::filesystem::current_path(project.parent_path(), failed);
    return PathText(project);
}
