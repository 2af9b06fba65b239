#pragma once
// What the file tests expect of the system itself, which differs between POSIX and Windows.

// A file that never ends, or "" where the system has none.
extern const char* const EndlessFile;
