#pragma once
#include "report/Report.h"
#include <string>

// The report as one self-contained UTF-8 HTML page laid out for A4: the text report's facts
// as tables, each input in use on a page of its own with its timeline drawn as inline SVG.
class THtmlReport {
public:
    static std::string Render(const TReportFacts& facts);
    // The timeline of one input as an <svg> element; its texts stay text.
    static std::string Svg(const TTimeline& timeline);
    // Text made safe for HTML and XML: markup characters escaped, control characters
    // written as \xNN.
    static std::string Escape(const std::string& text);
};
