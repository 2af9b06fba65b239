#include "Native.h"
#include "Bind.h"
#include "app/MainLayout.h"
#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <utility>

namespace {
constexpr wchar_t WindowClass[] = L"VarokConfigWindow";
constexpr wchar_t LayoutProperty[] = L"VarokLayout";

LOGFONTW FontFor(TFontKind kind, UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    // The editor's texts are 8-point; the image view's grid is very small.
    int points = 8;
    if (kind == TFontKind::Small)
        points = 7;
    font.lfHeight = kind == TFontKind::Tiny ? -Scaled(5, dpi) : -MulDiv(points, static_cast<int>(dpi), 72);
    font.lfWeight = kind == TFontKind::Bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    return font;
}
} // namespace

HFONT ScreenFont(TFontKind kind, UINT dpi) {
    static std::map<std::pair<TFontKind, UINT>, HFONT> fonts;
    HFONT& font = fonts[{kind, dpi}];
    if (!font) {
        const LOGFONTW description = FontFor(kind, dpi);
        font = CreateFontIndirectW(&description);
    }
    return font;
}

HWND TLayout::Create(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT design,
                     HWND parent, TFontKind font, DWORD exStyle) {
    HWND child =
        CreateWindowExW(exStyle, windowClass, text.c_str(), style | WS_CHILD | WS_CLIPSIBLINGS,
                        Scaled(design.left, FDpi), Scaled(design.top, FDpi), Scaled(design.right, FDpi),
                        Scaled(design.bottom, FDpi), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(ScreenFont(font, FDpi)), FALSE);
    SetPropW(child, LayoutProperty, this);
    Places.push_back({child, design, font});
    return child;
}

TLayout* TLayout::Of(HWND child) {
    return static_cast<TLayout*>(GetPropW(child, LayoutProperty));
}

void TLayout::Move(HWND child, RECT design) {
    for (TPlace& place : Places)
        if (place.Child == child)
            place.Design = design;
    MoveWindow(child, Scaled(design.left, FDpi), Scaled(design.top, FDpi), Scaled(design.right, FDpi),
               Scaled(design.bottom, FDpi), TRUE);
    // A centred text is drawn anew across its new width, not only where it grew.
    InvalidateRect(child, nullptr, TRUE);
}

void TLayout::Apply(UINT dpi) {
    FDpi = dpi;
    for (const TPlace& place : Places) {
        SendMessageW(place.Child, WM_SETFONT, reinterpret_cast<WPARAM>(ScreenFont(place.Font, dpi)), FALSE);
        MoveWindow(place.Child, Scaled(place.Design.left, dpi), Scaled(place.Design.top, dpi),
                   Scaled(place.Design.right, dpi), Scaled(place.Design.bottom, dpi), TRUE);
    }
}

TWindow::~TWindow() {
    if (FHandle) {
        ForgetBindings(FHandle);
        SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
        DestroyWindow(FHandle);
    }
}

void TWindow::CreateWindowFor(const std::wstring& caption, DWORD style, int clientWidth, int clientHeight,
                              HWND owner, DWORD exStyle) {
    FStyle = style;
    FExStyle = exStyle;
    FHandle = CreateWindowExW(exStyle, EditorClass(WindowClass, Procedure), caption.c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleW(nullptr), this);
    Layout.SetDpi(GetDpiForWindow(FHandle));
    SetClientSize(clientWidth, clientHeight);
}

