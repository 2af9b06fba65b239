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

// Appends one code point (up to U+10FFFF) in UTF-8.
inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The character at i, with i moved past it; a byte that starts no UTF-8 character (overlong
// forms, surrogates and code points past U+10FFFF included) is U+FFFD and moves i by one.
inline char32_t NextUtf8(const std::string& text, size_t& i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool valid = len > 0 && i + len <= text.size();
    for (size_t k = 1; valid && k < len; ++k) {
        const auto cc = static_cast<unsigned char>(text[i + k]);
        valid = (cc & 0xC0) == 0x80;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
    valid = valid && cp >= Least[len] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
    i += valid ? len : 1;
    return valid ? cp : 0xFFFD;
}

// Bytes that make no UTF-8 character become U+FFFD, so every output carries valid text.
inline std::string ValidUtf8(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();)
        AppendUtf8(out, NextUtf8(text, i));
    return out;
}
