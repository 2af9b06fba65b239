#include "JsonReader.h"
#include "base/Utf8.h"
#include <charconv>
#include <cstring>
#include <system_error>

namespace {
constexpr int MaxDepth = 64;

class TParser {
public:
    explicit TParser(std::string_view text) : Text(text) {}

    bool Document(TJsonValue& value, std::string& error) {
        Blanks();
        if (!Value(value, 0))
            return Failed(error);
        Blanks();
        if (At < Text.size() && Problem.empty())
            Problem = "more after the value";
        return Problem.empty() || Failed(error);
    }

private:
    bool Failed(std::string& error) const {
        size_t line = 1, column = 1;
        for (size_t i = 0; i < At && i < Text.size(); ++i)
            if (Text[i] == '\n') {
                ++line;
                column = 1;
            } else if ((static_cast<unsigned char>(Text[i]) & 0xC0) != 0x80) {
                ++column;
            }
        error = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + Problem;
        return false;
    }

    bool Fail(const std::string& problem) {
        Problem = problem;
        return false;
    }

    void Blanks() {
        while (At < Text.size() && std::strchr(" \t\r\n", Text[At]) && Text[At] != '\0')
            ++At;
    }

    bool Literal(std::string_view word) {
        if (Text.substr(At, word.size()) != word)
            return Fail("no JSON value here");
        At += word.size();
        return true;
    }

    bool Value(TJsonValue& value, int depth) {
        if (At >= Text.size())
            return Fail("the text ends where a value should be");
        switch (Text[At]) {
        case '{':
            return Object(value, depth + 1);
        case '[':
            return Array(value, depth + 1);
        case '"':
            value.Type = TJsonValue::TType::String;
            return String(value.String);
        case 't':
        case 'f':
            value.Type = TJsonValue::TType::Bool;
            value.Bool = Text[At] == 't';
            return Literal(value.Bool ? "true" : "false");
        case 'n':
            value.Type = TJsonValue::TType::Null;
            return Literal("null");
        default:
            return Number(value);
        }
    }

    bool Object(TJsonValue& value, int depth) {
        if (depth > MaxDepth)
            return Fail("nested more than " + std::to_string(MaxDepth) + " levels deep");
        value.Type = TJsonValue::TType::Object;
        ++At;
        Blanks();
        if (At < Text.size() && Text[At] == '}') {
            ++At;
            return true;
        }
        for (;;) {
            Blanks();
            std::string key;
            if (At >= Text.size() || Text[At] != '"')
                return Fail("a key in quotes expected");
            const size_t keyAt = At;
            if (!String(key))
                return false;
            for (const auto& member : value.Members)
                if (member.Key == key) {
                    At = keyAt;
                    return Fail("the key \"" + key + "\" twice");
                }
            Blanks();
            if (At >= Text.size() || Text[At] != ':')
                return Fail("':' expected");
            ++At;
            Blanks();
            value.Members.push_back({key, {}});
            if (!Value(value.Members.back().Value, depth))
                return false;
            Blanks();
            if (At < Text.size() && Text[At] == ',') {
                ++At;
                continue;
            }
            if (At < Text.size() && Text[At] == '}') {
                ++At;
                return true;
            }
            return Fail("',' or '}' expected");
        }
    }

    bool Array(TJsonValue& value, int depth) {
        if (depth > MaxDepth)
            return Fail("nested more than " + std::to_string(MaxDepth) + " levels deep");
        value.Type = TJsonValue::TType::Array;
        ++At;
        Blanks();
        if (At < Text.size() && Text[At] == ']') {
            ++At;
            return true;
        }
        for (;;) {
            Blanks();
            value.Items.emplace_back();
            if (!Value(value.Items.back(), depth))
                return false;
            Blanks();
            if (At < Text.size() && Text[At] == ',') {
                ++At;
                continue;
            }
            if (At < Text.size() && Text[At] == ']') {
                ++At;
                return true;
            }
            return Fail("',' or ']' expected");
        }
    }