void TWindow::SetClientSize(int clientWidth, int clientHeight) {
    const UINT dpi = Layout.Dpi();
    RECT frame{0, 0, Scaled(clientWidth, dpi), Scaled(clientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, FStyle, FALSE, FExStyle, dpi);
    SetWindowPos(FHandle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT TWindow::Message(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchToBinding(message, wParam, lParam, result) || ColourChild(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_DPICHANGED: {
        Layout.Apply(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(FHandle, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    // The dialog manager moves the focus with this (the arrow keys in a group of radio buttons),
    // which only a dialog's own procedure answers.
    case WM_NEXTDLGCTL: {
        HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                   : GetNextDlgTabItem(FHandle, GetFocus(), wParam != 0);
        if (next)
            SetFocus(next);
        return 0;
    }
    case WM_DESTROY:
        ForgetBindings(FHandle);
        break;
    default:
        break;
    }
    return Default(message, wParam, lParam);
}

LRESULT TWindow::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(FHandle, message, wParam, lParam);
}

LRESULT CALLBACK TWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->FHandle = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = self->Message(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return result;
}

const wchar_t* EditorClass(const wchar_t* name, WNDPROC procedure) {
    static std::set<std::wstring> registered;
    if (registered.insert(name).second) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = name;
        RegisterClassExW(&windowClass);
    }
    return name;
}

namespace {
std::function<bool(const MSG&)>& KeyHandler() {
    static std::function<bool(const MSG&)> handler;
    return handler;
}
} // namespace

void SetKeyHandler(std::function<bool(const MSG&)> handler) {
    KeyHandler() = std::move(handler);
}

namespace {
void ShowFocused(HWND focused);
} // namespace

bool RunMessages(const std::function<bool()>& done) {
    // The focus as the last message left it: when a message moved it, the view follows.
    static HWND focus = nullptr;
    MSG message;
    while (!done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        if (got < 0)
            return false;
        if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) && KeyHandler() &&
            KeyHandler()(message))
            continue;
        // Tab, Enter and Escape move and press as in any dialog, in each of the editor's windows.
        HWND root = GetAncestor(message.hwnd, GA_ROOT);
        if (!root ||
            GetWindowLongPtrW(root, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&TWindow::Procedure) ||
            !IsDialogMessageW(root, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (GetFocus() != focus)
            ShowFocused(focus = GetFocus());
    }
    return true;
}

namespace {
constexpr wchar_t TextColourProperty[] = L"VarokTextColour";
// Marks a colour as given, so that black is one too.
constexpr ULONG_PTR ColourGiven = 0x1000000;
} // namespace

void SetTextColour(HWND label, COLORREF colour) {
    SetPropW(label, TextColourProperty,
             reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(colour) | ColourGiven));
}

bool ColourChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_CTLCOLORSTATIC)
        return false;
    const auto colour =
        reinterpret_cast<ULONG_PTR>(GetPropW(reinterpret_cast<HWND>(lParam), TextColourProperty));
    if (!(colour & ColourGiven))
        return false;
    auto* paint = reinterpret_cast<HDC>(wParam);
    SetTextColor(paint, static_cast<COLORREF>(colour & ~ColourGiven));
    SetBkColor(paint, GetSysColor(COLOR_BTNFACE));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

namespace {
LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchToBinding(message, wParam, lParam, result) || ColourChild(message, wParam, lParam, result))
        return result;
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

HWND CreatePanel(TLayout& layout, RECT design, HWND parent, DWORD style, DWORD exStyle) {
    return layout.Create(EditorClass(L"VarokConfigPanel", PanelProcedure), L"", style | WS_CLIPCHILDREN,
                         design, parent, TFontKind::Normal, exStyle | WS_EX_CONTROLPARENT);
}

namespace {
constexpr wchar_t ScrollerClass[] = L"VarokConfigScroller";
// Pixels one click on a bar's arrow scrolls; a notch of the wheel scrolls three times as far.
constexpr int ScrollLine = 20;

HWND Canvas(HWND scroller) {
    return GetWindow(scroller, GW_CHILD);
}

void PlaceCanvas(HWND scroller) {
    SetWindowPos(Canvas(scroller), nullptr, -GetScrollPos(scroller, SB_HORZ),
                 -GetScrollPos(scroller, SB_VERT), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ScrollTo(HWND scroller, int bar, int position) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    GetScrollInfo(scroller, bar, &info);
    const int last = std::max(info.nMin, info.nMax - static_cast<int>(info.nPage) + 1);
    position = std::clamp(position, info.nMin, last);
    if (position == info.nPos)
        return;
    SetScrollPos(scroller, bar, position, TRUE);
    PlaceCanvas(scroller);
}

// Where a bar's request (arrow, page, thumb) takes its position.
int Requested(HWND scroller, int bar, WORD request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(scroller, bar, &info);
    const int page = static_cast<int>(info.nPage);
    switch (request) {
    case SB_LINEUP:
        return info.nPos - ScrollLine;
    case SB_LINEDOWN:
        return info.nPos + ScrollLine;
    case SB_PAGEUP:
        return info.nPos - page;
    case SB_PAGEDOWN:
        return info.nPos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return info.nTrackPos;
    case SB_TOP:
        return info.nMin;
    case SB_BOTTOM:
        return info.nMax;
    default:
        return info.nPos;
    }
}

// Every scrolled view that holds the focused control scrolls just far enough to show it.
void ShowFocused(HWND focused) {
    wchar_t name[64] = {};
    for (HWND child = focused, parent = nullptr; child && (parent = GetParent(child)); child = parent) {
        if (!GetClassNameW(parent, name, 64) || std::wstring_view(name) != ScrollerClass)
            continue;
        RECT shown{};
        GetWindowRect(focused, &shown);
        MapWindowPoints(nullptr, child, reinterpret_cast<POINT*>(&shown), 2);
        RECT view{};
        GetClientRect(parent, &view);
        ScrollTo(parent, SB_VERT,
                 TMainLayout::ScrollToShow(GetScrollPos(parent, SB_VERT), view.bottom, shown.top,
                                           shown.bottom - shown.top));
        ScrollTo(parent, SB_HORZ,
                 TMainLayout::ScrollToShow(GetScrollPos(parent, SB_HORZ), view.right, shown.left,
                                           shown.right - shown.left));
    }
}

LRESULT CALLBACK ScrollerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchToBinding(message, wParam, lParam, result) || ColourChild(message, wParam, lParam, result))
        return result;
    switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL: {
        const int bar = message == WM_VSCROLL ? SB_VERT : SB_HORZ;
        ScrollTo(window, bar, Requested(window, bar, LOWORD(wParam)));
        return 0;
    }
    case WM_MOUSEWHEEL:
        ScrollTo(window, SB_VERT,
                 GetScrollPos(window, SB_VERT) -
                     GET_WHEEL_DELTA_WPARAM(wParam) * 3 * ScrollLine / WHEEL_DELTA);
        return 0;
    case WM_SIZE:
        UpdateScroller(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
} // namespace

HWND CreateScroller(HWND parent) {
    return CreateWindowExW(WS_EX_CONTROLPARENT, EditorClass(ScrollerClass, ScrollerProcedure), L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

void UpdateScroller(HWND scroller) {
    RECT canvas{};
    GetWindowRect(Canvas(scroller), &canvas);
    // Each bar that comes or goes narrows or widens the view the other bar measures.
    for (int bar : {SB_HORZ, SB_VERT, SB_HORZ}) {
        RECT view{};
        GetClientRect(scroller, &view);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMax = (bar == SB_HORZ ? canvas.right - canvas.left : canvas.bottom - canvas.top) - 1;
        info.nPage = static_cast<UINT>(bar == SB_HORZ ? view.right : view.bottom);
        SetScrollInfo(scroller, bar, &info, TRUE);
    }
    PlaceCanvas(scroller);
}
