#pragma once
#include <vector>

class QWidget;
class TControl;

// Makes the widget of each control, in order (the tab order), at the control's Bounds within
// parent, bound to it; a panel's controls go into the panel's widget.
void Build(const std::vector<TControl*>& controls, QWidget& parent);
