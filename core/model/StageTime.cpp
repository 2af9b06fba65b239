#include "model/StageTime.h"
#include "model/WholeNumber.h"

std::optional<std::string> StageTimeText(int64_t length, int64_t repeats, bool unlimitedChosen,
                                         int64_t pause) {
    if (repeats == -1)
        return unlimitedChosen && length > 0 ? UnlimitedStageText : "0";
    if (length == -1)
        return std::nullopt;
    return std::to_string(length * repeats + (repeats - 1) * pause);
}

std::string TotalTimeText(const std::vector<std::string>& stageTimes) {
    int64_t total = 0;
    for (const std::string& time : stageTimes) {
        int64_t value = 0;
        if (!ParseWholeNumber(time, value, true))
            return UnlimitedTotalText;
        total += value;
    }
    return std::to_string(total);
}
