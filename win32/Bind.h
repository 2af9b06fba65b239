#pragma once
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Edit.h"
#include "ui/Form.h"
#include "ui/Memo.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/RadioGroup.h"
#include "ui/StaticText.h"
#include "ui/StatusBar.h"
#include "ui/StringGrid.h"
#include "ui/Timer.h"
#include "ui/ValueListEditor.h"
#include <functional>
#include <vector>
#include <windows.h>

// Binders: each ties one headless control to its native control for good. The native
// control mirrors every change of the headless one (enabled, visible, its place and its own state),
// and what the user does to it enters the headless control as a user's action (Click,
// Select, Type, EditValue), after which it shows whatever the control made of it.
// Every bound window carries the control's name (the "VarokName" property, a global atom),
// so that tools can find it by the name the core gives it.

// showCaption false: the caption stays off the screen (a label or a column head says it); the
// box's text is then the control's AccessibleName, for screen readers.
void Bind(TCheckBox& control, HWND box, bool showCaption = true);
// A drop-down list, or a drop-down with an edit field for an Editable control.
void Bind(TComboBox& control, HWND combo);
// One radio button per item, in order; the user picks one.
void Bind(TRadioGroup& control, HWND group, const std::vector<HWND>& radios);
// A push button, or a push-like check box for toggles; pictures gives the icon for the
// control's ImageIndex.
void Bind(TButton& control, HWND button, std::function<HICON(int)> pictures = {});
// A button of a toolbar, known to it by its command.
void BindTool(TButton& control, HWND toolbar, int command);
void Bind(TEdit& control, HWND edit);
// A text the user may click where the control does something on a click.
void Bind(TStaticText& control, HWND label);
// A report-style list view of two columns: keys read-only, values edited in place.
void Bind(TValueListEditor& control, HWND list);
// One part per panel of the control, with its width and alignment.
void Bind(TStatusBar& control, HWND bar);
void SetStatusParts(const TStatusBar& control, HWND bar, UINT dpi);
void Bind(TProgressBar& control, HWND bar);
void Bind(TPanel& control, HWND panel, HWND caption);
// A read-only list view over the grid: row 0 is the header, the other rows the items.
void Bind(TStringGrid& control, HWND list);
// A multi-line edit that receives the memo's lines as they come.
void Bind(TMemo& control, HWND edit);
// A window that shows only the control's enabled and visible state.
void Bind(TControl& control, HWND window);
// The timer runs while the control says so, owned by window, and ticks it every period.
void Bind(TTimer& control, HWND window);
// A window's caption and enabled state; showing and closing stay with the window.
void Bind(TForm& control, HWND window);

// The window a control is bound to; null when none is.
HWND WindowOf(const TControl& control);

// Runs follow() now and after every change of the control, for as long as window lives.
void Follow(TControl& control, HWND window, std::function<void()> follow);

// For a window procedure: hands WM_COMMAND and WM_NOTIFY of a bound child to its binder.
bool DispatchToBinding(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// A top-level window is going: its children's binders stop mirroring.
void ForgetBindings(HWND window);
