#include "app/ReadableCopy.h"
#include "base/Cp1251.h"
#include "project/FileUtil.h"

std::string TReadableCopy::Text(const std::string& cp1251, bool byteOrderMark) {
    return (byteOrderMark ? "\xEF\xBB\xBF" : "") + Cp1251ToUtf8(cp1251);
}

TFileResult TReadableCopy::Write(const std::string& path, const std::string& folder, bool byteOrderMark,
                                 std::string& copy) {
    std::string bytes;
    if (TFileResult read = ReadWholeFile(path, bytes); !read)
        return read;
    const std::filesystem::path name = FilePath(path);
    return WriteNewPrivateFile(folder, PathText(name.stem()) + "-utf8", PathText(name.extension()),
                               Text(bytes, byteOrderMark), copy);
}
