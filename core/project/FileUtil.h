#pragma once
#include "project/FileResult.h"
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

// The most we read of a file we take whole (side files, reports): anything larger is
// not one of ours.
constexpr size_t MaxWholeFile = size_t{1} << 20;

// The one path type of every file operation: names travel as UTF-8 and become a path here,
// on every system, so that no call can take a name through the ANSI code page.
std::filesystem::path FilePath(const std::string& utf8);
// And back: a path as the UTF-8 name the program keeps.
std::string PathText(const std::filesystem::path& path);

// Reads at most `limit` bytes from the start of a regular file. The file is opened without
// waiting, so a FIFO without a writer cannot hang the caller, and anything but a regular file
// (a folder, a FIFO, a device) is refused unread. `size` receives the file's whole size.
TFileResult ReadFileBytes(const std::string& path, std::string& bytes, size_t limit,
                          uint64_t* size = nullptr);
// Reads a whole file of at most MaxWholeFile bytes; a larger one is TooLarge, with no bytes.
TFileResult ReadWholeFile(const std::string& path, std::string& bytes);

// Writes `bytes` to an output as one staged file (StagedFile.h) prepared and committed at
// once: an old regular file survives any failure, a link is written through, "-" is standard
// output, a device or FIFO is written in place. A failure leaves no temporary file behind.
TFileResult WriteFileAtomically(const std::string& path, const std::string& bytes);

// Writes all bytes to standard output; a full disk or a closed pipe is a failure.
TFileResult WriteStandardOutput(std::string_view bytes);

// The open descriptor of this process a name leads to ("/dev/stdout", "/dev/fd/N",
// "/proc/self/fd/N", links to them), or -1 when it names a file of its own.
int DescriptorNamed(const std::string& path);

// Replaces `to` with `from` in one step (an existing `to` included); false if it could not.
bool MoveOver(const std::string& from, const std::string& to);
// Creates `path`, which must not exist, with `bytes`, and makes them and the name durable on
// the disk before it returns.
TFileResult WriteNewFileDurably(const std::string& path, const std::string& bytes);
// Makes the names in the folder of `path` durable on the disk (renames, removals).
void SyncFolder(const std::string& path);

// Whether two names lead to one and the same file (device and inode; on Windows volume and
// file ID), however they are spelt. Names of which one does not exist are never the same.
bool SameFile(const std::string& a, const std::string& b);

// Creates a new file in `folder` named `stem`, a dash, a few random characters and
// `suffix`, readable by the user alone, and writes `bytes` into it. It never opens an
// existing file or follows a link, so no one else can choose what it writes over.
TFileResult WriteNewPrivateFile(const std::string& folder, const std::string& stem, const std::string& suffix,
                                const std::string& bytes, std::string& path);

// Removes a file (a link itself, not what it points to); false if it could not.
bool RemoveFile(const std::string& path);

// std::fopen for a UTF-8 name, on every system.
std::FILE* OpenFile(const std::string& path, const char* mode);
