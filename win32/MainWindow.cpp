#include "MainWindow.h"
#include "Bind.h"
#include "Build.h"
#include "FormWindow.h"
#include "Painter.h"
#include "TimelineWindow.h"
#include "app/MainLayout.h"
#include "app/UnitMain.h"
#include "base/WideText.h"
#include "ui/Pictures.h"
#include <algorithm>
#include <cctype>
#include <commctrl.h>

namespace {
// Whether a key press is the key written the portable way: "Ctrl+N", "Ctrl+Shift+Z", "F5".
bool IsKey(const std::string& keys, const MSG& key) {
    bool ctrl = false, shift = false, alt = false;
    size_t start = 0;
    for (size_t plus; (plus = keys.find('+', start)) != std::string::npos; start = plus + 1) {
        const std::string modifier = keys.substr(start, plus - start);
        ctrl |= modifier == "Ctrl";
        shift |= modifier == "Shift";
        alt |= modifier == "Alt";
    }
    const std::string name = keys.substr(start);
    UINT code = 0;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        code = static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
    else if (name.size() > 1 && name[0] == 'F' && std::isdigit(static_cast<unsigned char>(name[1])))
        code = VK_F1 + static_cast<UINT>(std::stoi(name.substr(1))) - 1;
    return code == key.wParam && ctrl == (GetKeyState(VK_CONTROL) < 0) &&
           shift == (GetKeyState(VK_SHIFT) < 0) && alt == (GetKeyState(VK_MENU) < 0);
}

constexpr UINT HandOverMessage = WM_APP + 1;
constexpr DWORD MainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
} // namespace

TMainWindow::TMainWindow(TMain& main) : Main(main) {
    CreateWindowFor(WideText(Main.Caption()), MainStyle, Main.Width, Main.Height(), nullptr);
    const UINT dpi = Layout.Dpi();
    SendMessageW(FHandle, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(Icon(TPictures::App(), Scaled(32, dpi))));
    SendMessageW(FHandle, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(Icon(TPictures::App(), Scaled(16, dpi))));
    Bind(Main, FHandle);

    MakeToolBar();
    using L = TMainLayout;
    Layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_ETCHEDHORZ, {0, L::ToolBarHeight, L::Width, L::LineWidth},
                  FHandle);
    // The editor panels on a canvas of their full size, which scrolls where the window is smaller.
    Scroller = CreateScroller(FHandle);
    HWND canvas = CreatePanel(Layout, {0, 0, L::Width, L::BodyHeight}, Scroller, WS_VISIBLE);
    Build(Layout, canvas, {&Main.Composition.Panel, &Main.Algorithms.Panel});
    Layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_ETCHEDVERT,
                  {L::LeftPanelWidth, 0, L::LineWidth, L::BodyHeight}, canvas);

    StatusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, FHandle, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(StatusBar, WM_SETFONT, reinterpret_cast<WPARAM>(ScreenFont(TFontKind::Normal, dpi)), FALSE);
    Bind(Main.StatusBar1, StatusBar);

    MakePanelScan();
    Bind(Main.Connection.SearchTimer, FHandle);
    Bind(Main.Connection.LineTimer, FHandle);
    // The link's wait for each reply.
    Bind(Main.Connection.Link.ReplyTimer, FHandle);
    // Made after the main window, the image view before the traffic log, so the log comes in front.
    DbgWindow = std::make_unique<TFormWindow>(Main.Dbg, FHandle, false, POINT{Main.Dbg.Left, Main.Dbg.Top});
    Bind(Main.Dbg.SG, DbgWindow->Controls().Create(
                          WC_LISTVIEWW, L"", WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_NOSORTHEADER,
                          {0, 0, Main.Dbg.Width, Main.Dbg.Height()}, DbgWindow->Handle(), TFontKind::Tiny));
    PortWindow = std::make_unique<TFormWindow>(Main.FormPort, FHandle, false,
                                               POINT{Main.FormPort.Left, Main.FormPort.Top});
    Bind(Main.FormPort.Memo1, PortWindow->Controls().Create(
                                  WC_EDITW, L"",
                                  WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                      ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                  {0, 0, Main.FormPort.Width, Main.FormPort.Height()}, PortWindow->Handle()));

    SetKeyHandler([this](const MSG& key) { return ShortCut(key); });
    TimelineWindow = std::make_unique<TTimelineWindow>(Main.Timeline, FHandle);
    // Worker threads post; the call runs here, in whichever message loop is running.
    HWND window = FHandle;
    Main.HandOver.SetWakeHook([window] { PostMessageW(window, HandOverMessage, 0, 0); });

    // TMain hides itself when its close handling lets the window go ("Выход").
    Follow(Main, FHandle, [this] {
        if (Main.Closed && !Main.Visible() && !Closing)
            DestroyWindow(FHandle);
    });

    FitScreen();
}

