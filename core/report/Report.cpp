#include "report/Report.h"
#include "base/Cp1251.h"
#include "base/Utf8.h"
#include "model/EvacuationPlan.h"
#include "model/StageSettings.h"

namespace {
const std::string EmptyCell = "       |";
const std::string GridRule = std::string(28, '-') + "|" + [] {
    std::string s;
    for (int i = 0; i < 8; ++i)
        s += "-------|";
    return s;
}();
const std::string FullRule = std::string(28, '-') + "|" + std::string(63, '-') + "|";
const std::string Indent = "\t" + std::string(38, ' ');

// A tab, the label, blanks up to 38 characters after the tab.
std::string Label(const std::string& text) {
    const size_t length = Utf8Length(text);
    return "\t" + text + std::string(length < 38 ? 38 - length : 0, ' ');
}

std::string Mark(bool on) {
    return on ? "+" : "-";
}

// A row label of 28 characters and "|".
std::string RowLabel(const std::string& text) {
    const size_t length = Utf8Length(text);
    return text + std::string(length < 28 ? 28 - length : 0, ' ') + "|";
}

void InputLines(std::vector<std::string>& lines, const TReportInput& in) {
    auto valueRow = [&](const std::string& label, const std::array<std::string, 8>& texts) {
        std::string row = RowLabel(label);
        for (size_t s = 0; s < texts.size(); ++s)
            row += in.StageOn[s] ? TReport::Cell(texts[s]) : EmptyCell;
        lines.push_back(row);
    };
    std::string heading = " Вход активации N" + std::to_string(in.Input + 1) + "          |";
    for (int s = 1; s <= 8; ++s)
        heading += " Этап" + std::to_string(s) + " |";
    lines.push_back("");
    lines.push_back(heading);
    lines.push_back(GridRule);
    valueRow("Номер сообщения", in.Message);
    valueRow("Количество повторов", in.Repeats);
    valueRow("Пауза между повторами (сек)", in.Pause);
    valueRow("Время этапа (сек)", in.Time);
    lines.push_back(FullRule);
    lines.push_back("Общее время эвакуации (сек) | " + in.Total);
    lines.push_back(FullRule);

    if (in.ZoneRows > 0) {
        std::string heading2 = RowLabel("Зоны трансляции сообщений:");
        for (int s = 0; s < 8; ++s)
            heading2 += EmptyCell;
        lines.push_back(heading2);
        for (int z = 0; z < in.ZoneRows; ++z) {
            std::string row = std::string(21, ' ') + TAlgorithmEditor::ZoneLabel(z) + " |";
            for (const char mark : in.Zones[static_cast<size_t>(z)])
                row += mark == ' ' ? EmptyCell : std::string("   ") + mark + "   |";
            lines.push_back(row);
        }
    }
    lines.push_back(GridRule);

    if (in.ModuleRows > 0) {
        std::string heading3 = "Исполнительные реле QV-CU4: |";
        for (int s = 0; s < 8; ++s)
            heading3 += " K1 K2 |";
        lines.push_back(heading3);
        for (int m = 0; m < in.ModuleRows; ++m) {
            std::string row = std::string(19, ' ') + TAlgorithmEditor::ModuleLabel(m) + " |";
            for (const std::string& marks : in.Relays[static_cast<size_t>(m)])
                row +=
                    marks.empty() ? EmptyCell : "  " + marks.substr(0, 1) + "  " + marks.substr(1, 1) + " |";
            lines.push_back(row);
        }
    }
    lines.push_back(std::string(93, '-') + "\r\n");
}
} // namespace

std::string TReport::Cell(const std::string& text) {
    const int length = static_cast<int>(Utf8Length(text));
    const int before = (7 - length) / 2;
    const int after = (8 - length) / 2;
    return std::string(static_cast<size_t>(std::max(before, 0)), ' ') + text +
           std::string(static_cast<size_t>(std::max(after, 0)), ' ') + "|";
}

