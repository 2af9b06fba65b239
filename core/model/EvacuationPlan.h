#pragma once
#include "model/StageSettings.h"
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What a stage that plays for ever shows as its time, and a total that never ends.
inline const std::string UnlimitedStageText = "Без огр";
inline const std::string UnlimitedTotalText = "Без ограничения";

// A message's playback length as typed into the table, read once: whole seconds (digits only,
// as a 32-bit number), nothing typed, or text that is no length ("1O", "-100", "+5").
struct TMessageLength {
    enum class TKind { Seconds, Missing, NotALength };
    TKind Kind = TKind::Missing;
    int64_t Seconds = 0;
    std::string Text; // as typed

    static TMessageLength Parse(const std::string& text);
    // A length above 0 seconds: the one kind that gives stage times their meaning.
    bool Known() const { return Kind == TKind::Seconds && Seconds > 0; }
};
// The 72 lengths, message k at k - 1.
using TMessageLengths = std::vector<TMessageLength>;
TMessageLengths ParseLengths(const std::vector<std::string>& texts);

// A stage's time: R plays of a message of L seconds with R - 1 pauses of P seconds; without end
// when it repeats without limit (whatever its message's length); unknown when its message is
// none of the 72 or its length is no length (counted as 0, as the text report prints it).
struct TStageTime {
    enum class TKind { Off, Seconds, Unlimited, Unknown };
    TKind Kind = TKind::Off;
    int64_t Seconds = 0;

    // As the editor shows it: the seconds, "Без огр", or "0" for a stage off or unknown.
    std::string Text() const;
};

// The evacuation plan of one activation input: every stage's time and the total.
struct TInputPlan {
    std::array<TStageTime, Layout::Stages> Stages{};
    bool Unlimited = false; // a stage plays for ever, so the evacuation never ends
    int64_t Seconds = 0;    // the sum of the stage times
    bool Unknown = false;   // a stage's time is unknown and counted as 0
    // A stage that is on plays one of the 72 messages without a length above 0: its time says
    // nothing.
    bool LengthMissing = false;

    // As the editor shows it: the seconds, or "Без ограничения".
    std::string TotalText() const;
};

TInputPlan PlanInput(const TStages& stages, const TMessageLengths& lengths);
