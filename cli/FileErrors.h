#pragma once
#include "project/FileResult.h"
#include <string>

// The command line's sentence for a file that failed: an input that is not there by the
// editor's words, anything else by the file layer's.
inline std::string FileError(const TFileResult& result) {
    return result.Missing() && !result.Writing ? "Не найден файл " + result.Path : result.Message();
}
