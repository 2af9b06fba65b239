#pragma once
#include "ui/Drawing.h"
#include <string>

// The editor's pictures, drawn in code (no image files to install or lose) and described
// once: each front end paints these drawings at the size it needs.
class TPictures {
public:
    static constexpr int ToolSize = 24;
    static constexpr int ZoneSize = 16;
    static constexpr int AppSize = 32;
    // The image list that buttons' ImageIndex points into: the zone buttons' two states.
    static constexpr int ZoneUp = 0;
    static constexpr int ZoneDown = 1;

    // A toolbar button's picture by the button's name; an empty drawing for a name without one.
    static TDrawing Tool(const std::string& buttonName);
    // The picture of an ImageIndex; an empty drawing for an index the list lacks.
    static TDrawing Listed(int imageIndex);
    // The program's icon.
    static TDrawing App();
};
