#include "EscapingBuffer.h"
#include <cstdio>
#include <cstring>
#include <sstream>

TEscapingBuffer::~TEscapingBuffer() {
    sync();
}

bool TEscapingBuffer::Put(const char* text) {
    const auto size = static_cast<std::streamsize>(std::strlen(text));
    return Out.sputn(text, size) == size;
}

TEscapingBuffer::int_type TEscapingBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const auto byte = static_cast<unsigned char>(traits_type::to_char_type(c));
    char text[8] = {};
    if (Pending) {
        Pending = false;
        if (byte >= 0x80 && byte <= 0x9F) {
            std::snprintf(text, sizeof text, "\\u%04X", byte);
            return Put(text) ? c : traits_type::eof();
        }
        if (!Put("\xC2"))
            return traits_type::eof();
    }
    if (byte == 0xC2) {
        Pending = true;
        return c;
    }
    if ((byte < 0x20 && byte != '\n' && byte != '\r' && byte != '\t') || byte == 0x7F)
        std::snprintf(text, sizeof text, "\\x%02X", byte);
    else
        text[0] = static_cast<char>(byte);
    return Put(text) ? c : traits_type::eof();
}

int TEscapingBuffer::sync() {
    if (Pending && !Put("\xC2"))
        return -1;
    Pending = false;
    return Out.pubsync();
}

std::string EscapeControls(std::string_view text) {
    std::stringbuf out;
    {
        TEscapingBuffer escaping(out);
        escaping.sputn(text.data(), static_cast<std::streamsize>(text.size()));
    }
    return out.str();
}
