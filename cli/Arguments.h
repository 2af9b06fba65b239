#pragma once
#include <string>
#include <vector>

// The command line's arguments after the program name, as UTF-8 text; on Windows the console
// is also switched to UTF-8 output.
std::vector<std::string> CommandArguments(int argc, char** argv);
