#include "JsonReader.h"
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <iterator>
#include <set>
#include <vector>

namespace {
constexpr int MaxDepth = 64;

// The text as the parser takes it, byte by byte, noting how far it has read: a key given twice
// or a container too deep is seen by the parser's callback, which is told no position.
class TReadingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TReadingIterator(const char* at, const char** reached) : At(at), Reached(reached) {}
    reference operator*() const { return *At; }
    TReadingIterator& operator++() {
        *Reached = ++At;
        return *this;
    }
    TReadingIterator operator++(int) {
        TReadingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TReadingIterator& other) const { return At == other.At; }

private:
    const char* At;
    const char** Reached;
};

// What the callback stops the parser for, at the byte where it begins.
struct TRefused {
    size_t At;
    std::string Problem;
};

// Where the token that ends at byte `last` begins: the parser finds a token wrong only once it
// has read all of it, or (a misspelt word) up to the first byte that does not fit.
size_t TokenStart(std::string_view text, size_t last, bool misspelt) {
    if (last >= text.size())
        return text.size();
    if (!misspelt && text[last] == '"') {
        // Back to the opening quote: the first one not escaped by an odd number of backslashes.
        for (size_t at = last; at-- > 0;) {
            size_t slashes = 0;
            while (slashes < at && text[at - 1 - slashes] == '\\')
                ++slashes;
            if (text[at] == '"' && slashes % 2 == 0)
                return at;
        }
        return last;
    }
    const auto word = [&](size_t at) {
        const auto c = static_cast<unsigned char>(text[at]);
        return std::isalnum(c) || c == '+' || c == '-' || c == '.';
    };
    size_t start = last;
    if (misspelt && !word(start) && start > 0 && word(start - 1))
        --start;
    if (!word(start))
        return last;
    while (start > 0 && word(start - 1))
        --start;
    return start;
}

// "line L, column C" of a byte, the column counted in characters.
std::string Position(std::string_view text, size_t at) {
    size_t line = 1, column = 1;
    for (size_t i = 0; i < at && i < text.size(); ++i)
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The library's message without its own tag and position, and without the bytes it last read:
// they begin at an arbitrary place and may be no text at all.
std::string Problem(std::string message) {
    if (message.starts_with("[json.exception."))
        message.erase(0, message.find("] ") + 2);
    if (message.starts_with("parse error"))
        if (const size_t colon = message.find(": "); colon != std::string::npos)
            message.erase(0, colon + 2);
    if (const size_t read = message.find("; last read: '"); read != std::string::npos) {
        const size_t expected = message.find("'; expected ", read);
        message.erase(read, expected == std::string::npos ? std::string::npos : expected + 1 - read);
    }
    return message;
}
} // namespace

bool ParseJson(std::string_view text, TJson& value, std::string& error) {
    using TEvent = TJson::parse_event_t;
    const char* const begin = text.data();
    const char* reached = begin;
    // The keys of each object being read, the innermost last.
    std::vector<std::set<std::string>> keys;
    const auto callback = [&](int depth, TEvent event, TJson& parsed) {
        // The byte just read: the brace or bracket that opens a container, the quote that closes a key.
        const size_t last = static_cast<size_t>(reached - begin) - 1;
        if ((event == TEvent::object_start || event == TEvent::array_start) && depth >= MaxDepth)
            throw TRefused{last, "nested more than " + std::to_string(MaxDepth) + " levels deep"};
        if (event == TEvent::object_start)
            keys.emplace_back();
        else if (event == TEvent::object_end)
            keys.pop_back();
        else if (event == TEvent::key && !keys.back().insert(parsed.get<std::string>()).second)
            throw TRefused{TokenStart(text, last, false),
                           "the key \"" + parsed.get<std::string>() + "\" twice"};
        return true;
    };
    value = nullptr;
    size_t at = 0;
    try {
        value = TJson::parse(TReadingIterator(begin, &reached),
                             TReadingIterator(begin + text.size(), &reached), callback);
        return true;
    } catch (const TRefused& refused) {
        error = Position(text, refused.At) + ": " + refused.Problem;
    } catch (const TJson::parse_error& e) {
        // e.byte counts the bytes read, the one found wrong (or the end of the text) last.
        const std::string problem = Problem(e.what());
        at = std::min(e.byte == 0 ? 0 : e.byte - 1, text.size());
        if (problem.find("invalid string") == std::string::npos)
            at = TokenStart(text, at,
                            problem.find("invalid literal") != std::string::npos ||
                                problem.find("invalid number") != std::string::npos);
        error = Position(text, at) + ": " + problem;
    } catch (const TJson::exception& e) {
        // A number too large for a double: the parser has read it and the byte after it.
        at = std::min(static_cast<size_t>(reached - begin), text.size());
        error = Position(text, TokenStart(text, at == 0 ? 0 : at - 1, true)) + ": " + Problem(e.what());
    }
    value = nullptr;
    return false;
}
