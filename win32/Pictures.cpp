#include "Pictures.h"
#include "forms/AlgorithmEditor.h"
#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
// GDI+ wants the Windows min and max, which the standard library's headers must not see.
#include <gdiplus.h>

using namespace Gdiplus;

namespace {
constexpr int DesignSize = 24;
constexpr int ZoneSize = 16;

using TPainter = void (*)(Graphics&);

HICON Draw(int size, int designSize, const std::function<void(Graphics&)>& paint) {
    Bitmap bitmap(size, size, PixelFormat32bppARGB);
    {
        Graphics g(&bitmap);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.Clear(Color(0, 0, 0, 0));
        g.ScaleTransform(static_cast<REAL>(size) / designSize, static_cast<REAL>(size) / designSize);
        paint(g);
    }
    HICON icon = nullptr;
    bitmap.GetHICON(&icon);
    return icon;
}

Color Rgb(BYTE r, BYTE g, BYTE b) {
    return Color(255, r, g, b);
}

void Polygon(Graphics& g, const Color& line, const Color& fill, std::initializer_list<PointF> points) {
    const std::vector<PointF> corners(points);
    SolidBrush brush(fill);
    Pen pen(line, 1);
    g.FillPolygon(&brush, corners.data(), static_cast<INT>(corners.size()));
    g.DrawPolygon(&pen, corners.data(), static_cast<INT>(corners.size()));
}

void Box(Graphics& g, const Color& line, const Color& fill, RectF box) {
    SolidBrush brush(fill);
    Pen pen(line, 1);
    g.FillRectangle(&brush, box);
    g.DrawRectangle(&pen, box);
}

void Dot(Graphics& g, const Color& line, const Color& fill, PointF centre, REAL radius) {
    SolidBrush brush(fill);
    Pen pen(line, 1);
    g.FillEllipse(&brush, centre.X - radius, centre.Y - radius, 2 * radius, 2 * radius);
    g.DrawEllipse(&pen, centre.X - radius, centre.Y - radius, 2 * radius, 2 * radius);
}

void Line(Graphics& g, const Color& colour, REAL width, PointF from, PointF to) {
    Pen pen(colour, width);
    pen.SetStartCap(LineCapRound);
    pen.SetEndCap(LineCapRound);
    g.DrawLine(&pen, from, to);
}

void Page(Graphics& g) {
    Polygon(g, Rgb(90, 90, 90), Rgb(255, 255, 255), {{5, 2}, {14, 2}, {19, 7}, {19, 22}, {5, 22}});
    Polygon(g, Rgb(90, 90, 90), Rgb(210, 210, 210), {{14, 2}, {14, 7}, {19, 7}});
}

void Arrow(Graphics& g, PointF from, PointF to, const Color& colour) {
    Line(g, colour, 2.5f, from, to);
    const REAL length = std::max(1.0f, std::hypot(to.X - from.X, to.Y - from.Y));
    const PointF d((to.X - from.X) / length, (to.Y - from.Y) / length);
    const PointF n(-d.Y, d.X);
    Line(g, colour, 2.5f, PointF(to.X - 5 * d.X + 4 * n.X, to.Y - 5 * d.Y + 4 * n.Y), to);
    Line(g, colour, 2.5f, PointF(to.X - 5 * d.X - 4 * n.X, to.Y - 5 * d.Y - 4 * n.Y), to);
}

void Controller(Graphics& g) {
    Box(g, Rgb(40, 60, 90), Rgb(70, 110, 160), RectF(2.5f, 14.5f, 19, 8));
    Dot(g, Rgb(40, 60, 90), Rgb(120, 220, 120), PointF(6.5f, 18.5f), 1.5f);
    Dot(g, Rgb(40, 60, 90), Rgb(240, 200, 60), PointF(11, 18.5f), 1.5f);
}

void NewPicture(Graphics& g) {
    Page(g);
    // A small sparkle: something fresh.
    for (int a = 0; a < 180; a += 45) {
        const REAL x = 4 * std::cos(a * 3.14159265f / 180), y = 4 * std::sin(a * 3.14159265f / 180);
        Line(g, Rgb(230, 170, 0), 1.5f, PointF(15 + x, 16 - y), PointF(15 - x, 16 + y));
    }
}

void OpenPicture(Graphics& g) {
    Polygon(g, Rgb(150, 110, 20), Rgb(235, 190, 80), {{2, 5}, {9, 5}, {11, 7}, {20, 7}, {20, 20}, {2, 20}});
    Polygon(g, Rgb(150, 110, 20), Rgb(250, 215, 120), {{5, 11}, {23, 11}, {20, 20}, {2, 20}});
}

void SavePicture(Graphics& g) {
    Box(g, Rgb(30, 50, 90), Rgb(60, 100, 170), RectF(3.5f, 3.5f, 17, 17));
    Box(g, Rgb(30, 50, 90), Rgb(255, 255, 255), RectF(6.5f, 3.5f, 11, 7));
    Box(g, Rgb(30, 50, 90), Rgb(200, 200, 200), RectF(7.5f, 14.5f, 9, 6));
    Box(g, Rgb(30, 50, 90), Rgb(60, 100, 170), RectF(13.5f, 4.5f, 2, 5));
}

void ReportPicture(Graphics& g) {
    Page(g);
    for (int y = 9; y <= 19; y += 3)
        Line(g, Rgb(60, 60, 140), 1, PointF(8, y + 0.5f), PointF(y == 9 ? 12.0f : 16.0f, y + 0.5f));
}

void FindPicture(Graphics& g) {
    // A plug entering a socket: connecting to the controller.
    Box(g, Rgb(60, 60, 60), Rgb(90, 90, 90), RectF(3.5f, 8.5f, 8, 8));
    Line(g, Rgb(170, 170, 170), 2, PointF(12, 10.5f), PointF(16, 10.5f));
    Line(g, Rgb(170, 170, 170), 2, PointF(12, 14.5f), PointF(16, 14.5f));
    Line(g, Rgb(50, 50, 50), 2, PointF(3, 12.5f), PointF(1, 12.5f));
    Box(g, Rgb(30, 60, 110), Rgb(70, 110, 160), RectF(17.5f, 6.5f, 5, 12));
}

void ReadPicture(Graphics& g) {
    Controller(g);
    Arrow(g, PointF(17, 12), PointF(17, 2), Rgb(30, 140, 40));
}

void WritePicture(Graphics& g) {
    Controller(g);
    Arrow(g, PointF(17, 2), PointF(17, 12), Rgb(200, 60, 30));
}

// A curved arrow turning back (undo) or forward (redo).
void TurnPicture(Graphics& g, bool back) {
    const Color colour = Rgb(40, 90, 170);
    if (back) {
        g.TranslateTransform(24, 0);
        g.ScaleTransform(-1, 1);
    }
    Pen pen(colour, 2.5f);
    pen.SetStartCap(LineCapRound);
    g.DrawBezier(&pen, PointF(5, 19), PointF(5, 5), PointF(17, 5), PointF(18, 12));
    SolidBrush head(colour);
    const PointF tip[] = {{13, 11}, {22, 10}, {18, 18}};
    g.FillPolygon(&head, tip, 3);
}

void UndoPicture(Graphics& g) {
    TurnPicture(g, true);
}

void RedoPicture(Graphics& g) {
    TurnPicture(g, false);
}

void AboutPicture(Graphics& g) {
    Dot(g, Rgb(30, 80, 160), Rgb(60, 120, 210), PointF(12, 12), 9.5f);
    // The letter i, drawn: no font is sure to be there.
    SolidBrush white(Rgb(255, 255, 255));
    g.FillEllipse(&white, RectF(10.5f, 5, 3, 3));
    g.FillRectangle(&white, RectF(10.7f, 9.5f, 2.6f, 9));
}

void DebugPicture(Graphics& g) {
    for (int y : {9, 13, 17}) {
        Line(g, Rgb(40, 40, 40), 1.2f, PointF(5, y - 2.0f), PointF(19, y + 2.0f));
        Line(g, Rgb(40, 40, 40), 1.2f, PointF(19, y - 2.0f), PointF(5, y + 2.0f));
    }
    SolidBrush body(Rgb(190, 40, 40));
    g.FillEllipse(&body, RectF(8, 7, 8, 13));
    SolidBrush head(Rgb(40, 40, 40));
    g.FillEllipse(&head, RectF(9, 3, 6, 5));
    Line(g, Rgb(40, 40, 40), 1, PointF(12, 8), PointF(12, 20));
}

void ExitPicture(Graphics& g) {
    Box(g, Rgb(90, 60, 30), Rgb(160, 110, 60), RectF(3.5f, 2.5f, 11, 19));
    Dot(g, Rgb(240, 200, 60), Rgb(240, 200, 60), PointF(12, 12.5f), 1);
    Arrow(g, PointF(11, 12.5f), PointF(22, 12.5f), Rgb(200, 40, 30));
}

void Speaker(Graphics& g, const Color& body) {
    Polygon(g, Rgb(50, 50, 50), body,
            {{1.5f, 5.5f}, {4.5f, 5.5f}, {8.5f, 1.5f}, {8.5f, 14.5f}, {4.5f, 10.5f}, {1.5f, 10.5f}});
}
} // namespace

