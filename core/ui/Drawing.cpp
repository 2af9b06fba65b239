#include "ui/Drawing.h"
#include <cmath>
#include <numbers>
#include <utility>

namespace {
TShape Outlined(TShapeKind kind, std::vector<TPointF> points, TColour fill, TColour stroke) {
    TShape shape;
    shape.Kind = kind;
    shape.Points = std::move(points);
    shape.Fill = fill;
    shape.Stroke = stroke;
    return shape;
}
} // namespace

TShape& TDrawing::Line(TPointF from, TPointF to, TColour stroke, double width) {
    Shapes.push_back(Outlined(TShapeKind::Line, {from, to}, {}, stroke));
    Shapes.back().StrokeWidth = width;
    return Shapes.back();
}

TShape& TDrawing::Polyline(std::vector<TPointF> points, TColour stroke, double width) {
    Shapes.push_back(Outlined(TShapeKind::Polyline, std::move(points), {}, stroke));
    Shapes.back().StrokeWidth = width;
    return Shapes.back();
}

TShape& TDrawing::Polygon(std::vector<TPointF> corners, TColour fill, TColour stroke) {
    Shapes.push_back(Outlined(TShapeKind::Polygon, std::move(corners), fill, stroke));
    return Shapes.back();
}

TShape& TDrawing::Rect(double left, double top, double width, double height, TColour fill, TColour stroke) {
    Shapes.push_back(Outlined(TShapeKind::Rect, {{left, top}, {left + width, top + height}}, fill, stroke));
    return Shapes.back();
}

TShape& TDrawing::RoundedRect(double left, double top, double width, double height, double radius,
                              TColour fill, TColour stroke) {
    // Each corner a quarter circle of four steps, clockwise from the top-right one.
    const TPointF centres[] = {{left + width - radius, top + radius},
                               {left + width - radius, top + height - radius},
                               {left + radius, top + height - radius},
                               {left + radius, top + radius}};
    std::vector<TPointF> corners;
    for (int corner = 0; corner < 4; ++corner)
        for (int step = 0; step <= 4; ++step) {
            const double angle = (corner - 1 + step / 4.0) * std::numbers::pi / 2;
            corners.push_back(
                {centres[corner].X + radius * std::cos(angle), centres[corner].Y + radius * std::sin(angle)});
        }
    return Polygon(std::move(corners), fill, stroke);
}

TShape& TDrawing::Ellipse(double left, double top, double width, double height, TColour fill,
                          TColour stroke) {
    Shapes.push_back(
        Outlined(TShapeKind::Ellipse, {{left, top}, {left + width, top + height}}, fill, stroke));
    return Shapes.back();
}

TShape& TDrawing::Text(TPointF at, std::string text, double size, TColour colour, TAnchor anchor, bool bold) {
    Shapes.push_back(Outlined(TShapeKind::Text, {at}, colour, {}));
    TShape& shape = Shapes.back();
    shape.Text = std::move(text);
    shape.FontSize = size;
    shape.Anchor = anchor;
    shape.Bold = bold;
    return shape;
}
