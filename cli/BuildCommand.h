#pragma once
#include "model/Configuration.h"
#include <nlohmann/json_fwd.hpp>
#include <string>

// build: a project (image and side file) made from the JSON that `show --json` prints.

// The configuration a JSON document describes. Keys that are left out take the values of an
// empty project; times, totals, "inUse" and warnings are derived and not read. On a value out
// of range, of the wrong type, or a key that is not known, returns false with the key's path
// ("inputs[2].stages[1].pause: …") in error.
bool ConfigurationFromJson(const nlohmann::ordered_json& document, TConfiguration& config,
                           std::string& error);

// The command: `build CONFIG.json -o PROJECT.usr` ("-": the JSON from standard input). Returns
// the exit status; on a usage error ExitUsage with the text in usageError.
int BuildCommand(const std::string& source, const std::string& output, std::string& usageError);
