#pragma once
#include <cstdint>
#include <string>
#include <vector>

// A colour and how opaque it is; an opacity of 0 leaves a fill or a stroke out.
struct TColour {
    uint8_t Red = 0, Green = 0, Blue = 0, Alpha = 0;
    bool operator==(const TColour&) const = default;
};

constexpr TColour Rgb(uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
    return {red, green, blue, alpha};
}

struct TPointF {
    double X = 0, Y = 0;
};

enum class TShapeKind { Line, Polyline, Polygon, Rect, Ellipse, Text };
// Where a text stands against its point: it starts, is centred or ends there.
enum class TAnchor { Start, Middle, End };

// One thing drawn: a line, an outlined or filled area, or a text.
struct TShape {
    TShapeKind Kind = TShapeKind::Line;
    // Line: its ends; Polyline, Polygon: the corners; Rect, Ellipse: the top-left and the
    // bottom-right corner of the box; Text: the point on its baseline that Anchor names.
    std::vector<TPointF> Points;
    // An area's fill, or the colour of a text.
    TColour Fill;
    TColour Stroke;
    double StrokeWidth = 1;
    // Dash and gap lengths of a dashed stroke, in the drawing's units; a dashed stroke has flat ends.
    std::vector<double> Dashes;
    // Round ends and corners of the stroke; square ones otherwise.
    bool Round = false;
    std::string Text;
    // The height of the text's em, in the drawing's units; the face is the platform's own.
    double FontSize = 0;
    bool Bold = false;
    TAnchor Anchor = TAnchor::Start;
};

// A picture described once, in units of its own (pixels at 96 dots per inch on the screen),
// that each platform paints shape after shape with its own means.
struct TDrawing {
    int Width = 0;
    int Height = 0;
    std::vector<TShape> Shapes;

    TShape& Line(TPointF from, TPointF to, TColour stroke, double width = 1);
    TShape& Polyline(std::vector<TPointF> points, TColour stroke, double width = 1);
    TShape& Polygon(std::vector<TPointF> corners, TColour fill, TColour stroke = {});
    TShape& Rect(double left, double top, double width, double height, TColour fill, TColour stroke = {});
    // A polygon: the rectangle with its corners rounded by radius.
    TShape& RoundedRect(double left, double top, double width, double height, double radius, TColour fill,
                        TColour stroke = {});
    TShape& Ellipse(double left, double top, double width, double height, TColour fill, TColour stroke = {});
    TShape& Text(TPointF at, std::string text, double size, TColour colour, TAnchor anchor = TAnchor::Start,
                 bool bold = false);
};
