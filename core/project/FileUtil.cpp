#include "project/FileUtil.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

TReadStatus ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, size_t limit,
                          std::string* reason) {
    bytes.clear();
    error.clear();
    auto fail = [&](int code) {
        bytes.clear();
        const std::string why = std::generic_category().message(code);
        if (reason)
            *reason = why;
        if (code == ENOENT)
            return TReadStatus::Missing;
        error = "Unable to read " + path + ": " + why;
        return TReadStatus::Failed;
    };
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file)
        return fail(errno);
    char buffer[65536];
    while (bytes.size() < limit) {
        const size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        const size_t got = std::fread(buffer, 1, wanted, file.get());
        bytes.append(buffer, got);
        if (got < wanted)
            break;
    }
    if (std::ferror(file.get()))
        return fail(errno == ENOENT ? EIO : errno);
    return TReadStatus::Read;
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
