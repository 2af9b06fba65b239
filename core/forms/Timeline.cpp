#include "forms/Timeline.h"
#include "forms/AlgorithmEditor.h"
#include "model/StageTime.h"
#include "model/WholeNumber.h"
#include <algorithm>
#include <cstdint>

namespace {
// More plays than the repeat box offers are not drawn one by one.
constexpr int64_t MostPlays = 255;

std::string Seconds(int64_t value) {
    return std::to_string(value) + " с";
}
} // namespace

std::string TTimelineStage::Title() const {
    // The time the editor shows, also where it is below 0 and the band has no width.
    return "Этап " + std::to_string(Stage + 1) + ": " + (End ? TimeText + " с" : TTimeline::ForEver);
}

std::string TTimelineStage::Detail() const {
    std::string detail = Message >= 1 ? "сообщение " + std::to_string(Message) : "сообщение не выбрано";
    if (Repeats == -1)
        detail += Length >= 0 ? ", без огр. " + Seconds(Length) : ", без огр.";
    else
        // Without a length there is nothing to multiply.
        detail += Length >= 0 ? ", " + std::to_string(Repeats) + " × " + Seconds(Length)
                              : ", повторов: " + std::to_string(Repeats);
    if (Pause > 0)
        detail += ", пауза " + Seconds(Pause);
    return detail;
}

std::string TTimelineStage::Reach() const {
    std::string zones, relays;
    for (size_t z = 0; z < Zones.size(); ++z)
        if (Zones[z])
            zones += (zones.empty() ? "" : ", ") + std::to_string(z + 1);
    // A module once, with the relays it switches: "М1 K1 K2".
    for (size_t m = 0; m < Relays.size() / 2; ++m)
        if (Relays[2 * m] || Relays[2 * m + 1])
            relays += (relays.empty() ? "М" : ", М") + std::to_string(m + 1) + (Relays[2 * m] ? " K1" : "") +
                      (Relays[2 * m + 1] ? " K2" : "");
    const bool all = std::all_of(Zones.begin(), Zones.end(), [](bool on) { return on; });
    std::string reach = all ? TTimeline::AllZones : zones.empty() ? "Зоны: нет" : "Зоны: " + zones;
    if (!relays.empty())
        reach += " · Реле: " + relays;
    if (!End)
        reach += " · " + TTimeline::ForEver;
    return reach;
}

std::string TTimeline::TotalCaption() const {
    return "Общее время эвакуации (сек): " + TotalText;
}

std::vector<TTimelineSegment> TTimelineStage::Segments(int64_t until) const {
    std::vector<TTimelineSegment> segments;
    if (Length < 0 || Pause < 0)
        return segments;
    if (Repeats == -1) {
        // For ever: a message that has no length never shows as playing for ever.
        if (End || Length <= 0)
            return segments;
        const int64_t plays = std::min(MostPlays, (until - Start) / (Length + Pause) + 1);
        for (int64_t i = 0, at = Start; i < plays; ++i) {
            segments.push_back({true, at, at + Length});
            segments.push_back({false, at + Length, at + Length + Pause});
            at += Length + Pause;
        }
        return segments;
    }
    // Plays drawn one by one only where the stage-time formula gives the band's length for them.
    if (!End || Repeats < 1 || Repeats > MostPlays ||
        StageTimeText(Length, Repeats, false, Pause) != std::to_string(*End - Start))
        return segments;
    for (int64_t i = 0, at = Start; i < Repeats; ++i) {
        if (i > 0) {
            segments.push_back({false, at, at + Pause});
            at += Pause;
        }
        segments.push_back({true, at, at + Length});
        at += Length;
    }
    return segments;
}