HICON ToolPicture(const std::string& buttonName, int size) {
    static const std::map<std::string, TPainter> painters = {
        {"TBNew", NewPicture},       {"TBOpen", OpenPicture},   {"TBSave", SavePicture},
        {"TBReport", ReportPicture}, {"TBFind", FindPicture},   {"TBRead", ReadPicture},
        {"TBWrite", WritePicture},   {"TBDebug", DebugPicture}, {"ToolButton1", ExitPicture},
        {"TBUndo", UndoPicture},     {"TBRedo", RedoPicture},   {"TBAbout", AboutPicture}};
    const auto it = painters.find(buttonName);
    return it == painters.end() ? nullptr : Draw(size, DesignSize, it->second);
}

HICON ZonePicture(int imageIndex) {
    // Drawn once: 64 buttons change pictures on every enabling pass.
    static const HICON up = Draw(ZoneSize, ZoneSize, [](Graphics& g) {
        // A silent grey speaker.
        Speaker(g, Rgb(200, 200, 200));
        Line(g, Rgb(150, 150, 150), 1.5f, PointF(11, 5), PointF(15, 11));
        Line(g, Rgb(150, 150, 150), 1.5f, PointF(15, 5), PointF(11, 11));
    });
    static const HICON down = Draw(ZoneSize, ZoneSize, [](Graphics& g) {
        // A green speaker sending sound.
        Speaker(g, Rgb(60, 180, 70));
        Pen pen(Rgb(30, 120, 40), 1.5f);
        g.DrawArc(&pen, RectF(6, 4, 6, 8), -60, 120);
        g.DrawArc(&pen, RectF(5, 1, 10, 14), -60, 120);
    });
    if (imageIndex == TAlgorithmEditor::PictureUp)
        return up;
    if (imageIndex == TAlgorithmEditor::PictureDown)
        return down;
    return nullptr;
}

HICON AppPicture(int size) {
    return Draw(size, 32, [](Graphics& g) {
        SolidBrush frame(Rgb(45, 93, 143));
        g.FillRectangle(&frame, RectF(1, 3, 30, 26));
        SolidBrush face(Rgb(232, 238, 245));
        g.FillRectangle(&face, RectF(4, 6, 24, 20));
        g.ScaleTransform(1.4f, 1.4f);
        g.TranslateTransform(3, 3.5f);
        Speaker(g, Rgb(192, 57, 43));
    });
}
