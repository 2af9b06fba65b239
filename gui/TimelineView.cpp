#include "TimelineView.h"
#include "Bind.h"
#include "report/TimelineForm.h"
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int Margin = 10;
constexpr int LabelWidth = 230;
constexpr int Header = 34;
constexpr int Lane = 54;
constexpr int BandHeight = 16;
constexpr int AxisRoom = 40;
// A play is painted on its own only when a play and its pause take this many pixels or more.
constexpr int SmallestPeriod = 3;

const QColor BandFill(0xd7, 0xe3, 0xf0);
const QColor PlayFill(0x3a, 0x6e, 0xa5);
const QColor Outline(0x22, 0x44, 0x66);
const QColor Warning(0xcc, 0x00, 0x00);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

class TimelineCanvas : public QWidget {
public:
    TimelineCanvas(TTimelineForm& form, QWidget* parent) : QWidget(parent), Form(form) {
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }
    void Follow() {
        const int lanes = std::max<int>(static_cast<int>(Form.Model.Stages.size()), 1);
        setMinimumHeight(Header + lanes * Lane + AxisRoom);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const TTimeline& model = Form.Model;
        QFont normal = font();
        normal.setPointSize(9);
        QFont bold = normal;
        bold.setBold(true);
        QFont small = normal;
        small.setPointSize(8);
        p.setFont(normal);
        if (model.Stages.empty()) {
            p.drawText(rect(), Qt::AlignCenter, Q(TTimeline::NoStage));
            return;
        }
        const int plotLeft = LabelWidth;
        const int plotRight = std::max(width() - Margin - 16, plotLeft + 50);
        const int64_t axisEnd = model.AxisEnd();
        const auto x = [&](int64_t seconds) {
            const int64_t clamped = std::clamp<int64_t>(seconds, 0, axisEnd);
            return plotLeft + static_cast<int>(static_cast<double>(clamped) * (plotRight - plotLeft) /
                                               static_cast<double>(axisEnd));
        };
        const int lanes = static_cast<int>(model.Stages.size());
        const int axisY = Header + lanes * Lane + 6;

        p.setFont(bold);
        p.setPen(Warning);
        p.drawText(QRect(plotLeft, 4, plotRight - plotLeft, Header - 14), Qt::AlignRight | Qt::AlignVCenter,
                   Q(model.TotalCaption()));
        if (model.Total) {
            p.setPen(QPen(Warning, 2, Qt::DashLine));
            p.drawLine(x(*model.Total), Header - 8, x(*model.Total), axisY);
        }

        for (int i = 0; i < lanes; ++i) {
            const TTimelineStage& stage = model.Stages[static_cast<size_t>(i)];
            const int y = Header + i * Lane;
            if (i % 2 == 1)
                p.fillRect(0, y, width(), Lane, QColor(0xf3, 0xf3, 0xf3));
            p.setPen(Qt::black);
            p.setFont(bold);
            p.drawText(Margin, y + 16, Q(stage.Title()));
            p.setFont(small);
            p.drawText(Margin, y + 32, Q(stage.Detail()));

            const int x0 = x(stage.Start);
            const int x1 = stage.End ? x(*stage.End) : plotRight;
            const QRect band(x0, y + 4, std::max(x1 - x0, 1), BandHeight);
            p.fillRect(band, BandFill);
            const auto segments = stage.Segments(axisEnd);
            if (!segments.empty() && x(stage.Start + stage.Length + stage.Pause) - x0 >= SmallestPeriod) {
                for (const TTimelineSegment& segment : segments)
                    if (segment.Play && segment.Start < axisEnd)
                        // Plays without a pause between them keep a hairline apart.
                        p.fillRect(
                            QRect(x(segment.Start), band.top(),
                                  std::max(x(segment.End) - x(segment.Start) - (stage.Pause == 0 ? 1 : 0), 1),
                                  BandHeight),
                            PlayFill);
            } else if (!stage.LengthUnknown) {
                p.fillRect(band, QColor(PlayFill.red(), PlayFill.green(), PlayFill.blue(), 150));
            }
            p.setPen(stage.LengthUnknown ? QPen(Warning, 1, Qt::DashLine) : QPen(Outline));
            p.setBrush(Qt::NoBrush);
            p.drawRect(band);
            if (!stage.End) {
                const QPoint arrow[] = {{plotRight, band.top() - 3},
                                        {plotRight + 13, band.center().y()},
                                        {plotRight, band.bottom() + 3}};
                p.setPen(Qt::NoPen);
                p.setBrush(Outline);
                p.drawPolygon(arrow, 3);
                p.setBrush(Qt::NoBrush);
            }

            // Texts too long for the room right of the band's start end at the right edge.
            p.setFont(normal);
            const bool right = x0 + p.fontMetrics().horizontalAdvance(Q(stage.Reach())) > width() - Margin;
            const QRect under = right ? QRect(plotLeft, y + BandHeight + 6, width() - Margin - plotLeft, 16)
                                      : QRect(x0, y + BandHeight + 6, width() - x0, 16);
            const int align = (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
            p.setPen(Qt::black);
            p.setFont(normal);
            p.drawText(under, align, Q(stage.Reach()));
            if (stage.LengthUnknown) {
                p.setPen(Warning);
                p.setFont(small);
                p.drawText(under.translated(0, 15), align, Q(TTimeline::UnknownLength));
            }
        }

        p.setPen(Qt::black);
        p.setFont(small);
        p.drawLine(plotLeft, axisY, plotRight, axisY);
        const int64_t step = TTimeline::AxisStep(axisEnd, std::max((plotRight - plotLeft) / 70, 2));
        for (int64_t t = 0; t <= axisEnd; t += step) {
            p.drawLine(x(t), axisY, x(t), axisY + 5);
            p.drawText(QRect(x(t) - 30, axisY + 6, 60, 16), Qt::AlignCenter, QString::number(t));
        }
        p.drawText(QRect(plotLeft - 60, axisY + 6, 52, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("сек"));
    }

private:
    TTimelineForm& Form;
};

class ClickOpens : public QObject {
public:
    ClickOpens(TTimelineForm& form, QObject* parent) : QObject(parent), Form(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            Form.Open();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TTimelineForm& Form;
};
} // namespace

TimelineView::TimelineView(TTimelineForm& form, QWidget* parent) : FormWindow(form, QPoint(60, 120), parent) {
    auto* canvas = new TimelineCanvas(form, this);
    canvas->setObjectName(QStringLiteral("TimelineCanvas"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(canvas);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(scroll);
    ::Follow<TimelineCanvas>(form, *canvas, [](TimelineCanvas& c) { c.Follow(); });
}

void OpenTimelineOnClick(QLabel& label, TTimelineForm& form) {
    label.setCursor(Qt::PointingHandCursor);
    label.setToolTip(QStringLiteral("Временная диаграмма входа: щелкните, чтобы открыть"));
    label.installEventFilter(new ClickOpens(form, &label));
}