TTimeline TTimeline::Build(int input, const std::array<TTimelineStageSettings, 8>& stages,
                           const std::string& totalText) {
    TTimeline timeline;
    timeline.Input = input;
    timeline.TotalText = totalText;
    int64_t total = 0;
    if (ParseWholeNumber(totalText, total, true))
        timeline.Total = total;

    int64_t at = 0;
    for (size_t s = 0; s < stages.size(); ++s) {
        const TTimelineStageSettings& settings = stages[s];
        if (!settings.On)
            continue;
        TTimelineStage stage;
        stage.Stage = static_cast<int>(s);
        stage.Message = settings.Message;
        // A length below 0 is no length: the stage is drawn as one whose length is not known.
        stage.Length = std::max<int64_t>(WholeNumberOr(settings.LengthText, -1), -1);
        stage.Repeats = WholeNumberOr(settings.RepeatText, -1);
        stage.Pause = WholeNumberOr(settings.PauseText, 0);
        stage.TimeText = settings.TimeText;
        stage.LengthUnknown = stage.Length <= 0;
        stage.Zones = settings.Zones;
        stage.Relays = settings.Relays;
        stage.Start = at;
        int64_t time = 0;
        // Repeats without limit never end, whether or not the message has a length (the editor
        // then shows 0 as its time).
        const bool bounded = stage.Repeats != -1 && ParseWholeNumber(settings.TimeText, time, true);
        if (bounded) {
            // A time below 0 (a length typed below 0) takes no time: later stages never start
            // before this one.
            stage.End = at + std::max<int64_t>(time, 0);
            at = *stage.End;
        }
        timeline.Stages.push_back(stage);
        if (!bounded) {
            // The evacuation time does not end either.
            timeline.Total.reset();
            timeline.TotalText = UnlimitedTotalText;
            break;
        }
    }
    return timeline;
}

TTimeline TTimeline::FromEditor(const TAlgorithmEditor& editor, int input) {
    std::array<TTimelineStageSettings, 8> stages;
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        const auto i = static_cast<size_t>(s);
        TTimelineStageSettings& stage = stages[i];
        stage.On = editor.StageBoxes[i]->Checked();
        const int message = editor.MessageBoxes[i]->ItemIndex() + 1;
        stage.Message = message;
        if (message >= 1)
            stage.LengthText = editor.LenMes.Value(message);
        stage.RepeatText = editor.RepeatBoxes[i]->Text();
        stage.UnlimitedChosen = editor.RepeatBoxes[i]->ItemIndex() == 0;
        stage.PauseText = editor.PauseBoxes[i]->Text();
        stage.TimeText = editor.StageTimes[i]->Caption();
        for (size_t z = 0; z < stage.Zones.size(); ++z) {
            const TButton& zone = *editor.ZoneButtons[TAlgorithmEditor::Zones * i + z];
            stage.Zones[z] = zone.Enabled() && zone.Down();
        }
        // A module's relays count when its K1 box is available, as the report marks them.
        const auto relay = [&](size_t j) -> const TCheckBox& {
            return *editor.RelayBoxes[TAlgorithmEditor::RelaysPerStage * i + j];
        };
        for (size_t j = 0; j < stage.Relays.size(); j += 2)
            if (relay(j).Enabled()) {
                stage.Relays[j] = relay(j).Checked();
                stage.Relays[j + 1] = relay(j + 1).Checked();
            }
    }
    return Build(input, stages, editor.TotalTime->Caption());
}

int64_t TTimeline::AxisEnd() const {
    int64_t end = 1;
    for (const TTimelineStage& stage : Stages) {
        end = std::max(end, stage.Start);
        if (stage.End)
            end = std::max(end, *stage.End);
        else
            // Three plays past the start, and room enough to see the stage go on.
            end = std::max(
                {end,
                 stage.Start + 3 * (std::max<int64_t>(stage.Length, 1) + std::max<int64_t>(stage.Pause, 0)),
                 stage.Start + stage.Start / 4 + 10});
    }
    if (Total)
        end = std::max(end, *Total);
    return end;
}

int64_t TTimeline::AxisStep(int64_t axisEnd, int marks) {
    marks = std::max(marks, 1);
    for (int64_t scale = 1;; scale *= 10)
        for (const int64_t step : {scale, 2 * scale, 5 * scale})
            if (axisEnd / step <= marks || step > INT64_MAX / 20)
                return step;
}
