#include "Painter.h"
#include "Native.h"
#include "base/WideText.h"
#include "ui/Pictures.h"
#include <cmath>
#include <map>

using namespace Gdiplus;

namespace {
Color Of(TColour colour) {
    return Color(colour.Alpha, colour.Red, colour.Green, colour.Blue);
}

void SetStroke(Pen& pen, const TShape& shape) {
    const LineCap cap = shape.Dashes.empty() ? (shape.Round ? LineCapRound : LineCapSquare) : LineCapFlat;
    pen.SetLineCap(cap, cap, DashCapFlat);
    pen.SetLineJoin(shape.Round ? LineJoinRound : LineJoinMiter);
    if (!shape.Dashes.empty()) {
        // GDI+ counts dashes in pen widths.
        std::vector<REAL> pattern;
        for (double length : shape.Dashes)
            pattern.push_back(static_cast<REAL>(length / shape.StrokeWidth));
        pen.SetDashPattern(pattern.data(), static_cast<INT>(pattern.size()));
    }
}

// The editor's face at a text's size and weight, made once, and how far its baseline lies below
// its top, in the drawing's units.
std::pair<HFONT, int> Face(const TShape& shape) {
    static std::map<std::pair<long, bool>, std::pair<HFONT, int>> made;
    auto& [font, ascent] = made[{std::lround(shape.FontSize), shape.Bold}];
    if (!font) {
        LOGFONTW face{};
        GetObjectW(ScreenFont(TFontKind::Normal, DesignDpi), sizeof face, &face);
        face.lfHeight = -std::lround(shape.FontSize);
        face.lfWeight = shape.Bold ? FW_BOLD : FW_NORMAL;
        font = CreateFontIndirectW(&face);
        HDC screen = GetDC(nullptr);
        const HGDIOBJ before = SelectObject(screen, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(screen, &metrics);
        SelectObject(screen, before);
        ReleaseDC(nullptr, screen);
        ascent = metrics.tmAscent;
    }
    return {font, ascent};
}

void Text(Graphics& g, const TShape& shape, PointF at) {
    const auto [face, ascent] = Face(shape);
    HDC screen = GetDC(nullptr);
    const Font font(screen, face);
    ReleaseDC(nullptr, screen);
    // The point is on the baseline; GDI+ places a text by its top.
    StringFormat format(StringFormat::GenericTypographic());
    format.SetAlignment(shape.Anchor == TAnchor::Middle ? StringAlignmentCenter
                        : shape.Anchor == TAnchor::End  ? StringAlignmentFar
                                                        : StringAlignmentNear);
    const SolidBrush brush(Of(shape.Fill));
    const std::wstring wide = WideText(shape.Text);
    g.DrawString(wide.c_str(), static_cast<INT>(wide.size()), &font,
                 PointF(at.X, at.Y - static_cast<REAL>(ascent)), &format, &brush);
}
} // namespace

void Paint(Graphics& g, const TDrawing& drawing) {
    for (const TShape& shape : drawing.Shapes) {
        std::vector<PointF> points;
        for (const TPointF& p : shape.Points)
            points.emplace_back(static_cast<REAL>(p.X), static_cast<REAL>(p.Y));
        const auto count = static_cast<INT>(points.size());
        const RectF box =
            count == 2 ? RectF(points[0].X, points[0].Y, points[1].X - points[0].X, points[1].Y - points[0].Y)
                       : RectF();
        SolidBrush fill(Of(shape.Fill));
        Pen pen(Of(shape.Stroke), static_cast<REAL>(shape.StrokeWidth));
        SetStroke(pen, shape);
        const bool filled = shape.Fill.Alpha > 0, stroked = shape.Stroke.Alpha > 0;
        switch (shape.Kind) {
        case TShapeKind::Line:
            g.DrawLine(&pen, points[0], points[1]);
            break;
        case TShapeKind::Polyline:
            g.DrawLines(&pen, points.data(), count);
            break;
        case TShapeKind::Polygon:
            if (filled)
                g.FillPolygon(&fill, points.data(), count);
            if (stroked)
                g.DrawPolygon(&pen, points.data(), count);
            break;
        case TShapeKind::Rect:
            if (filled)
                g.FillRectangle(&fill, box);
            if (stroked)
                g.DrawRectangle(&pen, box);
            break;
        case TShapeKind::Ellipse:
            if (filled)
                g.FillEllipse(&fill, box);
            if (stroked)
                g.DrawEllipse(&pen, box);
            break;
        case TShapeKind::Text:
            Text(g, shape, points[0]);
            break;
        }
    }
}

HICON Icon(const TDrawing& drawing, int size) {
    if (drawing.Shapes.empty())
        return nullptr;
    Bitmap bitmap(size, size, PixelFormat32bppARGB);
    {
        Graphics g(&bitmap);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.Clear(Color(0, 0, 0, 0));
        g.ScaleTransform(static_cast<REAL>(size) / static_cast<REAL>(drawing.Width),
                         static_cast<REAL>(size) / static_cast<REAL>(drawing.Height));
        Paint(g, drawing);
    }
    HICON icon = nullptr;
    bitmap.GetHICON(&icon);
    return icon;
}

HICON ListedIcon(int imageIndex) {
    static std::map<int, HICON> drawn;
    const auto it = drawn.find(imageIndex);
    return it != drawn.end() ? it->second
                             : drawn[imageIndex] = Icon(TPictures::Listed(imageIndex), TPictures::ZoneSize);
}
