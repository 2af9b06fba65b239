#pragma once
#include "Native.h"
#include <vector>

class TControl;
class TForm;

// Makes the native control of each control, in order (the tab order), at the control's Bounds
// within parent, bound to it; a panel's controls go into the panel's window. form, for a
// dialog's controls: its default and Cancel buttons answer Enter and Escape.
void Build(TLayout& layout, HWND parent, const std::vector<TControl*>& controls, const TForm* form = nullptr);
