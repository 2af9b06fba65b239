#include "Pictures.h"
#include "forms/AlgorithmEditor.h"
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>
#include <map>

namespace {
constexpr int ToolSize = 24;
constexpr int ZoneSize = 16;

QIcon Draw(int size, const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    p.end();
    return QIcon(pixmap);
}

void Page(QPainter& p) {
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(14, 2);
    page.lineTo(19, 7);
    page.lineTo(19, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(QColor(210, 210, 210));
    p.drawPolygon(QPolygonF({QPointF(14, 2), QPointF(14, 7), QPointF(19, 7)}));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& colour) {
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::max(1.0, QLineF(from, to).length());
    const QPointF n(-d.y(), d.x());
    p.drawPolyline(QPolygonF({to - 5 * d + 4 * n, to, to - 5 * d - 4 * n}));
}

void Controller(QPainter& p) {
    p.setPen(QPen(QColor(40, 60, 90), 1));
    p.setBrush(QColor(70, 110, 160));
    p.drawRoundedRect(QRectF(2.5, 14.5, 19, 8), 1.5, 1.5);
    p.setBrush(QColor(120, 220, 120));
    p.drawEllipse(QPointF(6.5, 18.5), 1.5, 1.5);
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(11, 18.5), 1.5, 1.5);
}

void NewPicture(QPainter& p) {
    Page(p);
    // A small sparkle: something fresh.
    p.setPen(QPen(QColor(230, 170, 0), 1.5));
    const QPointF centre(15, 16);
    for (int a = 0; a < 180; a += 45) {
        const QLineF ray = QLineF::fromPolar(4, a).translated(centre);
        p.drawLine(ray.p2(), centre - (ray.p2() - centre));
    }
}

void OpenPicture(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(235, 190, 80));
    p.drawPolygon(QPolygonF(
        {QPointF(2, 5), QPointF(9, 5), QPointF(11, 7), QPointF(20, 7), QPointF(20, 20), QPointF(2, 20)}));
    p.setBrush(QColor(250, 215, 120));
    p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(23, 11), QPointF(20, 20), QPointF(2, 20)}));
}

void SavePicture(QPainter& p) {
    p.setPen(QPen(QColor(30, 50, 90), 1));
    p.setBrush(QColor(60, 100, 170));
    p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(6.5, 3.5, 11, 7));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(7.5, 14.5, 9, 6));
    p.setBrush(QColor(60, 100, 170));
    p.drawRect(QRectF(13.5, 4.5, 2, 5));
}

void ReportPicture(QPainter& p) {
    Page(p);
    p.setPen(QPen(QColor(60, 60, 140), 1));
    for (int y = 9; y <= 19; y += 3)
        p.drawLine(QPointF(8, y + 0.5), QPointF(y == 9 ? 12 : 16, y + 0.5));
}

void FindPicture(QPainter& p) {
    // A plug entering a socket: connecting to the controller.
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(3.5, 8.5, 8, 8), 1.5, 1.5);
    p.setPen(QPen(QColor(170, 170, 170), 2));
    p.drawLine(QPointF(12, 10.5), QPointF(16, 10.5));
    p.drawLine(QPointF(12, 14.5), QPointF(16, 14.5));
    p.setPen(QPen(QColor(50, 50, 50), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 12.5), QPointF(1, 12.5));
    p.setPen(QPen(QColor(30, 60, 110), 1));
    p.setBrush(QColor(70, 110, 160));
    p.drawRoundedRect(QRectF(17.5, 6.5, 5, 12), 1.5, 1.5);
}

void ReadPicture(QPainter& p) {
    Controller(p);
    Arrow(p, QPointF(17, 12), QPointF(17, 2), QColor(30, 140, 40));
}

void WritePicture(QPainter& p) {
    Controller(p);
    Arrow(p, QPointF(17, 2), QPointF(17, 12), QColor(200, 60, 30));
}

// A curved arrow turning back (undo) or forward (redo).
void TurnPicture(QPainter& p, bool back) {
    const QColor colour(40, 90, 170);
    p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    if (back) {
        p.translate(24, 0);
        p.scale(-1, 1);
    }
    QPainterPath forward;
    forward.moveTo(5, 19);
    forward.cubicTo(5, 5, 17, 5, 18, 12);
    p.drawPath(forward);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({QPointF(13, 11), QPointF(22, 10), QPointF(18, 18)}));
}

