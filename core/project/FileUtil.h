#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

enum class TReadStatus { Read, Missing, TooLarge, Failed };

// The most we read of a file we take whole (side files, reports): anything larger is
// not one of ours, and an endless one (a link to /dev/zero) must not eat the memory.
constexpr size_t MaxWholeFile = size_t{1} << 20;

// Reads at most `limit` bytes from the start of a file. A file that does not exist
// is Missing (bytes empty, no error); any other failure is Failed with a message.
// `reason`, when given, receives the system's reason alone for Missing and Failed.
TReadStatus ReadFileBytes(const std::string& path, std::string& bytes, std::string& error, size_t limit,
                          std::string* reason = nullptr);
// Reads a whole file of at most MaxWholeFile bytes; a larger one is TooLarge, with no
// bytes and a message naming it.
TReadStatus ReadWholeFile(const std::string& path, std::string& bytes, std::string& error,
                          std::string* reason = nullptr);

// Replaces `path` with `bytes` so that the old file survives any failure: the bytes go to
// a temporary file in the same folder, are flushed to the disk, and only then renamed
// over the old file. On failure returns false, leaves the old file as it was, removes the
// temporary file and puts a message naming `path` into `error`.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// Creates a new file in `folder` named `stem`, a dash, a few random characters and
// `suffix`, readable by the user alone, and writes `bytes` into it. It never opens an
// existing file or follows a link, so no one else can choose what it writes over.
bool WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                         const std::string& bytes, std::string& path, std::string& error);

// Removes a file (a link itself, not what it points to); false if it could not.
bool RemoveFile(const std::string& path);

// std::fopen for a UTF-8 name, on every system.
std::FILE* OpenFile(const std::string& path, const char* mode);
