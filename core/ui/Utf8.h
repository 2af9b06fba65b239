#pragma once
#include <string>

// The first n characters of a UTF-8 text.
inline std::string Utf8Left(const std::string& text, size_t n) {
    size_t i = 0;
    for (size_t chars = 0; i < text.size() && chars < n; ++chars) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return text.substr(0, i);
}

// The number of characters of a UTF-8 text.
inline size_t Utf8Length(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}
