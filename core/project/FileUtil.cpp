#include "project/FileUtil.h"
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

TReadStatus ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, size_t limit) {
    bytes.clear();
    error.clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenFile(path, "rb"), &std::fclose);
    if (!file) {
        const int code = errno;
        if (code == ENOENT)
            return TReadStatus::Missing;
        error = "Unable to read " + path + ": " + std::generic_category().message(code);
        return TReadStatus::Failed;
    }
    char buffer[65536];
    while (bytes.size() < limit) {
        const size_t wanted = std::min(sizeof buffer, limit - bytes.size());
        const size_t got = std::fread(buffer, 1, wanted, file.get());
        bytes.append(buffer, got);
        if (got < wanted)
            break;
    }
    if (std::ferror(file.get())) {
        const int code = errno;
        bytes.clear();
        error = "Unable to read " + path + ": " + std::generic_category().message(code);
        return TReadStatus::Failed;
    }
    return TReadStatus::Read;
}
