#pragma once
#include "ui/Control.h"

class TMain;

// The main window's design, in pixels at 96 dots per inch: the toolbar on top, the two editor
// panels under it (the composition on the left, the algorithms on the right, a line between),
// the status bar at the bottom, and the progress panel over the middle. Both editors place
// their windows and controls by it.
struct TMainLayout {
    static constexpr int Width = 1008;
    static constexpr int Height = 761;
    static constexpr int ToolBarHeight = 50;
    static constexpr int ToolButtonWidth = 69;
    static constexpr int ToolButtonHeight = 44;
    static constexpr int SeparatorWidth = 8;
    // The line under the toolbar and the one between the panels.
    static constexpr int LineWidth = 2;
    static constexpr int StatusBarHeight = 22;
    static constexpr int BodyTop = ToolBarHeight + LineWidth;
    static constexpr int BodyHeight = Height - BodyTop - StatusBarHeight;
    static constexpr int LeftPanelWidth = 214;
    // The progress panel's caption, within the panel.
    static constexpr TRect ScanCaption{0, 12, 233, 20};

    // Where the window's client area goes on a free area of the screen of that size, frames taken
    // off: the design size where it fits, else what there is, centred. A shortened editor scrolls
    // up and down, and where there is room its scroll bar widens the window rather than hiding the
    // last column.
    static TRect ClientIn(int roomWidth, int roomHeight, int scrollBarWidth);
    // The progress panel in the middle of a client area of that size.
    static TRect PanelScanIn(int width, int height);
    // Where a scrolled view of `view` pixels, now at `position`, scrolls to show the stretch
    // [start, start + length) of its canvas, the focused control: not at all when it is in view,
    // else just far enough; a control longer than the view shows its start.
    static int ScrollToShow(int position, int view, int start, int length);
    // Places the controls of the main window's panels and dialogs; the first focus of each.
    static void Apply(TMain& main);
};
