#pragma once
#include "Native.h"
#include <memory>

class TMain;
class TFormWindow;

// The main window: toolbar, the two editor panels, the status bar and the progress
// panel, all mirroring TMain, and the two diagnostic windows it owns. Closing asks TMain,
// which may keep the window open. While it exists, calls that the serial port's workers
// hand over to this thread arrive as posted messages, so whichever message loop runs
// (a modal dialog's or a message box's too) runs them.
class TMainWindow : public TWindow {
public:
    // The first toolbar button's command; the others follow in TMain's toolbar order.
    static constexpr int ToolCommandBase = 100;

    explicit TMainWindow(TMain& main);
    ~TMainWindow() override;
    void Show(int how);

protected:
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void MakeToolBar();
    void MakePanelScan();
    // The design size where the screen's free area has room for it, that area otherwise,
    // centred on it.
    void FitScreen();
    // Toolbar on top, status bar at the bottom, the scrolled editor between.
    void Arrange();
    void Close();
    // The drop-down list of a toolbar button, under it.
    void ShowMenu(int command);
    bool ShortCut(const MSG& key);

    TMain& Main;
    HWND ToolBar = nullptr;
    HWND StatusBar = nullptr;
    HWND Scroller = nullptr;
    HWND PanelScan = nullptr;
    std::unique_ptr<TFormWindow> DbgWindow;
    std::unique_ptr<TFormWindow> PortWindow;
    std::unique_ptr<TFormWindow> TimelineWindow;
    bool Closing = false;
    // The control that had the focus when the window was last left.
    HWND Focus = nullptr;
    std::wstring TipText;
};
