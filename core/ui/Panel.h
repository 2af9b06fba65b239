#pragma once
#include "ui/StaticText.h"

// A panel with a caption (the progress panel over the window).
class TPanel : public TStaticText {
public:
    using TStaticText::TStaticText;
};
