#pragma once
#include "Native.h"
#include <functional>

class TAlgorithmEditor;
class TCompositionRules;
class TValueListEditor;

// The two editor panels of the main window, made of native controls bound to the
// headless ones, in the given design area of parent.
void BuildCompositionPanel(TLayout& layout, HWND parent, RECT area, TCompositionRules& rules,
                           TValueListEditor& lengths);
void BuildAlgorithmPanel(TLayout& layout, HWND parent, RECT area, TAlgorithmEditor& editor);
