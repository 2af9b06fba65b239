#include "TimelineWindow.h"
#include "Bind.h"
#include "base/WideText.h"
#include "report/TimelineForm.h"
#include <algorithm>
#include <commctrl.h>
// After the standard headers: GDI+ wants the Windows min and max.
#include <gdiplus.h>

using namespace Gdiplus;

namespace {
constexpr wchar_t CanvasClass[] = L"VarokConfigTimeline";
constexpr int Margin = 10;
constexpr int LabelWidth = 230;
constexpr int Header = 34;
constexpr int Lane = 54;
constexpr int BandHeight = 16;
constexpr int AxisRoom = 40;
// A play is painted on its own only when a play and its pause take this many pixels or more.
constexpr int SmallestPeriod = 3;

const Color BandFill(0xd7, 0xe3, 0xf0);
const Color PlayFill(0x3a, 0x6e, 0xa5);
const Color Outline(0x22, 0x44, 0x66);
const Color Warning(0xcc, 0x00, 0x00);
const Color Black(0, 0, 0);

int ContentHeight(const TTimeline& model) {
    return Header + std::max<int>(static_cast<int>(model.Stages.size()), 1) * Lane + AxisRoom;
}

void Text(Graphics& g, const std::string& text, const Font& font, const Color& colour, RectF where,
          StringAlignment across = StringAlignmentNear) {
    const std::wstring wide = WideText(text);
    StringFormat format;
    format.SetAlignment(across);
    format.SetLineAlignment(StringAlignmentCenter);
    format.SetFormatFlags(StringFormatFlagsNoWrap);
    SolidBrush brush(colour);
    g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font, where, &format, &brush);
}

// Paints the model in design pixels, width wide, from the top of the content.
void Paint(Graphics& g, const TTimeline& model, int width, int height) {
    SolidBrush white(Color(255, 255, 255));
    g.FillRectangle(&white, 0, 0, width, std::max(height, ContentHeight(model)));
    // The editor's own fonts at the design scale: the drawing is scaled as a whole.
    HDC screen = GetDC(nullptr);
    const Font normal(screen, ScreenFont(TFontKind::Normal, DesignDpi));
    const Font bold(screen, ScreenFont(TFontKind::Bold, DesignDpi));
    const Font small(screen, ScreenFont(TFontKind::Small, DesignDpi));
    ReleaseDC(nullptr, screen);
    if (model.Stages.empty()) {
        Text(g, TTimeline::NoStage, normal, Black,
             RectF(0, 0, static_cast<REAL>(width), static_cast<REAL>(height)), StringAlignmentCenter);
        return;
    }
    const int plotLeft = LabelWidth;
    const int plotRight = std::max(width - Margin - 16, plotLeft + 50);
    const int64_t axisEnd = model.AxisEnd();
    const auto x = [&](int64_t seconds) {
        const int64_t clamped = std::clamp<int64_t>(seconds, 0, axisEnd);
        return plotLeft + static_cast<int>(static_cast<double>(clamped) * (plotRight - plotLeft) /
                                           static_cast<double>(axisEnd));
    };
    const int lanes = static_cast<int>(model.Stages.size());
    const int axisY = Header + lanes * Lane + 6;

    Text(g, model.TotalCaption(), bold, Warning, RectF(plotLeft, 4, plotRight - plotLeft, Header - 14),
         StringAlignmentFar);
    if (model.Total) {
        Pen dashed(Warning, 2);
        dashed.SetDashStyle(DashStyleDash);
        g.DrawLine(&dashed, x(*model.Total), Header - 8, x(*model.Total), axisY);
    }

    for (int i = 0; i < lanes; ++i) {
        const TTimelineStage& stage = model.Stages[static_cast<size_t>(i)];
        const int y = Header + i * Lane;
        if (i % 2 == 1) {
            SolidBrush stripe(Color(0xf3, 0xf3, 0xf3));
            g.FillRectangle(&stripe, 0, y, width, Lane);
        }
        Text(g, stage.Title(), bold, Black, RectF(Margin, y + 6, LabelWidth - Margin, 16));
        Text(g, stage.Detail(), small, Black, RectF(Margin, y + 24, LabelWidth - Margin, 14));

        const int x0 = x(stage.Start);
        const int x1 = stage.End ? x(*stage.End) : plotRight;
        const Rect band(x0, y + 4, std::max(x1 - x0, 1), BandHeight);
        SolidBrush bandFill(BandFill), playFill(PlayFill);
        g.FillRectangle(&bandFill, band);
        const auto segments = stage.Segments(axisEnd);
        if (!segments.empty() && x(stage.Start + stage.Length + stage.Pause) - x0 >= SmallestPeriod) {
            for (const TTimelineSegment& segment : segments)
                if (segment.Play && segment.Start < axisEnd)
                    // Plays without a pause between them keep a hairline apart.
                    g.FillRectangle(
                        &playFill, x(segment.Start), band.Y,
                        std::max(x(segment.End) - x(segment.Start) - (stage.Pause == 0 ? 1 : 0), 1),
                        BandHeight);
        } else if (!stage.LengthUnknown) {
            SolidBrush faint(Color(150, PlayFill.GetR(), PlayFill.GetG(), PlayFill.GetB()));
            g.FillRectangle(&faint, band);
        }
        Pen outline(stage.LengthUnknown ? Warning : Outline, 1);
        if (stage.LengthUnknown)
            outline.SetDashStyle(DashStyleDash);
        g.DrawRectangle(&outline, band);
        if (!stage.End) {
            const Point arrow[] = {{plotRight, band.Y - 3},
                                   {plotRight + 13, band.Y + BandHeight / 2},
                                   {plotRight, band.Y + BandHeight + 3}};
            SolidBrush head(Outline);
            g.FillPolygon(&head, arrow, 3);
        }

        // Texts too long for the room right of the band's start end at the right edge.
        const std::wstring reach = WideText(stage.Reach());
        RectF measured;
        g.MeasureString(reach.c_str(), static_cast<INT>(reach.size()), &normal, PointF(0, 0), &measured);
        const bool right = x0 + measured.Width > width - Margin;
        const RectF under = right ? RectF(plotLeft, y + BandHeight + 6, width - Margin - plotLeft, 16)
                                  : RectF(x0, y + BandHeight + 6, width - x0, 16);
        const StringAlignment align = right ? StringAlignmentFar : StringAlignmentNear;
        Text(g, stage.Reach(), normal, Black, under, align);
        if (stage.LengthUnknown)
            Text(g, TTimeline::UnknownLength, small, Warning,
                 RectF(under.X, under.Y + 15, under.Width, under.Height), align);
    }

    Pen axis(Black, 1);
    g.DrawLine(&axis, plotLeft, axisY, plotRight, axisY);
    const int64_t step = TTimeline::AxisStep(axisEnd, std::max((plotRight - plotLeft) / 70, 2));
    for (int64_t t = 0; t <= axisEnd; t += step) {
        g.DrawLine(&axis, x(t), axisY, x(t), axisY + 5);
        Text(g, std::to_string(t), small, Black, RectF(x(t) - 30, axisY + 6, 60, 16), StringAlignmentCenter);
    }
    Text(g, "сек", small, Black, RectF(plotLeft - 60, axisY + 6, 52, 16), StringAlignmentFar);
}

