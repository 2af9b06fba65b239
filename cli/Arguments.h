#pragma once
#include <string>
#include <vector>

// The command line's arguments after the program name, as UTF-8 text.
std::vector<std::string> CommandArguments(int argc, char** argv);
