#include "JsonWriter.h"
#include <cstdio>

void TJsonWriter::BeforeValue() {
    if (AfterKey) {
        AfterKey = false;
        return;
    }
    if (Levels.empty())
        return;
    TLevel& level = Levels.back();
    if (level.Count++ > 0)
        Out += level.Inline ? ", " : ",";
    if (!level.Inline)
        Out += "\n" + std::string(2 * Levels.size(), ' ');
}

void TJsonWriter::Close(char bracket) {
    const TLevel level = Levels.back();
    Levels.pop_back();
    if (level.Count > 0 && !level.Inline)
        Out += "\n" + std::string(2 * Levels.size(), ' ');
    Out += bracket;
}

TJsonWriter& TJsonWriter::BeginObject(bool inlineValues) {
    BeforeValue();
    Out += '{';
    Levels.push_back({inlineValues, 0});
    return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
    Close('}');
    return *this;
}

TJsonWriter& TJsonWriter::BeginArray(bool inlineValues) {
    BeforeValue();
    Out += '[';
    Levels.push_back({inlineValues, 0});
    return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
    Close(']');
    return *this;
}

TJsonWriter& TJsonWriter::Key(std::string_view key) {
    BeforeValue();
    Quote(key);
    Out += ": ";
    AfterKey = true;
    return *this;
}

void TJsonWriter::Quote(std::string_view text) {
    Out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // DEL and the C1 controls (U+0080 … U+009F) need no escape in JSON, but a terminal acts on
        // them: escaped, they read back the same and the output cannot steer the terminal.
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (c == '\x7F' || (c == '\xC2' && next >= 0x80 && next <= 0x9F)) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", c == '\x7F' ? 0x7Fu : next);
            Out += escaped;
            i += c == '\x7F' ? 0 : 1;
            continue;
        }
        switch (c) {
        case '"':
            Out += "\\\"";
            break;
        case '\\':
            Out += "\\\\";
            break;
        case '\n':
            Out += "\\n";
            break;
        case '\r':
            Out += "\\r";
            break;
        case '\t':
            Out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(c));
                Out += escaped;
            } else {
                Out += c;
            }
        }
    }
    Out += '"';
}

TJsonWriter& TJsonWriter::Value(std::string_view text) {
    BeforeValue();
    Quote(text);
    return *this;
}

TJsonWriter& TJsonWriter::Value(int64_t number) {
    BeforeValue();
    Out += std::to_string(number);
    return *this;
}

TJsonWriter& TJsonWriter::Value(bool on) {
    BeforeValue();
    Out += on ? "true" : "false";
    return *this;
}

TJsonWriter& TJsonWriter::Null() {
    BeforeValue();
    Out += "null";
    return *this;
}
