#include "model/WholeNumber.h"
#include <charconv>
#include <limits>

bool ParseWholeNumber(const std::string& text, int64_t& value, bool wide) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return false;
    }
    int64_t parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (first == last || error != std::errc() || end != last)
        return false;
    if (!wide &&
        (parsed < std::numeric_limits<int32_t>::min() || parsed > std::numeric_limits<int32_t>::max()))
        return false;
    value = parsed;
    return true;
}
