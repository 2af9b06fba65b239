#include "report/Report.h"
#include "base/Cp1251.h"
#include "base/Utf8.h"
#include "model/WholeNumber.h"

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
} // namespace

std::string TReport::Cell(const std::string& text) {
    const int length = static_cast<int>(Utf8Length(text));
    const int before = (7 - length) / 2;
    const int after = (8 - length) / 2;
    return std::string(static_cast<size_t>(std::max(before, 0)), ' ') + text +
           std::string(static_cast<size_t>(std::max(after, 0)), ' ') + "|";
}

std::vector<std::string> TReport::Build() {
    std::vector<std::string> lines{"\t\t\tСистема оповещения VERDA",
                                   "",
                                   Composition.StaticText269.Caption(),
                                   std::string(29, '-'),
                                   "",
                                   ""};
    CompositionLines(lines);
    Lengths(lines);
    lines.push_back(Editor.StaticText268.Caption());
    lines.push_back(std::string(28, '-'));
    lines.push_back("");
    for (int n = 0; n < Layout::Inputs; ++n)
        Input(lines, n);
    return lines;
}

void TReport::CompositionLines(std::vector<std::string>& lines) {
    TCompositionRules& c = Composition;
    lines.push_back(Label("Усилитель мощности QV-470AM") + std::to_string(c.Count(c.ComboBox58)));
    lines.push_back(Label("Разветвитель QV-SP") + std::to_string(c.Count(c.ComboBox57)));
    lines.push_back(Label("Модуль контроля и управления QV-CU4") + std::to_string(c.Count(c.ComboBox56)));
    lines.push_back(Label("Пожарный пульт микрофонный QV-5FD") + std::to_string(c.Count(c.ComboBox55)));
    lines.push_back(Label("Пульт диктора микрофонный QV-5D") + std::to_string(c.Count(c.ComboBox54)));
    lines.push_back(Label("Сигнал привлечения внимания (ГОНГ)") + Mark(c.CheckBox316.Checked()));
    lines.push_back(Label("Приоритет входа AUX над авт. режимом") + Mark(c.CheckBox325.Checked()));
    lines.push_back(Label("Зоны для трансляции фоновой музыки:"));
    for (int z = 1; z <= 8; ++z) {
        const TCheckBox& music = *c.CBMuz[static_cast<size_t>(z - 1)];
        if (music.Enabled())
            lines.push_back(Indent + music.Caption() + "  " + Mark(music.Checked()));
    }
    lines.push_back("");
    lines.push_back(Label("Серийный номер:") + c.Edit1.Text());
    lines.push_back(Label("Дата:") + c.Edit2.Text() + "/" + c.Edit3.Text() + "/" + c.Edit4.Text());
    lines.push_back(Label("Версия:") + c.Edit5.Text());
}

void TReport::Lengths(std::vector<std::string>& lines) {
    lines.push_back("\tДлительность воспроизведения сообщений:");
    lines.push_back(Indent + "Номер    Время (сек)");
    lines.push_back(Indent + "-----    -----------");
    for (int k = 1; k <= TAlgorithmEditor::Messages; ++k) {
        const std::string& text = Editor.LenMes.Value(k);
        if (WholeNumberOr(text, 0) != 0)
            lines.push_back("\t" + std::string(40, ' ') + std::to_string(k) + std::string(10, ' ') + text);
    }
    lines.push_back("");
    lines.push_back("");
}

void TReport::Input(std::vector<std::string>& lines, int input) {
    Editor.SpeedButton1Click(*Editor.InputButtons[static_cast<size_t>(input)]);
    if (!Editor.StageBoxes[0]->Checked())
        return;
    auto valueRow = [&](const std::string& label, auto text) {
        std::string row = RowLabel(label);
        for (int s = 0; s < TAlgorithmEditor::Stages; ++s)
            row += Editor.StageBoxes[static_cast<size_t>(s)]->Checked() ? Cell(text(static_cast<size_t>(s)))
                                                                        : EmptyCell;
        lines.push_back(row);
    };
    std::string heading = " Вход активации N" + std::to_string(input + 1) + "          |";
    for (int s = 1; s <= 8; ++s)
        heading += " Этап" + std::to_string(s) + " |";
    lines.push_back("");
    lines.push_back(heading);
    lines.push_back(GridRule);
    valueRow("Номер сообщения", [&](size_t s) { return Editor.MessageBoxes[s]->Text(); });
    valueRow("Количество повторов", [&](size_t s) { return Editor.RepeatBoxes[s]->Text(); });
    valueRow("Пауза между повторами (сек)", [&](size_t s) { return Editor.PauseBoxes[s]->Text(); });
    valueRow("Время этапа (сек)", [&](size_t s) { return Editor.StageTimes[s]->Caption(); });
    lines.push_back(FullRule);
    lines.push_back("Общее время эвакуации (сек) | " + Editor.TotalTime->Caption());
    lines.push_back(FullRule);

    const int splitters = Composition.ComboBox57.ItemIndex();
    if (splitters >= 1) {
        std::string heading2 = RowLabel("Зоны трансляции сообщений:");
        for (int s = 0; s < 8; ++s)
            heading2 += EmptyCell;
        lines.push_back(heading2);
        const int zones = splitters >= 2 ? 8 : 4;
        for (int z = 0; z < zones; ++z) {
            std::string row = std::string(21, ' ') + TAlgorithmEditor::ZoneLabel(z) + " |";
            for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
                const TButton& zone = Editor.ZoneButton(s, z);
                row += !zone.Enabled() ? EmptyCell : zone.Down() ? "   +   |" : "   -   |";
            }
            lines.push_back(row);
        }
    }
    lines.push_back(GridRule);

    const int modules = Composition.ComboBox56.ItemIndex();
    if (modules >= 1) {
        std::string heading3 = "Исполнительные реле QV-CU4: |";
        for (int s = 0; s < 8; ++s)
            heading3 += " K1 K2 |";
        lines.push_back(heading3);
        for (int m = 0; m < modules; ++m) {
            std::string row = std::string(19, ' ') + TAlgorithmEditor::ModuleLabel(m) + " |";
            for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
                const TCheckBox& k1 = Editor.RelayBox(s, m, 0);
                const TCheckBox& k2 = Editor.RelayBox(s, m, 1);
                row += !k1.Enabled()
                           ? EmptyCell
                           : std::string(k1.Checked() ? "  + " : "  - ") + (k2.Checked() ? " + |" : " - |");
            }
            lines.push_back(row);
        }
    }
    lines.push_back(std::string(93, '-') + "\r\n");
}

std::string TReport::Render(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return Utf8ToCp1251(text);
}
