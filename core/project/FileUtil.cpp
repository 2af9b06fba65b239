#include "project/FileUtil.h"
#include "project/StagedFile.h"

std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

TFileResult ReadWholeFile(const std::string& path, std::string& bytes) {
    const TFileResult result = ReadFileBytes(path, bytes, MaxWholeFile + 1);
    if (!result || bytes.size() <= MaxWholeFile)
        return result;
    bytes.clear();
    return TFileResult::ReadFailure(TFileResult::TKind::TooLarge, path, 0,
                                    "larger than " + std::to_string(MaxWholeFile >> 20) + " MiB");
}

TFileResult WriteFileAtomically(const std::string& path, const std::string& bytes) {
    TStagedFile output(path);
    if (TFileResult prepared = output.Prepare(bytes); !prepared)
        return prepared;
    return output.Commit();
}
