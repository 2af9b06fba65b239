#include "support/SystemFiles.h"
#include <cerrno>

const char* const EndlessFile = "";
// The C runtime refuses to open a folder at all.
const int FolderReadError = EACCES;