void UndoPicture(QPainter& p) {
    TurnPicture(p, true);
}

void RedoPicture(QPainter& p) {
    TurnPicture(p, false);
}

void AboutPicture(QPainter& p) {
    p.setPen(QPen(QColor(30, 80, 160), 1));
    p.setBrush(QColor(60, 120, 210));
    p.drawEllipse(QRectF(2.5, 2.5, 19, 19));
    QFont letter = p.font();
    letter.setPixelSize(15);
    letter.setBold(true);
    p.setFont(letter);
    p.setPen(Qt::white);
    p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("i"));
}

void DebugPicture(QPainter& p) {
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    for (int y : {9, 13, 17}) {
        p.drawLine(QPointF(5, y - 2), QPointF(19, y + 2));
        p.drawLine(QPointF(19, y - 2), QPointF(5, y + 2));
    }
    p.setBrush(QColor(190, 40, 40));
    p.drawEllipse(QRectF(8, 7, 8, 13));
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(9, 3, 6, 5));
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.drawLine(QPointF(12, 8), QPointF(12, 20));
}

void ExitPicture(QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 30), 1));
    p.setBrush(QColor(160, 110, 60));
    p.drawRect(QRectF(3.5, 2.5, 11, 19));
    p.setBrush(QColor(240, 200, 60));
    p.drawEllipse(QPointF(12, 12.5), 1, 1);
    Arrow(p, QPointF(11, 12.5), QPointF(22, 12.5), QColor(200, 40, 30));
}

void Speaker(QPainter& p, const QColor& body) {
    p.setPen(QPen(QColor(50, 50, 50), 1));
    p.setBrush(body);
    p.drawPolygon(QPolygonF({QPointF(1.5, 5.5), QPointF(4.5, 5.5), QPointF(8.5, 1.5), QPointF(8.5, 14.5),
                             QPointF(4.5, 10.5), QPointF(1.5, 10.5)}));
}
} // namespace

QIcon ToolPicture(const std::string& buttonName) {
    static const std::map<std::string, void (*)(QPainter&)> painters = {
        {"TBNew", NewPicture},       {"TBOpen", OpenPicture},   {"TBSave", SavePicture},
        {"TBReport", ReportPicture}, {"TBFind", FindPicture},   {"TBRead", ReadPicture},
        {"TBWrite", WritePicture},   {"TBDebug", DebugPicture}, {"ToolButton1", ExitPicture},
        {"TBUndo", UndoPicture},     {"TBRedo", RedoPicture},   {"TBAbout", AboutPicture}};
    const auto it = painters.find(buttonName);
    return it == painters.end() ? QIcon() : Draw(ToolSize, it->second);
}

QIcon ZonePicture(int imageIndex) {
    // Drawn once: 64 buttons change pictures on every enabling pass.
    static const QIcon up = Draw(ZoneSize, [](QPainter& p) {
        // A silent grey speaker.
        Speaker(p, QColor(200, 200, 200));
        p.setPen(QPen(QColor(150, 150, 150), 1.5));
        p.drawLine(QPointF(11, 5), QPointF(15, 11));
        p.drawLine(QPointF(15, 5), QPointF(11, 11));
    });
    static const QIcon down = Draw(ZoneSize, [](QPainter& p) {
        // A green speaker sending sound.
        Speaker(p, QColor(60, 180, 70));
        p.setPen(QPen(QColor(30, 120, 40), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(6, 4, 6, 8), -60 * 16, 120 * 16);
        p.drawArc(QRectF(5, 1, 10, 14), -60 * 16, 120 * 16);
    });
    if (imageIndex == TAlgorithmEditor::PictureUp)
        return up;
    if (imageIndex == TAlgorithmEditor::PictureDown)
        return down;
    return QIcon();
}

QIcon AppPicture() {
    return Draw(32, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(45, 93, 143));
        p.drawRoundedRect(QRectF(1, 3, 30, 26), 3, 3);
        p.setBrush(QColor(232, 238, 245));
        p.drawRoundedRect(QRectF(4, 6, 24, 20), 2, 2);
        p.scale(1.4, 1.4);
        p.translate(3, 3.5);
        Speaker(p, QColor(192, 57, 43));
    });
}
