#pragma once
#include "project/FileResult.h"
#include <string>

// The report is Windows-1251, as the controller's tools expect. A text editor that guesses
// the encoding from the system's code page (any desktop but a Russian Windows) shows it as
// garbage, so the editors hand it a UTF-8 copy and leave the file itself as it was written.
class TReadableCopy {
public:
    // The report's text in UTF-8; byteOrderMark: with the mark that tells Notepad the encoding.
    static std::string Text(const std::string& cp1251, bool byteOrderMark);
    // Writes that copy of the file `path` as a new private file in `folder`, named like it with
    // "-utf8-" and random characters before its extension; `copy` receives its name.
    static TFileResult Write(const std::string& path, const std::string& folder, bool byteOrderMark,
                             std::string& copy);
};
