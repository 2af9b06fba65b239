#include "AlgorithmView.h"
#include "Bind.h"
#include "Painter.h"
#include "model/AlgorithmEditor.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {
constexpr int LabelColumnWidth = 168;
// Every stage owns two grid columns, one per relay of a module.
constexpr int Halves = 2;
constexpr int GridColumns = 1 + Halves * TAlgorithmEditor::Stages;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel* TimeText(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedHeight(18);
    return label;
}
} // namespace

AlgorithmView::AlgorithmView(TAlgorithmEditor& editor, QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(3);
    grid->setVerticalSpacing(4);
    grid->setColumnMinimumWidth(0, LabelColumnWidth);
    for (int c = 1; c < GridColumns; ++c)
        grid->setColumnStretch(c, 1);

    int row = 0;
    auto* title = Heading({}, this);
    title->setAlignment(Qt::AlignCenter);
    Bind(editor.StaticText268, *title);
    grid->addWidget(title, row++, 0, 1, GridColumns);

    auto stageColumn = [](int stage) { return 1 + Halves * stage; };
    auto rowLabel = [&](const std::string& text) { grid->addWidget(new QLabel(Q(text), this), row, 0); };

    rowLabel(TAlgorithmEditor::InputLabel);
    for (int n = 0; n < static_cast<int>(editor.InputButtons.size()); ++n) {
        auto* button = new QToolButton(this);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setFixedHeight(22);
        Bind(*editor.InputButtons[static_cast<size_t>(n)], *button);
        grid->addWidget(button, row, stageColumn(n), 1, Halves);
    }
    ++row;

    grid->addWidget(Heading(Q(TAlgorithmEditor::StageHeading), this), row++, 0, 1, GridColumns,
                    Qt::AlignCenter);

    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        auto* box = new QCheckBox(this);
        Bind(*editor.StageBoxes[static_cast<size_t>(s)], *box);
        grid->addWidget(box, row, stageColumn(s), 1, Halves, Qt::AlignCenter);
    }
    ++row;

    struct ChoiceRow {
        const std::string& Label;
        std::array<std::unique_ptr<TComboBox>, TAlgorithmEditor::Stages>& Boxes;
    };
    for (const ChoiceRow& choices : {ChoiceRow{TAlgorithmEditor::MessageLabel, editor.MessageBoxes},
                                     ChoiceRow{TAlgorithmEditor::RepeatLabel, editor.RepeatBoxes},
                                     ChoiceRow{TAlgorithmEditor::PauseLabel, editor.PauseBoxes}}) {
        rowLabel(choices.Label);
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
            auto* box = new QComboBox(this);
            box->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            Bind(*choices.Boxes[static_cast<size_t>(s)], *box);
            grid->addWidget(box, row, stageColumn(s), 1, Halves);
        }
        ++row;
    }

    rowLabel(TAlgorithmEditor::StageTimeLabel);
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        QLabel* time = TimeText(this);
        Bind(*editor.StageTimes[static_cast<size_t>(s)], *time);
        grid->addWidget(time, row, stageColumn(s), 1, Halves);
    }
    ++row;
    rowLabel(TAlgorithmEditor::TotalTimeLabel);
    QLabel* total = TimeText(this);
    Bind(*editor.TotalTime, *total);
    // The total takes half the row while the note beside it is shown, all of it otherwise.
    auto* totalRow = new QHBoxLayout;
    totalRow->setSpacing(6);
    totalRow->addWidget(total, 1);
    auto* note = new QLabel(this);
    note->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    Bind(editor.LengthsNote, *note);
    totalRow->addWidget(note, 1);
    grid->addLayout(totalRow, row++, 1, 1, GridColumns - 1);

    grid->addWidget(Heading(Q(TAlgorithmEditor::ZoneHeading), this), row++, 0, 1, GridColumns,
                    Qt::AlignCenter);
    for (int z = 0; z < TAlgorithmEditor::Zones; ++z) {
        rowLabel(TAlgorithmEditor::ZoneLabel(z));
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
            auto* button = new QToolButton(this);
            button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            button->setFixedHeight(22);
            button->setIconSize(QSize(16, 16));
            Bind(editor.ZoneButton(s, z), *button, ListedIcon);
            grid->addWidget(button, row, stageColumn(s), 1, Halves);
        }
        ++row;
    }

    grid->addWidget(Heading(Q(TAlgorithmEditor::RelayHeading), this), row++, 0, 1, GridColumns,
                    Qt::AlignCenter);
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s)
        for (int k = 0; k < Halves; ++k)
            grid->addWidget(new QLabel(Q(TAlgorithmEditor::RelayLabel(k)), this), row, stageColumn(s) + k,
                            Qt::AlignCenter);
    ++row;
    for (int m = 0; m < TAlgorithmEditor::Modules; ++m) {
        rowLabel(TAlgorithmEditor::ModuleLabel(m));
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s)
            for (int k = 0; k < Halves; ++k) {
                auto* box = new QCheckBox(this);
                // The caption is the relay number the handler reads; the column head says K1/K2.
                Bind(editor.RelayBox(s, m, k), *box, false);
                grid->addWidget(box, row, stageColumn(s) + k, Qt::AlignCenter);
            }
        ++row;
    }
    grid->setRowStretch(row, 1);
}