void Scroll(HWND canvas, int to) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(canvas, SB_VERT, &info);
    const int top = std::clamp(to, 0, std::max(info.nMax - static_cast<int>(info.nPage) + 1, 0));
    if (top != info.nPos) {
        SetScrollPos(canvas, SB_VERT, top, TRUE);
        InvalidateRect(canvas, nullptr, FALSE);
    }
}

LRESULT CALLBACK CanvasProcedure(HWND canvas, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<TTimelineForm*>(GetWindowLongPtrW(canvas, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(canvas, &paint);
        RECT area{};
        GetClientRect(canvas, &area);
        const UINT dpi = GetDpiForWindow(canvas);
        // Drawn off the screen first, so a refill during a read does not flicker.
        Bitmap buffer(std::max<int>(area.right, 1), std::max<int>(area.bottom, 1), PixelFormat32bppARGB);
        {
            Graphics g(&buffer);
            g.SetSmoothingMode(SmoothingModeAntiAlias);
            g.SetTextRenderingHint(TextRenderingHintClearTypeGridFit);
            const REAL scale = static_cast<REAL>(dpi) / DesignDpi;
            g.ScaleTransform(scale, scale);
            g.TranslateTransform(0, -static_cast<REAL>(GetScrollPos(canvas, SB_VERT)) / scale);
            if (form)
                Paint(g, form->Model, MulDiv(area.right, DesignDpi, dpi),
                      MulDiv(area.bottom, DesignDpi, dpi));
        }
        Graphics(dc).DrawImage(&buffer, 0, 0);
        EndPaint(canvas, &paint);
        return 0;
    }
    case WM_SIZE: {
        if (!form)
            break;
        const UINT dpi = GetDpiForWindow(canvas);
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMax = Scaled(ContentHeight(form->Model), dpi) - 1;
        info.nPage = HIWORD(lParam);
        SetScrollInfo(canvas, SB_VERT, &info, TRUE);
        Scroll(canvas, GetScrollPos(canvas, SB_VERT));
        InvalidateRect(canvas, nullptr, FALSE);
        return 0;
    }
    case WM_MOUSEWHEEL:
        Scroll(canvas, GetScrollPos(canvas, SB_VERT) - GET_WHEEL_DELTA_WPARAM(wParam) / 2);
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        GetScrollInfo(canvas, SB_VERT, &info);
        int to = info.nPos;
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            to -= 20;
            break;
        case SB_LINEDOWN:
            to += 20;
            break;
        case SB_PAGEUP:
            to -= static_cast<int>(info.nPage);
            break;
        case SB_PAGEDOWN:
            to += static_cast<int>(info.nPage);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            to = info.nTrackPos;
            break;
        default:
            break;
        }
        Scroll(canvas, to);
        return 0;
    }
    default:
        break;
    }
    return DefWindowProcW(canvas, message, wParam, lParam);
}
} // namespace

TTimelineWindow::TTimelineWindow(TTimelineForm& form, HWND owner)
    : TFormWindow(form, owner, false, POINT{60, 120}) {
    static const ATOM registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = CanvasProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = CanvasClass;
        return RegisterClassExW(&windowClass);
    }();
    (void)registered;
    Canvas = Controls().Create(CanvasClass, L"", WS_VISIBLE | WS_VSCROLL, {0, 0, form.Width, form.Height()},
                               Handle());
    SetWindowLongPtrW(Canvas, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&form));
    OnResize = [this] {
        RECT client{};
        GetClientRect(Handle(), &client);
        MoveWindow(Canvas, 0, 0, client.right, client.bottom, TRUE);
    };
    // Every rebuild of the model is painted; a model of another size scrolls anew.
    Follow(form, Canvas, [this] {
        RECT client{};
        GetClientRect(Canvas, &client);
        SendMessageW(Canvas, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    });
}
