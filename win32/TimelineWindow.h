#pragma once
#include "FormWindow.h"

class TTimelineForm;

// The timeline window: paints the model of the shown input that the form keeps up to date,
// scrolling down when the stages need more room than the window has.
class TTimelineWindow : public TFormWindow {
public:
    TTimelineWindow(TTimelineForm& form, HWND owner);

private:
    HWND Scroller = nullptr;
};
