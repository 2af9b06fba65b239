#pragma once
#include "LinkOptions.h"
#include <string>
#include <vector>

// show, diff and verify: a configuration by meaning, and the differences between two.
// Each returns the exit status; text goes to standard output, messages to standard error.
int ShowCommand(const std::vector<std::string>& args);
int DiffCommand(const std::vector<std::string>& args);
int VerifyCommand(const TLinkOptions& options);
