#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The stage and evacuation times as the editor shows them, in seconds. The editor and the
// plain decoding of a configuration both compute them here.

// What a stage that plays for ever shows as its time, and a total that never ends.
inline const std::string UnlimitedStageText = "Без огр";
inline const std::string UnlimitedTotalText = "Без ограничения";

// The time text of a switched-on stage: R plays of a message of L seconds with R - 1 pauses
// of P seconds. length: the message's length, -1 when it is no whole number; repeats: the
// plays, -1 when they are no whole number (unlimited); unlimitedChosen: the unlimited choice
// is selected. Nothing when the time cannot be known (plays, but no length): the editor and
// the report then show 0.
std::optional<std::string> StageTimeText(int64_t length, int64_t repeats, bool unlimitedChosen,
                                         int64_t pause);

// The total of eight stage time texts: their sum, or "Без ограничения" when one of them is
// no whole number.
std::string TotalTimeText(const std::vector<std::string>& stageTimes);
