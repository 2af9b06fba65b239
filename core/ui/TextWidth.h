#pragma once
#include <string>

// How wide a text of `size` units is at most when painted: the widest of the faces the painters
// use (the report prints in DejaVu Sans, which is wider than the windows' faces), so that a text
// laid out by it never reaches further than the room given to it.
double TextWidth(const std::string& text, double size, bool bold = false);
