#pragma once
#include "report/Report.h"
#include <string>
#include <vector>

// The report's facts for a project without the editor's window: the image and the lengths
// shown in the same panels, wired and filled as the editor fills them when it opens a project,
// so that the bytes written are the editor's.
TReportFacts ProjectReportFacts(const std::string& image, const std::vector<std::string>& lengths);
