#pragma once
#include <windows.h>
// The forms' MessageBox, not the system's macro of that name: the editor calls MessageBoxW.
#undef MessageBox
#include <functional>
#include <string>
#include <vector>

// Design sizes are pixels at 96 dots per inch; the window scales them to its monitor.
constexpr UINT DesignDpi = 96;
inline int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), static_cast<int>(DesignDpi));
}

enum class TFontKind { Normal, Bold, Small, Tiny };

// The fonts of one scale, made once per dots-per-inch value and kept for the run.
HFONT ScreenFont(TFontKind kind, UINT dpi);

// The child windows of one top-level window with their design places and fonts. When the
// window moves to a monitor of another scale it places and dresses them all again.
class TLayout {
public:
    // Creates a child of parent at the design rectangle (x, y, width, height).
    HWND Create(const wchar_t* windowClass, const std::wstring& text, DWORD style, RECT design, HWND parent,
                TFontKind font = TFontKind::Normal, DWORD exStyle = 0);
    void Move(HWND child, RECT design);
    // The layout a child was created by; null for any other window.
    static TLayout* Of(HWND child);
    void Apply(UINT dpi);
    UINT Dpi() const { return FDpi; }
    void SetDpi(UINT dpi) { FDpi = dpi; }

private:
    struct TPlace {
        HWND Child;
        RECT Design; // left, top, width, height
        TFontKind Font;
    };
    std::vector<TPlace> Places;
    UINT FDpi = DesignDpi;
};

// A top-level window of the editor: its class, its layout, and the routing of its
// children's notifications to their binders. Subclasses add their own messages.
class TWindow {
public:
    virtual ~TWindow();
    TWindow() = default;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    HWND Handle() const { return FHandle; }

protected:
    // A window whose client area is clientWidth x clientHeight design pixels.
    void CreateWindowFor(const std::wstring& caption, DWORD style, int clientWidth, int clientHeight,
                         HWND owner, DWORD exStyle = 0);
    // Client size in design pixels, for a window whose size follows its form.
    void SetClientSize(int clientWidth, int clientHeight);
    virtual LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    TLayout Layout;
    HWND FHandle = nullptr;

public:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    DWORD FStyle = 0, FExStyle = 0;
};

// A window class of the editor's, registered on first use: the arrow cursor, the dialogs' face
// colour. Answers its name.
const wchar_t* EditorClass(const wchar_t* name, WNDPROC procedure);

// Keys that run commands wherever the focus is in the window: the handler sees every key
// press first and answers true when it took it.
void SetKeyHandler(std::function<bool(const MSG&)> handler);

// The message loop of the program, also run by modal windows until done() is true.
// Answers false when the program was asked to quit meanwhile (the quit is kept).
bool RunMessages(const std::function<bool()>& done);

// The colour of a static control's text, asked for when it paints (WM_CTLCOLORSTATIC).
void SetTextColour(HWND label, COLORREF colour);
// For a window procedure: answers WM_CTLCOLORSTATIC for a child given its own colour.
bool ColourChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// A plain child window that holds other controls (the progress panel, a group of
// parameters): hiding it hides them, and their notifications reach their binders.
HWND CreatePanel(TLayout& layout, RECT design, HWND parent, DWORD style = 0, DWORD exStyle = 0);

// A child window that shows a part of its one child, the canvas, with scroll bars where the
// canvas does not fit; the wheel scrolls it up and down.
HWND CreateScroller(HWND parent);
// After the scroller or its canvas changed size, or the canvas was placed anew.
void UpdateScroller(HWND scroller);
