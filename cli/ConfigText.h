#pragma once
#include "model/ConfigurationDiff.h"
#include <string>

// What `show`, `check` and `diff` print: readable UTF-8 text, or one JSON object with stable keys.
std::string ShowText(const TConfiguration& config);
// sideFileEncoding: the name of the side file's encoding, null when there is none. sideLengths:
// the lengths as the side file holds them; one that is no valid UTF-8 is written as
// {"bytes": "<hex>"}, which build turns back into the same bytes.
std::string ShowJson(const TConfiguration& config, const char* sideFileEncoding = nullptr,
                     const std::vector<std::string>* sideLengths = nullptr);
// The findings of the configuration check, errors before notes.
std::vector<TFinding> CheckFindings(const TConfiguration& config);
// What check prints: one finding a line ("error: IN 1 stage 2: no message"), or a JSON array.
std::string CheckText(const std::vector<TFinding>& findings);
std::string CheckJson(const std::vector<TFinding>& findings);
std::string DiffText(const TConfigurationDiff& diff);
std::string DiffJson(const TConfigurationDiff& diff);
