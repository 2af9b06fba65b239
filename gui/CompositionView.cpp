#include "CompositionView.h"
#include "Bind.h"
#include "forms/CompositionRules.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
// Positions in TCompositionRules::Labels() and in the view's widgets.
constexpr size_t UnitCounts = 5;    // the five count boxes, one label each
constexpr size_t LabelledBoxes = 2; // gong and AUX priority, one label each
constexpr size_t MusicZones = 8;    // under one label, in two columns
constexpr size_t MusicLabel = UnitCounts + LabelledBoxes;
constexpr size_t SerialLabel = MusicLabel + 1;
constexpr size_t DateLabel = SerialLabel + 1;
constexpr size_t VersionLabel = DateLabel + 1;
constexpr size_t DateParts = 3;

template <class TWidget, class TControlKind, class... TArgs>
TWidget* Bound(TControlKind& control, QWidget* parent, TArgs... args) {
    auto* widget = new TWidget(parent);
    Bind(control, *widget, args...);
    return widget;
}

QLabel* Label(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setWordWrap(true);
    return label;
}
} // namespace

CompositionView::CompositionView(TCompositionRules& rules, TValueListEditor& lengths, QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(3);

    auto* title = new QLabel(this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setAlignment(Qt::AlignCenter);
    Bind(rules.StaticText269, *title);
    column->addWidget(title);

    // In the order of the labels. Check boxes with a label beside them keep their captions
    // off the screen.
    std::vector<QWidget*> widgets;
    for (TComboBox* box :
         {&rules.ComboBox58, &rules.ComboBox57, &rules.ComboBox56, &rules.ComboBox55, &rules.ComboBox54})
        widgets.push_back(Bound<QComboBox>(*box, this));
    for (TCheckBox* box : {&rules.CheckBox316, &rules.CheckBox325})
        widgets.push_back(Bound<QCheckBox>(*box, this, false));
    for (auto& box : rules.CBMuz)
        widgets.push_back(Bound<QCheckBox>(*box, this));
    for (TEdit* edit : {&rules.Edit1, &rules.Edit2, &rules.Edit3, &rules.Edit4, &rules.Edit5})
        widgets.push_back(Bound<QLineEdit>(*edit, this));
    const std::vector<std::string>& labels = TCompositionRules::Labels();

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(0, 1);
    int row = 0;
    for (size_t i = 0; i < UnitCounts + LabelledBoxes; ++i, ++row) {
        grid->addWidget(Label(labels[i], this), row, 0);
        if (i < UnitCounts)
            widgets[i]->setFixedWidth(44);
        grid->addWidget(widgets[i], row, 1, Qt::AlignLeft);
    }
    grid->addWidget(Label(labels[MusicLabel], this), row++, 0, 1, 2);
    auto* zones = new QGridLayout;
    zones->setVerticalSpacing(0);
    const size_t zonesPerColumn = MusicZones / 2;
    for (size_t z = 0; z < MusicZones; ++z)
        zones->addWidget(widgets[MusicLabel + z], static_cast<int>(z % zonesPerColumn),
                         static_cast<int>(z / zonesPerColumn));
    grid->addLayout(zones, row++, 0, 1, 2);

    column->addLayout(grid);

    // The identity rows get a grid of their own: the date's three fields would widen
    // the control column above.
    auto* identity = new QGridLayout;
    identity->setHorizontalSpacing(4);
    identity->setVerticalSpacing(3);
    identity->setColumnStretch(1, 1);
    row = 0;
    size_t next = MusicLabel + MusicZones;
    auto identityRow = [&](size_t label, size_t fields, int width, const QString& between) {
        auto* line = new QHBoxLayout;
        line->setSpacing(2);
        for (size_t f = 0; f < fields; ++f) {
            if (f > 0)
                line->addWidget(new QLabel(between, this));
            QWidget* field = widgets[next++];
            field->setFixedWidth(width);
            line->addWidget(field);
        }
        line->addStretch();
        identity->addWidget(Label(labels[label], this), row, 0);
        identity->addLayout(line, row++, 1);
    };
    identityRow(SerialLabel, 1, 44, {});
    identityRow(DateLabel, DateParts, 26, QStringLiteral("/"));
    identityRow(VersionLabel, 1, 26, {});
    column->addLayout(identity);

    auto* caption = Label(lengths.Caption, this);
    column->addSpacing(4);
    column->addWidget(caption);
    auto* table = new QTableWidget(this);
    Bind(lengths, *table);
    table->verticalHeader()->setDefaultSectionSize(17);
    table->horizontalHeader()->setFixedHeight(18);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    column->addWidget(table, 1);
}
