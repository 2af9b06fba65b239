#include "report/Report.h"
#include "base/Cp1251.h"
#include "base/Utf8.h"
#include "model/Configuration.h"
#include "model/EvacuationPlan.h"

namespace {
constexpr int Messages = 72;
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
            std::string row = std::string(21, ' ') + ZoneLabel(z) + " |";
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
            std::string row = std::string(19, ' ') + ModuleLabel(m) + " |";
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

TReportFacts TReport::Collect(const ConfigImage& image, const std::vector<std::string>& lengths) {
    const TConfiguration config = DecodeConfiguration(image, nullptr);
    const TCompositionSettings& c = config.Composition;
    TReportFacts facts;
    facts.CompositionHeading = "Состав и конфигурация системы";
    facts.AlgorithmsHeading = "Программирование алгоритмов оповещения";
    facts.Composition = {
        {"Усилитель мощности QV-470AM", std::to_string(c.Amplifiers)},
        {"Разветвитель QV-SP", std::to_string(c.Splitters)},
        {"Модуль контроля и управления QV-CU4", std::to_string(c.Modules)},
        {"Пожарный пульт микрофонный QV-5FD", std::to_string(c.FireConsoles)},
        {"Пульт диктора микрофонный QV-5D", std::to_string(c.AnnouncerConsoles)},
        {"Сигнал привлечения внимания (ГОНГ)", Mark(c.Gong)},
        {"Приоритет входа AUX над авт. режимом", Mark(c.AuxPriority)},
    };
    const int zones = ZonesProvided(c.Splitters), modules = ModulesProvided(c.Modules);
    for (int z = 0; z < zones; ++z)
        facts.MusicZones.emplace_back(z + 1, c.MusicZones[static_cast<size_t>(z)]);
    facts.SerialNumber = IdentityFieldText(image, Layout::SerialNumber, Layout::SerialNumberSize);
    facts.Date = IdentityFieldText(image, Layout::Date1, Layout::DatePartSize) + "/" +
                 IdentityFieldText(image, Layout::Date2, Layout::DatePartSize) + "/" +
                 IdentityFieldText(image, Layout::Date3, Layout::DatePartSize);
    facts.Version = IdentityFieldText(image, Layout::Version, Layout::VersionSize);
    // An empty length reads "0", as the editor's table shows it.
    std::vector<std::string> texts(lengths);
    texts.resize(Messages, "0");
    for (std::string& text : texts)
        if (text.empty())
            text = "0";
    const TMessageLengths parsed = ParseLengths(texts);
    for (size_t k = 0; k < parsed.size(); ++k)
        if (parsed[k].Kind == TMessageLength::TKind::Seconds && parsed[k].Seconds != 0)
            facts.Lengths.emplace_back(static_cast<int>(k) + 1, parsed[k].Text);

    for (int n = 0; n < Layout::Inputs; ++n) {
        const TStages& stages = config.Inputs[static_cast<size_t>(n)].Stages;
        if (!stages[0].On)
            continue;
        const TInputPlan plan = PlanInput(stages, parsed);
        facts.LengthsMissing = facts.LengthsMissing || plan.LengthMissing;
        TReportInput in;
        in.Input = n;
        for (size_t s = 0; s < in.StageOn.size(); ++s) {
            const TStageSettings& stage = stages[s];
            in.StageOn[s] = stage.On;
            in.Message[s] =
                stage.Message >= 1 && stage.Message <= Messages ? std::to_string(stage.Message) : "";
            in.Repeats[s] = stage.Repeats == 0 ? UnlimitedStageText : std::to_string(stage.Repeats);
            in.Pause[s] = std::to_string(stage.PauseSeconds);
            in.Time[s] = plan.Stages[s].Text();
            in.TimeUnknown[s] = plan.Stages[s].Kind == TStageTime::TKind::Unknown;
            // A zone the splitters do not provide, or of a stage that is off, has no cell; a
            // module's relays are marked where it is provided.
            for (int z = 0; z < zones; ++z)
                in.Zones[static_cast<size_t>(z)][s] = !stage.On                             ? ' '
                                                      : stage.Zones[static_cast<size_t>(z)] ? '+'
                                                                                            : '-';
            for (int m = 0; m < modules && stage.On; ++m)
                in.Relays[static_cast<size_t>(m)][s] =
                    Mark(stage.Relays[static_cast<size_t>(Layout::RelayIndex(m, 0))]) +
                    Mark(stage.Relays[static_cast<size_t>(Layout::RelayIndex(m, 1))]);
        }
        in.Total = plan.TotalText();
        in.ZoneRows = zones;
        in.ModuleRows = modules;
        in.Timeline = TTimeline::Of(image, n, texts);
        facts.Inputs.push_back(std::move(in));
    }
    return facts;
}

std::vector<std::string> TReport::Lines(const TReportFacts& facts) {
    std::vector<std::string> lines{
        "\t\t\tСистема оповещения VERDA", "", facts.CompositionHeading, std::string(29, '-'), "", ""};
    for (size_t i = 0; i < facts.Composition.size(); ++i)
        lines.push_back(Label(facts.Composition[i].first) + facts.Composition[i].second);
    lines.push_back(Label("Зоны для трансляции фоновой музыки:"));
    for (const auto& [zone, on] : facts.MusicZones)
        lines.push_back(Indent + ZoneLabel(zone - 1) + "  " + Mark(on));
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
