#include "ui/Pictures.h"
#include <cmath>
#include <map>
#include <numbers>

namespace {
constexpr TColour White = Rgb(255, 255, 255);

TDrawing Square(int size) {
    TDrawing d;
    d.Width = d.Height = size;
    return d;
}

void Page(TDrawing& d) {
    d.Polygon({{5, 2}, {14, 2}, {19, 7}, {19, 22}, {5, 22}}, White, Rgb(90, 90, 90));
    d.Polygon({{14, 2}, {14, 7}, {19, 7}}, Rgb(210, 210, 210), Rgb(90, 90, 90));
}

void Arrow(TDrawing& d, TPointF from, TPointF to, TColour colour) {
    d.Line(from, to, colour, 2.5).Round = true;
    const double length = std::max(1.0, std::hypot(to.X - from.X, to.Y - from.Y));
    const TPointF along{(to.X - from.X) / length, (to.Y - from.Y) / length};
    const TPointF across{-along.Y, along.X};
    const auto barb = [&](double side) {
        return TPointF{to.X - 5 * along.X + side * across.X, to.Y - 5 * along.Y + side * across.Y};
    };
    d.Polyline({barb(4), to, barb(-4)}, colour, 2.5).Round = true;
}

void Controller(TDrawing& d) {
    d.RoundedRect(2.5, 14.5, 19, 8, 1.5, Rgb(70, 110, 160), Rgb(40, 60, 90));
    d.Ellipse(5, 17, 3, 3, Rgb(120, 220, 120), Rgb(40, 60, 90));
    d.Ellipse(9.5, 17, 3, 3, Rgb(240, 200, 60), Rgb(40, 60, 90));
}

TDrawing NewPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    Page(d);
    // A small sparkle: something fresh.
    for (int degrees = 0; degrees < 180; degrees += 45) {
        const double a = degrees * std::numbers::pi / 180;
        d.Line({15 + 4 * std::cos(a), 16 - 4 * std::sin(a)}, {15 - 4 * std::cos(a), 16 + 4 * std::sin(a)},
               Rgb(230, 170, 0), 1.5);
    }
    return d;
}

TDrawing OpenPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    d.Polygon({{2, 5}, {9, 5}, {11, 7}, {20, 7}, {20, 20}, {2, 20}}, Rgb(235, 190, 80), Rgb(150, 110, 20));
    d.Polygon({{5, 11}, {23, 11}, {20, 20}, {2, 20}}, Rgb(250, 215, 120), Rgb(150, 110, 20));
    return d;
}

TDrawing SavePicture() {
    TDrawing d = Square(TPictures::ToolSize);
    const TColour edge = Rgb(30, 50, 90), body = Rgb(60, 100, 170);
    d.RoundedRect(3.5, 3.5, 17, 17, 1.5, body, edge);
    d.Rect(6.5, 3.5, 11, 7, White, edge);
    d.Rect(7.5, 14.5, 9, 6, Rgb(200, 200, 200), edge);
    d.Rect(13.5, 4.5, 2, 5, body, edge);
    return d;
}

TDrawing ReportPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    Page(d);
    for (int y = 9; y <= 19; y += 3)
        d.Line({8, y + 0.5}, {y == 9 ? 12.0 : 16.0, y + 0.5}, Rgb(60, 60, 140));
    return d;
}

TDrawing FindPicture() {
    // A plug entering a socket: connecting to the controller.
    TDrawing d = Square(TPictures::ToolSize);
    d.RoundedRect(3.5, 8.5, 8, 8, 1.5, Rgb(90, 90, 90), Rgb(60, 60, 60));
    d.Line({12, 10.5}, {16, 10.5}, Rgb(170, 170, 170), 2);
    d.Line({12, 14.5}, {16, 14.5}, Rgb(170, 170, 170), 2);
    d.Line({3, 12.5}, {1, 12.5}, Rgb(50, 50, 50), 2).Round = true;
    d.RoundedRect(17.5, 6.5, 5, 12, 1.5, Rgb(70, 110, 160), Rgb(30, 60, 110));
    return d;
}

TDrawing ReadPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    Controller(d);
    Arrow(d, {17, 12}, {17, 2}, Rgb(30, 140, 40));
    return d;
}

TDrawing WritePicture() {
    TDrawing d = Square(TPictures::ToolSize);
    Controller(d);
    Arrow(d, {17, 2}, {17, 12}, Rgb(200, 60, 30));
    return d;
}

// A curved arrow turning back (undo) or forward (redo).
TDrawing TurnPicture(bool back) {
    TDrawing d = Square(TPictures::ToolSize);
    const TColour colour = Rgb(40, 90, 170);
    const auto x = [back](double at) { return back ? TPictures::ToolSize - at : at; };
    // The curve from (5, 19) through the control points (5, 5) and (17, 5) to (18, 12).
    std::vector<TPointF> curve;
    for (int step = 0; step <= 16; ++step) {
        const double t = step / 16.0, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, e = t * t * t;
        curve.push_back({x(a * 5 + b * 5 + c * 17 + e * 18), a * 19 + b * 5 + c * 5 + e * 12});
    }
    d.Polyline(std::move(curve), colour, 2.5).Round = true;
    d.Polygon({{x(13), 11}, {x(22), 10}, {x(18), 18}}, colour);
    return d;
}

