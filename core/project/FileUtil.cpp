#include "project/FileUtil.h"
#include "project/StagedFile.h"

std::filesystem::path FilePath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

TReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                          std::string* reason) {
    const TReadStatus status = ReadFileBytes(path, bytes, error, MaxWholeFile + 1, reason);
    if (status != TReadStatus::Read || bytes.size() <= MaxWholeFile)
        return status;
    bytes.clear();
    const std::string why = "larger than " + std::to_string(MaxWholeFile >> 20) + " MiB";
    if (reason)
        *reason = why;
    error = "Unable to read " + path + ": " + why;
    return TReadStatus::TooLarge;
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    TStagedFile output(path);
    return output.Prepare(bytes, error) && output.Commit(error);
}
