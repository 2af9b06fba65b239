#include "TimelineWindow.h"
#include "Bind.h"
#include "Painter.h"
#include "forms/TimelineForm.h"
#include "report/TimelineShapes.h"
#include <algorithm>

using namespace Gdiplus;

namespace {
constexpr wchar_t CanvasClass[] = L"VarokConfigTimeline";

LRESULT CALLBACK CanvasProcedure(HWND canvas, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND)
        return 1;
    if (message != WM_PAINT)
        return DefWindowProcW(canvas, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(canvas, &paint);
    RECT area{};
    GetClientRect(canvas, &area);
    const UINT dpi = GetDpiForWindow(canvas);
    // Drawn off the screen first, so a refill during a read does not flicker.
    Bitmap buffer(std::max<int>(area.right, 1), std::max<int>(area.bottom, 1), PixelFormat32bppARGB);
    {
        Graphics g(&buffer);
        g.Clear(Color(255, 255, 255));
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
        const REAL scale = static_cast<REAL>(dpi) / DesignDpi;
        g.ScaleTransform(scale, scale);
        if (auto* form = reinterpret_cast<TTimelineForm*>(GetWindowLongPtrW(canvas, GWLP_USERDATA)))
            Paint(g, TTimelineShapes::Draw(form->Model, MulDiv(area.right, DesignDpi, static_cast<int>(dpi)),
                                           MulDiv(area.bottom, DesignDpi, static_cast<int>(dpi))));
    }
    Graphics(dc).DrawImage(&buffer, 0, 0);
    EndPaint(canvas, &paint);
    return 0;
}
} // namespace

TTimelineWindow::TTimelineWindow(TTimelineForm& form, HWND owner)
    : TFormWindow(form, owner, false, POINT{TTimelineForm::OpeningLeft, TTimelineForm::OpeningTop}) {
    Scroller = CreateScroller(Handle());
    HWND canvas = CreateWindowExW(0, EditorClass(CanvasClass, CanvasProcedure), L"", WS_CHILD | WS_VISIBLE, 0,
                                  0, 0, 0, Scroller, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(canvas, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form));
    // The canvas is as wide as the window and as high as the drawing, or the window where that is
    // higher; the scroller shows the part that fits.
    OnResize = [this, canvas, &form] {
        RECT client{};
        GetClientRect(Handle(), &client);
        MoveWindow(Scroller, 0, 0, client.right, client.bottom, TRUE);
        const UINT dpi = GetDpiForWindow(canvas);
        // The texts wrap within the width, so the drawing's height follows it.
        const auto heightAt = [&](int width) {
            return Scaled(
                TTimelineShapes::Height(form.Model, MulDiv(width, DesignDpi, static_cast<int>(dpi))), dpi);
        };
        const int width =
            client.right - (heightAt(client.right) > client.bottom ? GetSystemMetrics(SM_CXVSCROLL) : 0);
        MoveWindow(canvas, 0, 0, width, std::max<int>(heightAt(width), client.bottom), TRUE);
        UpdateScroller(Scroller);
        InvalidateRect(canvas, nullptr, FALSE);
    };
    // Every rebuild of the model is painted; a model of another size scrolls anew.
    Follow(form, Scroller, [this] { OnResize(); });
}