TDrawing AboutPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    d.Ellipse(2.5, 2.5, 19, 19, Rgb(60, 120, 210), Rgb(30, 80, 160));
    // The letter i, drawn: no font is sure to be there.
    d.Ellipse(10.5, 5, 3, 3, White);
    d.Rect(10.7, 9.5, 2.6, 9, White);
    return d;
}

TDrawing DebugPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    const TColour dark = Rgb(40, 40, 40);
    for (int y : {9, 13, 17}) {
        d.Line({5, y - 2.0}, {19, y + 2.0}, dark, 1.2);
        d.Line({19, y - 2.0}, {5, y + 2.0}, dark, 1.2);
    }
    d.Ellipse(8, 7, 8, 13, Rgb(190, 40, 40), dark).StrokeWidth = 1.2;
    d.Ellipse(9, 3, 6, 5, dark, dark).StrokeWidth = 1.2;
    d.Line({12, 8}, {12, 20}, dark);
    return d;
}

TDrawing ExitPicture() {
    TDrawing d = Square(TPictures::ToolSize);
    d.Rect(3.5, 2.5, 11, 19, Rgb(160, 110, 60), Rgb(90, 60, 30));
    d.Ellipse(11, 11.5, 2, 2, Rgb(240, 200, 60), Rgb(90, 60, 30));
    Arrow(d, {11, 12.5}, {22, 12.5}, Rgb(200, 40, 30));
    return d;
}

// The loudspeaker of the zone buttons and the icon, scaled and moved.
void Speaker(TDrawing& d, TColour body, double scale = 1, TPointF offset = {}) {
    std::vector<TPointF> corners;
    for (TPointF p :
         std::vector<TPointF>{{1.5, 5.5}, {4.5, 5.5}, {8.5, 1.5}, {8.5, 14.5}, {4.5, 10.5}, {1.5, 10.5}})
        corners.push_back({scale * (p.X + offset.X), scale * (p.Y + offset.Y)});
    d.Polygon(std::move(corners), body, Rgb(50, 50, 50)).StrokeWidth = scale;
}

// The right-hand part of an ellipse's outline, from 60 degrees below its middle to 60 above.
std::vector<TPointF> SoundWave(double left, double top, double width, double height) {
    std::vector<TPointF> points;
    for (int degrees = -60; degrees <= 60; degrees += 15) {
        const double a = degrees * std::numbers::pi / 180;
        points.push_back({left + width / 2 * (1 + std::cos(a)), top + height / 2 * (1 - std::sin(a))});
    }
    return points;
}
} // namespace

TDrawing TPictures::Tool(const std::string& buttonName) {
    static const std::map<std::string, TDrawing (*)()> pictures = {
        {"TBNew", NewPicture},
        {"TBOpen", OpenPicture},
        {"TBSave", SavePicture},
        {"TBReport", ReportPicture},
        {"TBFind", FindPicture},
        {"TBRead", ReadPicture},
        {"TBWrite", WritePicture},
        {"TBDebug", DebugPicture},
        {"ToolButton1", ExitPicture},
        {"TBUndo", [] { return TurnPicture(true); }},
        {"TBRedo", [] { return TurnPicture(false); }},
        {"TBAbout", AboutPicture}};
    const auto it = pictures.find(buttonName);
    return it == pictures.end() ? TDrawing{} : it->second();
}

TDrawing TPictures::Listed(int imageIndex) {
    TDrawing d = Square(ZoneSize);
    if (imageIndex == ZoneUp) {
        // A silent grey speaker.
        Speaker(d, Rgb(200, 200, 200));
        d.Line({11, 5}, {15, 11}, Rgb(150, 150, 150), 1.5);
        d.Line({15, 5}, {11, 11}, Rgb(150, 150, 150), 1.5);
    } else if (imageIndex == ZoneDown) {
        // A green speaker sending sound.
        Speaker(d, Rgb(60, 180, 70));
        d.Polyline(SoundWave(6, 4, 6, 8), Rgb(30, 120, 40), 1.5);
        d.Polyline(SoundWave(5, 1, 10, 14), Rgb(30, 120, 40), 1.5);
    } else {
        return {};
    }
    return d;
}

TDrawing TPictures::App() {
    TDrawing d = Square(AppSize);
    d.RoundedRect(1, 3, 30, 26, 3, Rgb(45, 93, 143));
    d.RoundedRect(4, 6, 24, 20, 2, Rgb(232, 238, 245));
    Speaker(d, Rgb(192, 57, 43), 1.4, {3, 3.5});
    return d;
}
