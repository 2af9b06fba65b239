#include "support/SystemFiles.h"
#include <cerrno>

const char* const EndlessFile = "/dev/zero";
const int FolderReadError = EISDIR;
