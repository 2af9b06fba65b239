#include "model/EvacuationPlan.h"
#include <algorithm>
#include <limits>

TMessageLength TMessageLength::Parse(const std::string& text) {
    TMessageLength length;
    length.Text = text;
    if (text.empty())
        return length;
    // Leading zeros count for nothing, however many there are.
    const size_t first = std::min(text.find_first_not_of('0'), text.size());
    const bool digits = text.size() - first <= 10 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int64_t value = !digits ? -1 : first == text.size() ? 0 : std::stoll(text.substr(first));
    if (!digits || value > std::numeric_limits<int32_t>::max()) {
        length.Kind = TKind::NotALength;
        return length;
    }
    length.Kind = TKind::Seconds;
    length.Seconds = value;
    return length;
}

TMessageLengths ParseLengths(const std::vector<std::string>& texts) {
    TMessageLengths lengths;
    lengths.reserve(texts.size());
    for (const std::string& text : texts)
        lengths.push_back(TMessageLength::Parse(text));
    return lengths;
}

std::string TStageTime::Text() const {
    if (Kind == TKind::Unlimited)
        return UnlimitedStageText;
    return std::to_string(Kind == TKind::Seconds ? Seconds : 0);
}

std::string TInputPlan::TotalText() const {
    return Unlimited ? UnlimitedTotalText : std::to_string(Seconds);
}

TInputPlan PlanInput(const TStages& stages, const TMessageLengths& lengths) {
    TInputPlan plan;
    for (size_t s = 0; s < stages.size(); ++s) {
        const TStageSettings& stage = stages[s];
        TStageTime& time = plan.Stages[s];
        if (!stage.On)
            continue;
        const bool listed = stage.Message >= 1 && static_cast<size_t>(stage.Message) <= lengths.size();
        const TMessageLength* length = listed ? &lengths[static_cast<size_t>(stage.Message - 1)] : nullptr;
        plan.LengthMissing = plan.LengthMissing || (length && !length->Known());
        if (stage.Repeats == 0) {
            time.Kind = TStageTime::TKind::Unlimited;
            plan.Unlimited = true;
        } else if (!length || length->Kind == TMessageLength::TKind::NotALength) {
            time.Kind = TStageTime::TKind::Unknown;
            plan.Unknown = true;
        } else {
            time.Kind = TStageTime::TKind::Seconds;
            time.Seconds = length->Seconds * stage.Repeats + (stage.Repeats - 1) * stage.PauseSeconds;
            plan.Seconds += time.Seconds;
        }
    }
    return plan;
}
