#pragma once
#include <string>

// Windows only: the program passes names as UTF-8; the system's wide calls take UTF-16.
std::wstring WideText(const std::string& utf8);
std::string Utf8Text(const std::wstring& wide);
