#pragma once
#include "LinkOptions.h"
#include <string>
#include <vector>

// show, check, diff and verify: a configuration by meaning, what is wrong in it, and the
// differences between two.
// Each returns the exit status; text goes to standard output, messages to standard error.
struct TConfigOptions {
    std::vector<std::string> Files;
    bool Json = false;
};

int ShowCommand(const TConfigOptions& options);
// Exits ExitDone without findings, ExitCheckNotes with notes only, ExitCheckErrors with an error.
int CheckCommand(const TConfigOptions& options);
int DiffCommand(const TConfigOptions& options);
int VerifyCommand(const TLinkOptions& options);

// Why `output` must not be written: it is one of the projects or one of their side files, by
// file identity, however it is spelt ("-", standard output, never is). Empty when it may be.
std::string OutputIsAnInput(const std::string& output, const std::vector<std::string>& projects);
