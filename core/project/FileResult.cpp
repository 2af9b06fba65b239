#include "project/FileResult.h"

TFileResult TFileResult::ReadFailure(TKind kind, std::string path, int code, std::string reason) {
    return {kind, false, std::move(path), code, std::move(reason)};
}

TFileResult TFileResult::WriteFailure(std::string path, int code, std::string reason) {
    return {TKind::Unwritable, true, std::move(path), code, std::move(reason)};
}

std::string TFileResult::Message() const {
    if (*this)
        return "";
    const std::string name = Path == "-" ? (Writing ? "standard output" : "standard input") : Path;
    return (Writing ? "Unable to write to " : "Unable to read ") + name + ": " + Reason;
}

std::string TFileResult::Explained(const std::string& headline) const {
    return Reason.empty() ? headline : headline + "\n" + Reason;
}
