#pragma once
#include "ui/StaticText.h"
#include <vector>

// A panel with a caption (the progress panel over the window), or a group of controls: an
// editor panel, or a framed group of a dialog.
class TPanel : public TStaticText {
public:
    using TStaticText::TStaticText;
    // The controls in the panel, each at its Bounds within it, in the order a front end makes them.
    std::vector<TControl*> Children;
    // Drawn as a frame around its controls.
    bool Framed = false;
};
