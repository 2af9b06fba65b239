#pragma once
#include <string>

// The version of this build: the project's version, and the commit when it was built from a checkout.
std::string VersionText();
// The first line of a program's --version: "varokconfig-cli 1.0 (commit 1a2b3c4d5e6f)".
std::string VersionLine(const std::string& program);
