#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A small JSON writer: objects and arrays indented by two blanks, keys in the order they are
// written (so they stay stable), strings UTF-8 with the characters JSON requires escaped and
// the other controls a terminal acts on (DEL, U+0080 … U+009F).
// An inline array or object keeps its values on one line.
class TJsonWriter {
public:
    TJsonWriter& BeginObject(bool inlineValues = false);
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray(bool inlineValues = false);
    TJsonWriter& EndArray();
    TJsonWriter& Key(std::string_view key);
    TJsonWriter& Value(std::string_view text);
    TJsonWriter& Value(const char* text) { return Value(std::string_view(text)); }
    TJsonWriter& Value(int64_t number);
    TJsonWriter& Value(int number) { return Value(static_cast<int64_t>(number)); }
    TJsonWriter& Value(bool on);
    TJsonWriter& Null();
    // The document, ending in a line feed.
    std::string Text() const { return Out + "\n"; }

private:
    struct TLevel {
        bool Inline = false;
        int Count = 0;
    };
    void BeforeValue();
    void Close(char bracket);
    void Quote(std::string_view text);

    std::string Out;
    std::vector<TLevel> Levels;
    bool AfterKey = false;
};
