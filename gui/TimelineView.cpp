#include "TimelineView.h"
#include "Bind.h"
#include "Painter.h"
#include "forms/TimelineForm.h"
#include "report/TimelineShapes.h"
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
class TimelineCanvas : public QWidget {
public:
    TimelineCanvas(TTimelineForm& form, QWidget* parent) : QWidget(parent), Form(form) {
        setBackgroundRole(QPalette::Base);
        setAutoFillBackground(true);
    }
    void Follow() {
        setMinimumHeight(TTimelineShapes::Height(Form.Model, width()));
        update();
    }

protected:
    // The texts wrap within the width, so the drawing's height follows it.
    void resizeEvent(QResizeEvent*) override {
        setMinimumHeight(TTimelineShapes::Height(Form.Model, width()));
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Paint(p, TTimelineShapes::Draw(Form.Model, width(), height()), font());
    }

private:
    TTimelineForm& Form;
};
} // namespace

TimelineView::TimelineView(TTimelineForm& form, QWidget* parent)
    : FormWindow(form, QPoint(TTimelineForm::OpeningLeft, TTimelineForm::OpeningTop), parent) {
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
