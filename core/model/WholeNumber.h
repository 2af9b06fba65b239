#pragma once
#include <cstdint>
#include <string>

// Reads a text as a whole number the way users type them: an optional sign followed by
// decimal digits, nothing else. Typed values are 32-bit; computed times may need 64 bits.
bool ParseWholeNumber(const std::string& text, int64_t& value, bool wide = false);

inline int64_t WholeNumberOr(const std::string& text, int64_t fallback) {
    int64_t value = 0;
    return ParseWholeNumber(text, value) ? value : fallback;
}
