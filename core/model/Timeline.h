#pragma once
#include "model/EvacuationPlan.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A play of the message or a pause between two plays, in seconds from the alarm.
struct TTimelineSegment {
    bool Play = true;
    int64_t Start = 0;
    int64_t End = 0;
};

// A switched-on stage on the time axis.
struct TTimelineStage {
    int Stage = 0; // 0 … 7
    int Message = 0;
    int64_t Length = -1; // the message's length; -1 when it has none that is one
    int64_t Repeats = 0; // plays; -1 for ever
    int64_t Pause = 0;
    std::string TimeText;
    int64_t Start = 0;
    // Where the stage ends; nothing for a stage that plays for ever.
    std::optional<int64_t> End;
    // The message has no length above 0: the band's width says nothing about the sound.
    bool LengthUnknown = false;
    std::array<bool, 8> Zones{};
    std::array<bool, 16> Relays{};

    // The plays and pauses from the stage's start up to its end, or up to `until` for a stage
    // that plays for ever. Empty when the plays cannot be told from the values.
    std::vector<TTimelineSegment> Segments(int64_t until) const;

    // The texts every drawing shows with the band: "Этап 2: 70 с"; "сообщение 5, 2 × 30 с,
    // пауза 10 с"; "Зоны: 1, 2, 3 · Реле: М1 K1 K2, М2 K2" ("все зоны" when all eight hear it) with
    // "без ограничения" for a stage without end. Detail and Reach may be wrapped after each ","
    // and "·".
    std::string Title() const;
    std::string Detail() const;
    std::string Reach() const;
};

// What one activation input does from the alarm on: its switched-on stages one after the other,
// each starting where the stages before it end by the stage times the editor shows.
struct TTimeline {
    static inline const std::string ForEver = "без ограничения";
    static inline const std::string UnknownLength = "длительность сообщения не задана";
    static inline const std::string AllZones = "все зоны";
    static inline const std::string NoStage = "Ни один этап этого входа не включен";

    int Input = 0; // 0 … 7
    std::vector<TTimelineStage> Stages;
    std::string TotalText; // as the editor shows it
    // The evacuation time; nothing when a stage plays for ever (or a time is no number).
    std::optional<int64_t> Total;

    // A stage that plays for ever ends the picture: stages after it are never reached. The
    // stages' zones and relays are those that can be heard and switched.
    static TTimeline Build(int input, const TStages& stages, const TMessageLengths& lengths);
    // Input `input` of an image with its 72 lengths as typed, each stage reaching the zones and
    // relays the composition provides.
    static TTimeline Of(const ConfigImage& image, int input, const std::vector<std::string>& lengths);

    // The end of the time axis: the total, or for a stage that plays for ever a few of its
    // plays past its start.
    int64_t AxisEnd() const;
    // A round step for the axis's marks, about `marks` of them up to the axis end.
    static int64_t AxisStep(int64_t axisEnd, int marks);
    // "Общее время эвакуации (сек): " and the total as the editor shows it.
    std::string TotalCaption() const;
};
