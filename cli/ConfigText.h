#pragma once
#include "model/ConfigurationDiff.h"
#include <string>

// What `show` and `diff` print: readable UTF-8 text, or one JSON object with stable keys.
std::string ShowText(const TConfiguration& config);
std::string ShowJson(const TConfiguration& config);
std::string DiffText(const TConfigurationDiff& diff);
std::string DiffJson(const TConfigurationDiff& diff);
