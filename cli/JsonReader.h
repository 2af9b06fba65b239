#pragma once
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

// One JSON value, read whole into memory; object members keep their order.
using TJson = nlohmann::ordered_json;

// Reads one JSON document (RFC 8259: UTF-8, nothing but blanks around the value, no key twice
// in an object, at most 64 levels deep). False with "line L, column C: what" in error.
bool ParseJson(std::string_view text, TJson& value, std::string& error);
