#pragma once
#include <QString>
#include <string>

// A "description|patterns|description|patterns" filter (patterns separated by ';')
// in Qt's form "description (patterns);;…".
QString QtFileFilter(const std::string& filter);
// The name with "." and the default extension appended when its file part has no extension.
std::string WithDefaultExt(const std::string& fileName, const std::string& defaultExt);
