#pragma once
#include <string>

// How a file operation ended: done, or what stood in its way, captured where it happened:
// the file as the user named it, the system's code and its words.
struct TFileResult {
    enum class TKind { Done, Missing, NotRegular, TooLarge, Unreadable, Unwritable };
    TKind Kind = TKind::Done;
    bool Writing = false; // the operation wrote (or was to write) the file
    std::string Path;     // as the user named it; "-" for standard input or output
    int Code = 0;         // errno, or GetLastError() on Windows; 0 where the reason is our own
    std::string Reason;   // the system's words for Code, or ours ("larger than 1 MiB")

    explicit operator bool() const { return Kind == TKind::Done; }
    bool Missing() const { return Kind == TKind::Missing; }

    static TFileResult ReadFailure(TKind kind, std::string path, int code, std::string reason);
    static TFileResult WriteFailure(std::string path, int code, std::string reason);

    // The command line's sentence: "Unable to read P: reason", "Unable to write to P: reason".
    std::string Message() const;
    // The editor's box: its own headline naming the file, then the reason on the next line.
    std::string Explained(const std::string& headline) const;
};
