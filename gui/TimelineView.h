#pragma once
#include "FormWindow.h"

class QLabel;
class TTimelineForm;

// The timeline window: paints the model of the shown input that the form keeps up to date.
class TimelineView : public FormWindow {
public:
    explicit TimelineView(TTimelineForm& form, QWidget* parent = nullptr);
};

// A click on the label (the total evacuation time) opens the timeline window.
void OpenTimelineOnClick(QLabel& label, TTimelineForm& form);
