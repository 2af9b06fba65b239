#pragma once
#include "model/ConfigurationDiff.h"
#include <string>

// What `show` and `diff` print: readable UTF-8 text, or one JSON object with stable keys.
std::string ShowText(const TConfiguration& config);
// sideFileEncoding: the name of the side file's encoding, null when there is none.
std::string ShowJson(const TConfiguration& config, const char* sideFileEncoding = nullptr);
std::string DiffText(const TConfigurationDiff& diff);
std::string DiffJson(const TConfigurationDiff& diff);
