#include "FormWindow.h"
#include "Bind.h"
#include "Build.h"
#include "base/WideText.h"
#include "ui/Form.h"
#include <commctrl.h>

namespace {
constexpr DWORD DialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
constexpr DWORD ToolStyle = WS_OVERLAPPEDWINDOW;
} // namespace

TFormWindow::TFormWindow(TForm& form, HWND owner, bool modal, POINT place) : FForm(form), Modal(modal) {
    CreateWindowFor(WideText(form.Caption()), modal ? DialogStyle : ToolStyle, form.Width, form.Height(),
                    owner, modal ? WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT : WS_EX_CONTROLPARENT);
    Bind(form, FHandle);
    Build(Layout, FHandle, form.Children, &form);
    if (!modal)
        SetWindowPos(FHandle, nullptr, Scaled(place.x, Layout.Dpi()), Scaled(place.y, Layout.Dpi()), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Follow(form, FHandle, [this] {
        RECT client{};
        GetClientRect(FHandle, &client);
        // A dialog's height follows its form's; an ordinary window keeps the size the user gives it.
        // A dialog that grew (the port parameters shown) keeps its buttons on the screen.
        if (Modal && client.bottom != Scaled(FForm.Height(), Layout.Dpi())) {
            SetClientSize(FForm.Width, FForm.Height());
            KeepOnScreen();
        }
        const bool shown = IsWindowVisible(FHandle);
        if (FForm.Visible() && !shown) {
            if (!Modal)
                KeepClearOfOwner();
            ShowWindow(FHandle, SW_SHOW);
            SetForegroundWindow(FHandle);
            // Each time it opens, the text there is chosen to type over.
            if (HWND active = FForm.ActiveControl ? WindowOf(*FForm.ActiveControl) : nullptr) {
                SetFocus(active);
                SendMessageW(active, EM_SETSEL, 0, -1);
            }
        } else if (!FForm.Visible() && shown) {
            ShowWindow(FHandle, SW_HIDE);
        }
    });
}

void TFormWindow::KeepOnScreen() {
    RECT frame{};
    GetWindowRect(FHandle, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(FHandle, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const TRect kept =
        TForm::KeepOnScreen({frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top},
                            {work.left, work.top, work.right - work.left, work.bottom - work.top});
    SetWindowPos(FHandle, nullptr, kept.Left, kept.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFormWindow::KeepClearOfOwner() {
    // The window opens where the form says, but below the owner's toolbar, so the toolbar stays
    // in reach; it is shortened to stay on the screen.
    HWND owner = GetWindow(FHandle, GW_OWNER);
    HWND toolBar = owner ? FindWindowExW(owner, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
    if (!toolBar || !IsWindowVisible(owner))
        return;
    RECT frame{}, bar{};
    GetWindowRect(FHandle, &frame);
    GetWindowRect(toolBar, &bar);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const TRect kept =
        TForm::KeepBelow({frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top},
                         bar.bottom, monitor.rcWork.bottom);
    SetWindowPos(FHandle, nullptr, kept.Left, kept.Top, kept.Width, kept.Height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TFormWindow::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && OnResize && !Modal)
        OnResize();
    if (message == WM_CLOSE) {
        FForm.CloseBox();
        return 0;
    }
    // Escape in a dialog without a Cancel button of its own closes it as the close box does.
    if (Modal && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL && lParam == 0) {
        SendMessageW(FHandle, WM_CLOSE, 0, 0);
        return 0;
    }
    return TWindow::Message(message, wParam, lParam);
}
