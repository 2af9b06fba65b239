#pragma once
#include <string>

// The program's texts are UTF-8 in memory and Windows-1251 in the files the
// controller's world reads (report, side file, identity bytes).
std::string Utf8ToCp1251(const std::string& utf8); // characters with no CP1251 code become '?'
std::string Cp1251ToUtf8(const std::string& cp1251);
