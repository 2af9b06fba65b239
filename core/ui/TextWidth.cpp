#include "ui/TextWidth.h"
#include "base/Utf8.h"
#include <string_view>

namespace {
// A regular character is narrower than its bold form by about this share.
constexpr double RegularShare = 0.93;

bool In(std::u32string_view set, char32_t c) {
    return set.find(c) != std::u32string_view::npos;
}

// The advance of one bold character in em, rounded up over its kind.
double BoldAdvance(char32_t c) {
    if (c == U' ')
        return 0.35;
    if (In(U",.:;·|!'", c))
        return 0.40;
    if (In(U"()-", c))
        return 0.46;
    if (c >= U'0' && c <= U'9')
        return 0.70;
    if (In(U"ijlIJ", c))
        return 0.38;
    if (In(U"frt", c))
        return 0.50;
    if (In(U"mwMW", c))
        return 1.11;
    if (c >= U'a' && c <= U'z')
        return 0.72;
    if (c >= U'A' && c <= U'Z')
        return 0.85;
    if (In(U"жшщыюфмд", c))
        return 1.11;
    if (In(U"ЖШЩЮ", c))
        return 1.33;
    if (In(U"ДМФЦЪЫ", c))
        return 1.04;
    if ((c >= U'а' && c <= U'я') || c == U'ё')
        return 0.76;
    if ((c >= U'А' && c <= U'Я') || c == U'Ё')
        return 0.85;
    return 1.0;
}
} // namespace

double TextWidth(const std::string& text, double size, bool bold) {
    double em = 0;
    for (size_t i = 0; i < text.size();)
        em += BoldAdvance(NextUtf8(text, i));
    return em * size * (bold ? 1.0 : RegularShare);
}
