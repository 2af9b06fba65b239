#include "Build.h"
#include "Bind.h"
#include "Painter.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

namespace {
template <class TWidget, class TControlKind, class... TArgs>
TWidget* Bound(TControlKind& control, QWidget& parent, TArgs... args) {
    auto* widget = new TWidget(&parent);
    Bind(control, *widget, args...);
    // What a screen reader says for a picture button or a bare box.
    if (!control.AccessibleName.empty())
        widget->setAccessibleName(QString::fromStdString(control.AccessibleName));
    return widget;
}

QLabel* Text(TStaticText& text, QWidget& parent) {
    auto* label = Bound<QLabel>(text, parent);
    QFont font = label->font();
    font.setBold(text.Bold);
    label->setFont(font);
    if (text.Alignment == TAlignment::Center) {
        label->setAlignment(Qt::AlignCenter);
    } else {
        // A long text goes on to the next line.
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
    }
    if (text.Sunken) {
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
    }
    if (text.Colour.Alpha > 0) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(text.Colour.Red, text.Colour.Green, text.Colour.Blue));
        label->setPalette(palette);
    }
    return label;
}

QTableWidget* Table(TValueListEditor& list, QWidget& parent) {
    auto* table = Bound<QTableWidget>(list, parent);
    table->verticalHeader()->setDefaultSectionSize(17);
    table->horizontalHeader()->setFixedHeight(18);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    return table;
}

void Make(TControl& control, QWidget& parent) {
    if (auto* panel = dynamic_cast<TPanel*>(&control)) {
        QWidget* group = panel->Framed ? new QGroupBox(&parent) : new QWidget(&parent);
        Bind(control, *group);
        Build(panel->Children, *group);
    } else if (auto* text = dynamic_cast<TStaticText*>(&control)) {
        Text(*text, parent);
    } else if (auto* radios = dynamic_cast<TRadioGroup*>(&control)) {
        Bound<QGroupBox>(*radios, parent);
    } else if (auto* box = dynamic_cast<TComboBox*>(&control)) {
        Bound<QComboBox>(*box, parent);
    } else if (auto* check = dynamic_cast<TCheckBox*>(&control)) {
        Bound<QCheckBox>(*check, parent, check->CaptionShown);
    } else if (auto* button = dynamic_cast<TButton*>(&control); button && button->Kind == TButtonKind::Push) {
        Bound<QPushButton>(*button, parent);
    } else if (button) {
        // The input and zone buttons stay down while chosen; a zone button shows its state's picture.
        Bound<QToolButton>(*button, parent, ListedIcon)->setIconSize(QSize(16, 16));
    } else if (auto* edit = dynamic_cast<TEdit*>(&control)) {
        Bound<QLineEdit>(*edit, parent);
    } else if (auto* list = dynamic_cast<TValueListEditor*>(&control)) {
        Table(*list, parent);
    }
}
} // namespace

void Build(const std::vector<TControl*>& controls, QWidget& parent) {
    for (TControl* control : controls)
        Make(*control, parent);
}