    bool Number(TJsonValue& value) {
        const size_t start = At;
        const auto digits = [&] {
            const size_t from = At;
            while (At < Text.size() && Text[At] >= '0' && Text[At] <= '9')
                ++At;
            return At > from;
        };
        if (At < Text.size() && Text[At] == '-')
            ++At;
        const size_t first = At;
        if (!digits())
            return Fail("no JSON value here");
        if (Text[first] == '0' && At - first > 1)
            return Fail("a number with a leading zero");
        bool whole = true;
        if (At < Text.size() && Text[At] == '.') {
            ++At;
            whole = false;
            if (!digits())
                return Fail("digits expected after '.'");
        }
        if (At < Text.size() && (Text[At] == 'e' || Text[At] == 'E')) {
            ++At;
            whole = false;
            if (At < Text.size() && (Text[At] == '+' || Text[At] == '-'))
                ++At;
            if (!digits())
                return Fail("digits expected in the exponent");
        }
        value.Type = TJsonValue::TType::Number;
        value.Whole = false;
        // A whole number too large for 64 bits stays a number that is not Whole.
        if (whole) {
            const auto [end, code] = std::from_chars(Text.data() + start, Text.data() + At, value.Int);
            value.Whole = code == std::errc() && end == Text.data() + At;
        }
        return true;
    }

    bool Hex4(uint32_t& unit) {
        if (Text.size() - At < 4)
            return Fail("four hexadecimal digits expected after \\u");
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = Text[At++];
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0)
                return Fail("four hexadecimal digits expected after \\u");
            unit = unit * 16 + static_cast<uint32_t>(digit);
        }
        return true;
    }

    bool Escape(std::string& out) {
        const char c = Text[At++];
        const char* const from = "\"\\/bfnrt";
        const char* const to = "\"\\/\b\f\n\r\t";
        if (const char* found = std::strchr(from, c); found && c != '\0') {
            out += to[found - from];
            return true;
        }
        if (c != 'u')
            return Fail("an unknown escape \\" + std::string(1, c));
        uint32_t unit = 0;
        if (!Hex4(unit))
            return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return Fail("a lone low surrogate");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            uint32_t low = 0;
            if (Text.substr(At, 2) != "\\u")
                return Fail("a high surrogate without its low one");
            At += 2;
            if (!Hex4(low))
                return false;
            if (low < 0xDC00 || low > 0xDFFF)
                return Fail("a high surrogate without its low one");
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        AppendUtf8(out, unit);
        return true;
    }

    // One UTF-8 character copied as it is; false for bytes that make none.
    bool Character(std::string& out) {
        const auto c = static_cast<unsigned char>(Text[At]);
        const size_t len = c < 0x80           ? 1
                           : (c >> 5) == 0x6  ? 2
                           : (c >> 4) == 0xE  ? 3
                           : (c >> 3) == 0x1E ? 4
                                              : 0;
        uint32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool valid = len > 0 && At + len <= Text.size();
        for (size_t k = 1; valid && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(Text[At + k]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        static const uint32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (!valid || cp < Least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return Fail("no valid UTF-8");
        out.append(Text.substr(At, len));
        At += len;
        return true;
    }

    bool String(std::string& out) {
        ++At;
        out.clear();
        while (At < Text.size()) {
            const char c = Text[At];
            if (c == '"') {
                ++At;
                return true;
            }
            if (static_cast<unsigned char>(c) < 0x20)
                return Fail("a control character in a string");
            if (c == '\\') {
                ++At;
                if (At >= Text.size())
                    break;
                if (!Escape(out))
                    return false;
            } else if (!Character(out)) {
                return false;
            }
        }
        return Fail("a string without its closing quote");
    }

    std::string_view Text;
    size_t At = 0;
    std::string Problem;
};
} // namespace

bool ParseJson(std::string_view text, TJsonValue& value, std::string& error) {
    value = TJsonValue{};
    return TParser(text).Document(value, error);
}
