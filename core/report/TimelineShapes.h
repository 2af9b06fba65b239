#pragma once
#include "forms/Timeline.h"
#include "ui/Drawing.h"

// The timeline of one input as shapes and texts, the one drawing that the timeline windows and
// the HTML report paint: the evacuation time over lanes of stage bands, one lane a stage, and an
// axis of seconds from the alarm. Its units are the screen's pixels at 96 dots per inch in a
// window and the SVG's units in the report.
class TTimelineShapes {
public:
    // The report's width; a window's drawing is as wide as its canvas.
    static constexpr int ReportWidth = 900;

    // The drawing `width` units wide and at least `height` high; the note that no stage is on
    // stands in the middle of that height.
    static TDrawing Draw(const TTimeline& timeline, int width, int height = 0);
    // How high the drawing of the timeline is.
    static int Height(const TTimeline& timeline);
};