TReportFacts TReport::Collect() {
    TReportFacts facts;
    TCompositionRules& c = Composition;
    facts.CompositionHeading = c.StaticText269.Caption();
    facts.AlgorithmsHeading = Editor.StaticText268.Caption();
    facts.Composition = {
        {"Усилитель мощности QV-470AM", std::to_string(c.Count(c.ComboBox58))},
        {"Разветвитель QV-SP", std::to_string(c.Count(c.ComboBox57))},
        {"Модуль контроля и управления QV-CU4", std::to_string(c.Count(c.ComboBox56))},
        {"Пожарный пульт микрофонный QV-5FD", std::to_string(c.Count(c.ComboBox55))},
        {"Пульт диктора микрофонный QV-5D", std::to_string(c.Count(c.ComboBox54))},
        {"Сигнал привлечения внимания (ГОНГ)", Mark(c.CheckBox316.Checked())},
        {"Приоритет входа AUX над авт. режимом", Mark(c.CheckBox325.Checked())},
    };
    for (int z = 1; z <= 8; ++z) {
        const TCheckBox& music = *c.CBMuz[static_cast<size_t>(z - 1)];
        if (music.Enabled())
            facts.MusicZones.emplace_back(z, music.Checked());
    }
    facts.SerialNumber = c.Edit1.Text();
    facts.Date = c.Edit2.Text() + "/" + c.Edit3.Text() + "/" + c.Edit4.Text();
    facts.Version = c.Edit5.Text();
    std::vector<std::string> texts;
    for (int k = 1; k <= TAlgorithmEditor::Messages; ++k)
        texts.push_back(Editor.LenMes.Value(k));
    const TMessageLengths lengths = ParseLengths(texts);
    for (size_t k = 0; k < lengths.size(); ++k)
        if (lengths[k].Kind == TMessageLength::TKind::Seconds && lengths[k].Seconds != 0)
            facts.Lengths.emplace_back(static_cast<int>(k) + 1, lengths[k].Text);
    for (int n = 0; n < Layout::Inputs; ++n)
        Input(facts, n, lengths);
    return facts;
}

void TReport::Input(TReportFacts& facts, int input, const TMessageLengths& lengths) {
    Editor.SpeedButton1Click(*Editor.InputButtons[static_cast<size_t>(input)]);
    if (!Editor.StageBoxes[0]->Checked())
        return;
    const TInputPlan plan = PlanInput(DecodeStages(Editor.Shown(), input), lengths);
    facts.LengthsMissing = facts.LengthsMissing || plan.LengthMissing;
    TReportInput in;
    in.Input = input;
    for (size_t s = 0; s < in.StageOn.size(); ++s) {
        in.StageOn[s] = Editor.StageBoxes[s]->Checked();
        in.Message[s] = Editor.MessageBoxes[s]->Text();
        in.Repeats[s] = Editor.RepeatBoxes[s]->Text();
        in.Pause[s] = Editor.PauseBoxes[s]->Text();
        in.Time[s] = plan.Stages[s].Text();
        in.TimeUnknown[s] = plan.Stages[s].Kind == TStageTime::TKind::Unknown;
    }
    in.Total = plan.TotalText();

    const int splitters = Composition.ComboBox57.ItemIndex();
    in.ZoneRows = splitters >= 2 ? 8 : splitters == 1 ? 4 : 0;
    for (int z = 0; z < in.ZoneRows; ++z)
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
            const TButton& zone = Editor.ZoneButton(s, z);
            in.Zones[static_cast<size_t>(z)][static_cast<size_t>(s)] = !zone.Enabled() ? ' '
                                                                       : zone.Down()   ? '+'
                                                                                       : '-';
        }
    in.ModuleRows = std::max(Composition.ComboBox56.ItemIndex(), 0);
    for (int m = 0; m < in.ModuleRows; ++m)
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
            const TCheckBox& k1 = Editor.RelayBox(s, m, 0);
            const TCheckBox& k2 = Editor.RelayBox(s, m, 1);
            // The K2 box's own enabled state is not consulted.
            if (k1.Enabled())
                in.Relays[static_cast<size_t>(m)][static_cast<size_t>(s)] =
                    Mark(k1.Checked()) + Mark(k2.Checked());
        }
    in.Timeline = TTimeline::FromEditor(Editor, input);
    facts.Inputs.push_back(std::move(in));
}

std::vector<std::string> TReport::Lines(const TReportFacts& facts) {
    std::vector<std::string> lines{
        "\t\t\tСистема оповещения VERDA", "", facts.CompositionHeading, std::string(29, '-'), "", ""};
    for (size_t i = 0; i < facts.Composition.size(); ++i)
        lines.push_back(Label(facts.Composition[i].first) + facts.Composition[i].second);
    lines.push_back(Label("Зоны для трансляции фоновой музыки:"));
    for (const auto& [zone, on] : facts.MusicZones)
        lines.push_back(Indent + TAlgorithmEditor::ZoneLabel(zone - 1) + "  " + Mark(on));
    lines.push_back("");
    lines.push_back(Label("Серийный номер:") + facts.SerialNumber);
    lines.push_back(Label("Дата:") + facts.Date);
    lines.push_back(Label("Версия:") + facts.Version);

    lines.push_back("\tДлительность воспроизведения сообщений:");
    lines.push_back(Indent + "Номер    Время (сек)");
    lines.push_back(Indent + "-----    -----------");
    for (const auto& [message, text] : facts.Lengths)
        lines.push_back("\t" + std::string(40, ' ') + std::to_string(message) + std::string(10, ' ') + text);
    lines.push_back("");
    lines.push_back("");

    lines.push_back(facts.AlgorithmsHeading);
    lines.push_back(std::string(28, '-'));
    lines.push_back("");
    for (const TReportInput& in : facts.Inputs)
        InputLines(lines, in);
    return lines;
}

std::string TReport::Render(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return Utf8ToCp1251(text);
}