TMainWindow::~TMainWindow() {
    SetKeyHandler({});
    Main.HandOver.SetWakeHook({});
    TimelineWindow.reset();
    PortWindow.reset();
    DbgWindow.reset();
}

void TMainWindow::Show(int how) {
    ShowWindow(FHandle, how);
    UpdateWindow(FHandle);
    Focus = Main.ActiveControl ? WindowOf(*Main.ActiveControl) : nullptr;
    if (Focus)
        SetFocus(Focus);
}

void TMainWindow::FitScreen() {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(FHandle, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    // The frame the window system adds around the client area.
    RECT frame{}, client{};
    GetWindowRect(FHandle, &frame);
    GetClientRect(FHandle, &client);
    const SIZE margins{frame.right - frame.left - client.right, frame.bottom - frame.top - client.bottom};
    const int dpi = static_cast<int>(Layout.Dpi());
    const auto design = [dpi](LONG pixels) { return MulDiv(pixels, DesignDpi, dpi); };
    const TRect fit = TMainLayout::ClientIn(design(work.right - work.left - margins.cx),
                                            design(work.bottom - work.top - margins.cy),
                                            design(GetSystemMetricsForDpi(SM_CXVSCROLL, Layout.Dpi())));
    SetWindowPos(FHandle, nullptr, work.left + Scaled(fit.Left, Layout.Dpi()),
                 work.top + Scaled(fit.Top, Layout.Dpi()), Scaled(fit.Width, Layout.Dpi()) + margins.cx,
                 Scaled(fit.Height, Layout.Dpi()) + margins.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    Arrange();
}

void TMainWindow::Arrange() {
    if (!StatusBar || !PanelScan)
        return;
    SendMessageW(StatusBar, WM_SIZE, 0, 0);
    RECT client{}, bar{};
    GetClientRect(FHandle, &client);
    GetWindowRect(StatusBar, &bar);
    // Toolbar and status bar keep their places; the editor takes what lies between.
    const int top = Scaled(TMainLayout::BodyTop, Layout.Dpi());
    const int bottom = client.bottom - (bar.bottom - bar.top);
    MoveWindow(Scroller, 0, top, client.right, std::max(0, bottom - top), TRUE);
    UpdateScroller(Scroller);
    const int dpi = static_cast<int>(Layout.Dpi());
    Main.PanelScan.SetBounds(TMainLayout::PanelScanIn(MulDiv(client.right, DesignDpi, dpi),
                                                      MulDiv(client.bottom, DesignDpi, dpi)));
}

void TMainWindow::MakeToolBar() {
    const UINT dpi = Layout.Dpi();
    ToolBar = Layout.Create(TOOLBARCLASSNAMEW, L"",
                            WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE | CCS_NORESIZE |
                                CCS_NODIVIDER | CCS_NOPARENTALIGN,
                            {2, 2, TMainLayout::Width - 4, TMainLayout::ToolBarHeight - 4}, FHandle,
                            TFontKind::Small);
    SendMessageW(ToolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int picture = Scaled(TPictures::ToolSize, dpi);
    HIMAGELIST pictures = ImageList_Create(picture, picture, ILC_COLOR32, 0, 10);
    std::vector<TBBUTTON> buttons;
    for (size_t i = 0; i < Main.ToolBar1.size(); ++i) {
        const TButton& button = *Main.ToolBar1[i];
        TBBUTTON entry{};
        entry.idCommand = ToolCommandBase + static_cast<int>(i);
        if (button.IsSeparator) {
            entry.iBitmap = Scaled(TMainLayout::SeparatorWidth, dpi);
            entry.fsStyle = BTNS_SEP;
        } else {
            HICON icon = Icon(TPictures::Tool(button.Name), picture);
            entry.iBitmap = icon ? ImageList_AddIcon(pictures, icon) : I_IMAGENONE;
            entry.fsStyle =
                static_cast<BYTE>(BTNS_BUTTON | (button.Kind == TButtonKind::Toggle ? BTNS_CHECK : 0) |
                                  (button.Menu.empty() ? 0 : BTNS_DROPDOWN));
            entry.fsState = TBSTATE_ENABLED;
            entry.iString = reinterpret_cast<INT_PTR>(L"");
        }
        buttons.push_back(entry);
    }
    SendMessageW(ToolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(pictures));
    SendMessageW(ToolBar, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    // A button with a list (Open) shows the list's arrow apart from the button itself.
    SendMessageW(ToolBar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(
        ToolBar, TB_SETBUTTONSIZE, 0,
        MAKELPARAM(Scaled(TMainLayout::ToolButtonWidth, dpi), Scaled(TMainLayout::ToolButtonHeight, dpi)));
    for (size_t i = 0; i < Main.ToolBar1.size(); ++i)
        if (!Main.ToolBar1[i]->IsSeparator) {
            // Every button is as wide; a list's arrow takes its part of that width.
            TBBUTTONINFOW size{};
            size.cbSize = sizeof size;
            size.dwMask = TBIF_SIZE;
            size.cx = static_cast<WORD>(Scaled(TMainLayout::ToolButtonWidth, dpi));
            SendMessageW(ToolBar, TB_SETBUTTONINFOW, ToolCommandBase + i, reinterpret_cast<LPARAM>(&size));
        }
    for (size_t i = 0; i < Main.ToolBar1.size(); ++i)
        if (!Main.ToolBar1[i]->IsSeparator)
            BindTool(*Main.ToolBar1[i], ToolBar, ToolCommandBase + static_cast<int>(i));
}

void TMainWindow::MakePanelScan() {
    const TRect& at = Main.PanelScan.Bounds();
    HWND panel = PanelScan =
        CreatePanel(Layout, {at.Left, at.Top, at.Width, at.Height}, FHandle, WS_DLGFRAME);
    const TRect& caption = TMainLayout::ScanCaption;
    HWND label = Layout.Create(
        WC_STATICW, L"", WS_VISIBLE | SS_CENTER,
        {caption.Left, caption.Top, caption.Width - 2 * GetSystemMetrics(SM_CXDLGFRAME), caption.Height},
        panel);
    const TRect& bar = Main.ProgressBar.Bounds();
    HWND progress =
        Layout.Create(PROGRESS_CLASSW, L"", WS_VISIBLE, {bar.Left, bar.Top, bar.Width, bar.Height}, panel);
    // Over the editor, which was made before it.
    SetWindowPos(panel, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Bind(Main.PanelScan, panel, label);
    Bind(Main.ProgressBar, progress);
}

LRESULT TMainWindow::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case HandOverMessage:
        Main.HandOver.RunPending();
        return 0;
    case WM_SIZE:
        Arrange();
        break;
    // The focus goes back where it was when the window is active again (after a box or a
    // dialog), never to the window itself, where no key does anything.
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focused = GetFocus(); focused && IsChild(FHandle, focused))
                Focus = focused;
            break;
        }
        if (HIWORD(wParam) == 0) {
            const bool usable = Focus && IsWindow(Focus) && IsWindowEnabled(Focus) && IsWindowVisible(Focus);
            if (HWND target = usable ? Focus : GetNextDlgTabItem(FHandle, nullptr, FALSE)) {
                SetFocus(target);
                return 0;
            }
        }
        break;
    case WM_DPICHANGED: {
        const LRESULT result = TWindow::Message(message, wParam, lParam);
        SetStatusParts(Main.StatusBar1, StatusBar, HIWORD(wParam));
        SendMessageW(StatusBar, WM_SETFONT,
                     reinterpret_cast<WPARAM>(ScreenFont(TFontKind::Normal, HIWORD(wParam))), TRUE);
        FitScreen();
        return result;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.code == TBN_DROPDOWN && header.hwndFrom == ToolBar) {
            ShowMenu(reinterpret_cast<const NMTOOLBARW&>(header).iItem);
            return TBDDRET_DEFAULT;
        }
        // The right button opens a button's list too, where the list's arrow is not drawn.
        if (header.code == NM_RCLICK && header.hwndFrom == ToolBar) {
            const auto& click = reinterpret_cast<const NMMOUSE&>(header);
            ShowMenu(static_cast<int>(click.dwItemSpec));
            return TRUE;
        }
        // The toolbar's tool tips: the button's hint, which says its keys too.
        const auto index = static_cast<size_t>(header.idFrom) - ToolCommandBase;
        if (header.code == TTN_GETDISPINFOW && index < Main.ToolBar1.size()) {
            TipText = WideText(Main.ToolBar1[index]->Hint());
            reinterpret_cast<NMTTDISPINFOW&>(const_cast<NMHDR&>(header)).lpszText = TipText.data();
            return 0;
        }
        break;
    }
    case WM_CLOSE:
        Close();
        return 0;
    case WM_DESTROY:
        Main.HandOver.SetWakeHook({});
        PostQuitMessage(0);
        break;
    default:
        break;
    }
    return TWindow::Message(message, wParam, lParam);
}

void TMainWindow::Close() {
    Closing = true;
    const bool mayClose = Main.Closed || Main.FormClose();
    Closing = false;
    if (mayClose)
        DestroyWindow(FHandle);
}

void TMainWindow::ShowMenu(int command) {
    const auto index = static_cast<size_t>(command - ToolCommandBase);
    if (index >= Main.ToolBar1.size())
        return;
    const std::vector<TButton*>& entries = Main.ToolBar1[index]->Menu;
    HMENU menu = CreatePopupMenu();
    bool separate = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TButton& entry = *entries[i];
        if (!entry.Visible())
            continue;
        // A separator only between shown entries.
        if (entry.IsSeparator) {
            separate = GetMenuItemCount(menu) > 0;
            continue;
        }
        if (separate)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        separate = false;
        AppendMenuW(menu, MF_STRING | (entry.Enabled() ? 0 : MF_GRAYED), i + 1,
                    WideText(entry.Caption()).c_str());
    }
    RECT button{};
    SendMessageW(ToolBar, TB_GETRECT, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&button));
    MapWindowPoints(ToolBar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    SetForegroundWindow(FHandle);
    // The button's tool tip would lie over the list.
    auto* tips = reinterpret_cast<HWND>(SendMessageW(ToolBar, TB_GETTOOLTIPS, 0, 0));
    if (tips) {
        SendMessageW(tips, TTM_POP, 0, 0);
        SendMessageW(tips, TTM_ACTIVATE, FALSE, 0);
    }
    const auto chosen = static_cast<size_t>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                           button.left, button.bottom, 0, FHandle, nullptr));
    DestroyMenu(menu);
    if (tips)
        SendMessageW(tips, TTM_ACTIVATE, TRUE, 0);
    if (chosen > 0 && chosen <= entries.size())
        entries[chosen - 1]->Click();
}

bool TMainWindow::ShortCut(const MSG& key) {
    if (GetAncestor(key.hwnd, GA_ROOT) != FHandle || !IsWindowEnabled(FHandle))
        return false;
    for (TButton* button : Main.ToolBar1)
        for (const std::string& keys : button->ShortCuts)
            if (IsKey(keys, key)) {
                button->Click();
                return true;
            }
    return false;
}
