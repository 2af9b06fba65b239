#pragma once
#include "report/Report.h"
#include <string>
#include <vector>

// The report's facts for a project without the editor's window: the image as the editor holds
// it once it has opened the project, so that the bytes written are the editor's.
TReportFacts ProjectReportFacts(const std::string& image, const std::vector<std::string>& lengths);
