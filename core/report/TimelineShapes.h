#pragma once
#include "model/Timeline.h"
#include "ui/Drawing.h"
#include <string>
#include <vector>

// The timeline of one input as shapes and texts, the one drawing that the timeline windows and
// the HTML report paint: the evacuation time over lanes of stage bands, one lane a stage, and an
// axis of seconds from the alarm. Its units are the screen's pixels at 96 dots per inch in a
// window and the SVG's units in the report.
//
// No two texts share a place: a stage's title stands left of its band (or above it when it is
// too wide for that column), its detail, its zones and relays and its note each have lines of
// their own below the band, wrapped within the drawing's width; the total's caption and the
// axis labels are kept inside the drawing, and axis labels are thinned until they do not touch.
class TTimelineShapes {
public:
    // The report's width: printed on A4, a unit is 0.24 mm, so the smallest text is above 8 pt.
    static constexpr int ReportWidth = 760;
    static constexpr double TextSize = 12;
    static constexpr double TitleSize = 14;

    // The drawing `width` units wide and at least `height` high; the note that no stage is on
    // stands in the middle of that height.
    static TDrawing Draw(const TTimeline& timeline, int width, int height = 0);
    // How high the drawing of the timeline is at `width`; a narrower drawing wraps more lines.
    static int Height(const TTimeline& timeline, int width = ReportWidth);
    // The text broken into lines of at most `room` units, after a "," or a "·" only; a piece
    // between two such places that is wider than the room keeps a line of its own.
    static std::vector<std::string> Wrap(const std::string& text, double size, double room);
};
