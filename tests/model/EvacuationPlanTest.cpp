// The one computation of stage times and totals, which the editor, both reports, the timeline
// and the command line show.
#include "model/EvacuationPlan.h"
#include <gtest/gtest.h>

TEST(EvacuationPlan, StageTimesAndTotalsFollowFromTheLengthsAsTyped) {
    using TKind = TStageTime::TKind;
    struct Row {
        const char* Meaning;
        std::string Length;
        int Message, Repeats, Pause;
        TKind Kind;
        std::string Time, Total;
        bool LengthMissing;
    };
    const Row rows[] = {
        {"plays and pauses", "12", 1, 3, 5, TKind::Seconds, "46", "46", false},
        {"a length of 0 still counts its pauses", "0", 1, 3, 5, TKind::Seconds, "10", "10", true},
        {"nothing typed is 0", "", 1, 2, 0, TKind::Seconds, "0", "0", true},
        {"without limit never ends", "12", 1, 0, 5, TKind::Unlimited, "Без огр", "Без ограничения", false},
        {"without limit, whatever the length", "0", 1, 0, 0, TKind::Unlimited, "Без огр", "Без ограничения",
         true},
        {"a minus sign makes no length", "-100", 1, 2, 5, TKind::Unknown, "0", "0", true},
        {"nor does a plus sign", "+5", 1, 1, 0, TKind::Unknown, "0", "0", true},
        {"nor a letter", "1O", 1, 1, 0, TKind::Unknown, "0", "0", true},
        {"the longest length, the most plays", "2147483647", 1, 255, 35, TKind::Seconds, "547608338875",
         "547608338875", false},
        {"beyond 32 bits is no length", "2147483648", 1, 1, 0, TKind::Unknown, "0", "0", true},
        {"leading zeros count for nothing", "0000000000000000000012", 1, 1, 0, TKind::Seconds, "12", "12",
         false},
        {"no message chosen", "12", 0, 1, 0, TKind::Unknown, "0", "0", false},
        {"a message above 72", "12", 73, 1, 0, TKind::Unknown, "0", "0", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Meaning);
        std::vector<std::string> texts(72, "7");
        texts[0] = row.Length;
        TStages stages;
        stages[0] = {true, row.Message, row.Repeats, row.Pause, {}, {}};
        // A later stage that is off takes no part.
        stages[1] = {false, 2, 1, 0, {}, {}};
        const TInputPlan plan = PlanInput(stages, ParseLengths(texts));
        EXPECT_EQ(plan.Stages[0].Kind, row.Kind);
        EXPECT_EQ(plan.Stages[0].Text(), row.Time);
        EXPECT_EQ(plan.Stages[1].Kind, TKind::Off);
        EXPECT_EQ(plan.TotalText(), row.Total);
        EXPECT_EQ(plan.Unknown, row.Kind == TKind::Unknown);
        EXPECT_EQ(plan.LengthMissing, row.LengthMissing);

        // Behind a stage of 7 s played once, the total adds up or never ends.
        stages[1] = stages[0];
        stages[0] = {true, 2, 1, 0, {}, {}};
        const TInputPlan second = PlanInput(stages, ParseLengths(texts));
        EXPECT_EQ(second.TotalText(),
                  row.Kind == TKind::Unlimited ? row.Total : std::to_string(7 + std::stoll(row.Time)));
    }
}
