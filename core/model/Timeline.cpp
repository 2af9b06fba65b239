#include "model/Timeline.h"
#include "model/Configuration.h"
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
    if (!End || Repeats < 1 || Repeats > MostPlays)
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

TTimeline TTimeline::Build(int input, const TStages& stages, const TMessageLengths& lengths) {
    const TInputPlan plan = PlanInput(stages, lengths);
    TTimeline timeline;
    timeline.Input = input;
    timeline.TotalText = plan.TotalText();
    if (!plan.Unlimited)
        timeline.Total = plan.Seconds;
    int64_t at = 0;
    for (size_t s = 0; s < stages.size(); ++s) {
        const TStageSettings& settings = stages[s];
        if (!settings.On)
            continue;
        const TStageTime& time = plan.Stages[s];
        const bool listed = settings.Message >= 1 && static_cast<size_t>(settings.Message) <= lengths.size();
        const TMessageLength* length = listed ? &lengths[static_cast<size_t>(settings.Message - 1)] : nullptr;
        TTimelineStage stage;
        stage.Stage = static_cast<int>(s);
        stage.Message = listed ? settings.Message : 0;
        stage.Length = length && length->Kind != TMessageLength::TKind::NotALength ? length->Seconds : -1;
        stage.Repeats = settings.Repeats == 0 ? -1 : settings.Repeats;
        stage.Pause = settings.PauseSeconds;
        stage.TimeText = time.Text();
        stage.LengthUnknown = stage.Length <= 0;
        stage.Zones = settings.Zones;
        stage.Relays = settings.Relays;
        stage.Start = at;
        timeline.Stages.push_back(stage);
        // Repeats without limit never end, whether or not the message has a length.
        if (time.Kind == TStageTime::TKind::Unlimited)
            break;
        at += time.Kind == TStageTime::TKind::Seconds ? time.Seconds : 0;
        timeline.Stages.back().End = at;
    }
    return timeline;
}

TTimeline TTimeline::Of(const ConfigImage& image, int input, const std::vector<std::string>& lengths) {
    const TConfiguration config = DecodeConfiguration(image, nullptr);
    TStages stages = config.Inputs[static_cast<size_t>(input)].Stages;
    const size_t zones = static_cast<size_t>(ZonesProvided(config.Composition.Splitters));
    const size_t relays = 2 * static_cast<size_t>(ModulesProvided(config.Composition.Modules));
    for (TStageSettings& stage : stages) {
        for (size_t z = zones; z < stage.Zones.size(); ++z)
            stage.Zones[z] = false;
        for (size_t j = relays; j < stage.Relays.size(); ++j)
            stage.Relays[j] = false;
    }
    return Build(input, stages, ParseLengths(lengths));
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
