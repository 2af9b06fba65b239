#include "support/SystemFiles.h"

const char* const EndlessFile = "";
