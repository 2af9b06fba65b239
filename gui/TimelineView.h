#pragma once
#include "FormWindow.h"

class TTimelineForm;

// The timeline window: paints the model of the shown input that the form keeps up to date.
class TimelineView : public FormWindow {
public:
    explicit TimelineView(TTimelineForm& form, QWidget* parent = nullptr);
};
