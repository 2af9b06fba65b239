#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

enum class TReadStatus { Read, Missing, Failed };

// Reads at most `limit` bytes from the start of a file. A file that does not exist
// is Missing (bytes empty, no error); any other failure is Failed with a message.
TReadStatus ReadFileBytes(const std::string& path, std::string& bytes, std::string& error,
                          size_t limit = static_cast<size_t>(-1));

// Replaces `path` with `bytes` so that the old file survives any failure: the bytes go to
// a temporary file in the same folder, are flushed to the disk, and only then renamed
// over the old file. On failure returns false, leaves the old file as it was, removes the
// temporary file and puts a message naming `path` into `error`.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string& error);

// std::fopen for a UTF-8 name, on every system.
std::FILE* OpenFile(const std::string& path, const char* mode);
