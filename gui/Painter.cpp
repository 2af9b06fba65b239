#include "Painter.h"
#include "ui/Pictures.h"
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <map>

namespace {
QColor Q(TColour colour) {
    return QColor(colour.Red, colour.Green, colour.Blue, colour.Alpha);
}

QPen Pen(const TShape& shape) {
    if (shape.Stroke.Alpha == 0)
        return Qt::NoPen;
    QPen pen(Q(shape.Stroke), shape.StrokeWidth, Qt::SolidLine, shape.Round ? Qt::RoundCap : Qt::SquareCap,
             shape.Round ? Qt::RoundJoin : Qt::MiterJoin);
    if (!shape.Dashes.empty()) {
        // Qt counts dashes in pen widths.
        QList<qreal> pattern;
        for (double length : shape.Dashes)
            pattern << length / shape.StrokeWidth;
        pen.setDashPattern(pattern);
        pen.setCapStyle(Qt::FlatCap);
    }
    return pen;
}
} // namespace

void Paint(QPainter& painter, const TDrawing& drawing, const QFont& face) {
    for (const TShape& shape : drawing.Shapes) {
        QPolygonF points;
        for (const TPointF& p : shape.Points)
            points << QPointF(p.X, p.Y);
        painter.setPen(Pen(shape));
        painter.setBrush(shape.Fill.Alpha == 0 ? QBrush(Qt::NoBrush) : QBrush(Q(shape.Fill)));
        switch (shape.Kind) {
        case TShapeKind::Line:
            painter.drawLine(points[0], points[1]);
            break;
        case TShapeKind::Polyline:
            painter.drawPolyline(points);
            break;
        case TShapeKind::Polygon:
            painter.drawPolygon(points);
            break;
        case TShapeKind::Rect:
            painter.drawRect(QRectF(points[0], points[1]));
            break;
        case TShapeKind::Ellipse:
            painter.drawEllipse(QRectF(points[0], points[1]));
            break;
        case TShapeKind::Text: {
            QFont font = face;
            font.setPixelSize(qRound(shape.FontSize));
            font.setBold(shape.Bold);
            painter.setFont(font);
            painter.setPen(Q(shape.Fill));
            const QString text = QString::fromStdString(shape.Text);
            const qreal width = QFontMetricsF(font).horizontalAdvance(text);
            const qreal shift = shape.Anchor == TAnchor::Middle ? width / 2
                                : shape.Anchor == TAnchor::End  ? width
                                                                : 0;
            painter.drawText(points[0] - QPointF(shift, 0), text);
            break;
        }
        }
    }
}

QIcon Icon(const TDrawing& drawing) {
    if (drawing.Shapes.empty())
        return {};
    QPixmap pixmap(drawing.Width, drawing.Height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Paint(painter, drawing, painter.font());
    painter.end();
    return QIcon(pixmap);
}

QIcon ListedIcon(int imageIndex) {
    static std::map<int, QIcon> drawn;
    const auto it = drawn.find(imageIndex);
    return it != drawn.end() ? it->second : drawn[imageIndex] = Icon(TPictures::Listed(imageIndex));
}
