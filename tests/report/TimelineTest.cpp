#include "model/Timeline.h"
#include "model/EvacuationPlan.h"
#include "model/WholeNumber.h"
#include "report/HtmlReport.h"
#include "report/TimelineShapes.h"
#include "support/MainFixture.h"
#include "ui/TextWidth.h"
#include <random>

class Timeline : public MainFixture {};

namespace {
// No two texts of a drawing share a place and each one that fits the width stays inside, their
// boxes taken as wide as the widest face paints them, from the ascent to the descent.
void ExpectTextsApartWithinTheDrawing(const TDrawing& drawing) {
    struct TBox {
        double Left, Right, Top, Bottom;
        const std::string* Text;
    };
    std::vector<TBox> boxes;
    for (const TShape& shape : drawing.Shapes) {
        if (shape.Kind != TShapeKind::Text)
            continue;
        const double width = TextWidth(shape.Text, shape.FontSize, shape.Bold);
        const double shift = shape.Anchor == TAnchor::Start    ? 0
                             : shape.Anchor == TAnchor::Middle ? width / 2
                                                               : width;
        const TPointF at = shape.Points[0];
        boxes.push_back({at.X - shift, at.X - shift + width, at.Y - 0.93 * shape.FontSize,
                         at.Y + 0.24 * shape.FontSize, &shape.Text});
        if (width <= drawing.Width - 12) {
            EXPECT_GE(boxes.back().Left, 0) << shape.Text;
            EXPECT_LE(boxes.back().Right, drawing.Width) << shape.Text;
        }
        EXPECT_GE(boxes.back().Top, 0) << shape.Text;
        EXPECT_LE(boxes.back().Bottom, drawing.Height) << shape.Text;
    }
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const TBox &a = boxes[i], &b = boxes[j];
            EXPECT_FALSE(std::min(a.Right, b.Right) - std::max(a.Left, b.Left) > 0.5 &&
                         std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top) > 0.5)
                << *a.Text << " | " << *b.Text << " at width " << drawing.Width;
        }
}

// The one drawing every painter executes, at the report's width and a window's: a band per stage
// (the outlined rectangles), a later start never left of an earlier one, the dashed total line
// exactly when there is a total, and every shape inside the drawing.
void ExpectBandsInOrderWithinTheDrawing(const TTimeline& timeline) {
    for (int width : {TTimelineShapes::ReportWidth, 400, 1500}) {
        const TDrawing drawing = TTimelineShapes::Draw(timeline, width);
        std::vector<double> bandLefts;
        size_t totalLines = 0;
        for (const TShape& shape : drawing.Shapes) {
            for (const TPointF& p : shape.Points) {
                ASSERT_GE(p.X, 0) << width;
                ASSERT_LE(p.X, width);
                ASSERT_GE(p.Y, 0);
                ASSERT_LE(p.Y, drawing.Height);
            }
            if (shape.Kind == TShapeKind::Rect && shape.Stroke.Alpha > 0)
                bandLefts.push_back(shape.Points[0].X);
            totalLines += shape.Kind == TShapeKind::Line && !shape.Dashes.empty();
        }
        ASSERT_EQ(bandLefts.size(), timeline.Stages.size());
        for (size_t i = 0; i < bandLefts.size(); ++i)
            for (size_t j = 0; j < bandLefts.size(); ++j) {
                if (timeline.Stages[i].Start <= timeline.Stages[j].Start) {
                    EXPECT_LE(bandLefts[i], bandLefts[j]) << width;
                }
            }
        EXPECT_EQ(totalLines, timeline.Total && !timeline.Stages.empty() ? 1u : 0u);
        ExpectTextsApartWithinTheDrawing(drawing);
    }
}
} // namespace

// Random images and lengths, every input shown in turn: the bands lie where the stage-time
// formula puts them, one after the other from the alarm; the last one ends at the total; a
// stage that plays for ever ends the picture; the plays fill each band.
TEST_F(Timeline, BandsLieWhereTheStageTimeFormulaPutsThem) {
    std::mt19937 random(20261209);
    const std::vector<std::string> lengthTexts{"0", "", "abc", "-5", "1", "7", "12", "30", "99999"};
    auto pick = [&](int below) { return static_cast<int>(random() % static_cast<unsigned>(below)); };
    for (int round = 0; round < 40; ++round) {
        for (int k = 1; k <= TAlgorithmEditor::Messages; ++k)
            Editor().LenMes.SetValue(
                k, lengthTexts[static_cast<size_t>(pick(static_cast<int>(lengthTexts.size())))]);
        for (size_t i = 0; i < Layout::StageOffset(Layout::Inputs, 0); ++i)
            Main->Image[i] = static_cast<uint8_t>(random());
        for (int n = 0; n < Layout::Inputs; ++n)
            for (int s = 0; s < Layout::Stages; ++s) {
                uint8_t* record = &Main->Image[Layout::StageOffset(n, s)];
                record[Layout::StageFlags] |= pick(4) != 0 ? 0x80 : 0; // mostly on
                record[Layout::RepeatCount] = static_cast<uint8_t>(pick(5) == 0   ? 0
                                                                   : pick(4) == 0 ? random()
                                                                                  : 1 + pick(4));
                record[Layout::MessageNumber] = static_cast<uint8_t>(pick(10) == 0 ? random() : 1 + pick(72));
            }
        Main->ShowComposition();
        for (int n = 0; n < Layout::Inputs; ++n) {
            ShowInput(n);
            const TTimeline timeline = TTimeline::Of(Main->Image, n, Editor().LengthTexts());
            SCOPED_TRACE("round " + std::to_string(round) + ", input " + std::to_string(n + 1));
            // Where the next stage starts, and the sum of the times the editor shows.
            int64_t at = 0, sum = 0;
            size_t band = 0;
            bool forEver = false;
            for (int s = 0; s < Layout::Stages && !forEver; ++s) {
                if (!Stage(s).Checked())
                    continue;
                ASSERT_LT(band, timeline.Stages.size());
                const TTimelineStage& stage = timeline.Stages[band++];
                EXPECT_EQ(stage.Stage, s);
                EXPECT_EQ(stage.Start, at);
                const uint8_t* record = &Main->Image[Layout::StageOffset(n, s)];
                const int message = record[Layout::MessageNumber];
                const int repeats = record[Layout::RepeatCount];
                const TMessageLength parsed = TMessageLength::Parse(
                    message >= 1 && message <= 72 ? Editor().LenMes.Value(message) : "x");
                const int64_t length = parsed.Kind != TMessageLength::TKind::NotALength ? parsed.Seconds : -1;
                // Repeats without limit never end, the message's length known or not.
                if (repeats == 0) {
                    EXPECT_EQ(Time(s), UnlimitedStageText);
                    EXPECT_FALSE(stage.End);
                    EXPECT_EQ(stage.Segments(at + 100).empty(), length <= 0);
                    forEver = true;
                    continue;
                }
                int64_t seconds = 0;
                ASSERT_TRUE(ParseWholeNumber(Time(s), seconds, true)) << Time(s);
                ASSERT_TRUE(stage.End);
                EXPECT_EQ(*stage.End, at + seconds);
                EXPECT_EQ(stage.LengthUnknown, length <= 0);
                const auto segments = stage.Segments(0);
                if (!segments.empty()) {
                    EXPECT_EQ(segments.front().Start, at);
                    EXPECT_EQ(segments.back().End, *stage.End);
                    EXPECT_EQ(std::count_if(segments.begin(), segments.end(), [](auto& g) { return g.Play; }),
                              repeats);
                }
                at = *stage.End;
                sum += seconds;
            }
            EXPECT_EQ(band, timeline.Stages.size());
            EXPECT_EQ(timeline.TotalText, forEver ? UnlimitedTotalText : Editor().TotalTime->Caption());
            if (forEver)
                EXPECT_FALSE(timeline.Total);
            else
                EXPECT_EQ(timeline.Total, sum);
            EXPECT_GE(timeline.AxisEnd(), timeline.Total.value_or(at));
            // Any model draws (under the sanitizers too) into one closed picture.
            EXPECT_EQ(THtmlReport::Svg(timeline).rfind("</svg>"), THtmlReport::Svg(timeline).size() - 6);
            ExpectBandsInOrderWithinTheDrawing(timeline);
        }
    }
}

// Texts typed by the user or read from a controller reach the page as text, never as markup,
// and no control character breaks the page for an XML reader.
TEST(HtmlReport, EscapesMarkupAndControlCharacters) {
    EXPECT_EQ(THtmlReport::Escape("<script>&\"x\"</script>"),
              "&lt;script&gt;&amp;&quot;x&quot;&lt;/script&gt;");
    EXPECT_EQ(THtmlReport::Escape(std::string("A\x01\x1F\x7F") + "Б"), "A\\x01\\x1F\\x7FБ");
}

// The longest texts a stage can have, at any width: every zone and relay, lengths of ten digits
// played 255 times, a length that is none, a stage that plays for ever, a total of 0 (whose caption
// stands at the plot's left edge) and one too wide for a narrow window. Lines wrap within the
// drawing and no two texts meet.
TEST(TimelineShapes, TheLongestTextsWrapAndKeepApart) {
    TStages stages;
    std::vector<std::string> lengths(72, "2147483647");
    lengths[70] = "-2147483648";
    for (size_t s = 0; s < stages.size(); ++s) {
        TStageSettings& stage = stages[s];
        stage = {true, s == 2 ? 71 : 72, s == 7 ? 0 : 255, 35, {}, {}};
        stage.Zones.fill(s != 1);
        stage.Relays.fill(true);
    }
    for (const std::string& total : std::vector<std::string>{"0", "4380866711000", UnlimitedTotalText}) {
        TTimeline timeline = TTimeline::Build(0, stages, ParseLengths(lengths));
        if (total != UnlimitedTotalText)
            timeline.Total = std::stoll(total);
        timeline.TotalText = total;
        for (int width : {TTimelineShapes::ReportWidth, 400, 1500}) {
            const TDrawing drawing = TTimelineShapes::Draw(timeline, width);
            ASSERT_LE(TTimelineShapes::Height(timeline, width), drawing.Height);
            ExpectTextsApartWithinTheDrawing(drawing);
            for (const TTimelineStage& stage : timeline.Stages)
                for (const std::string& line : TTimelineShapes::Wrap(stage.Reach(), 12, width - 12))
                    EXPECT_LE(TextWidth(line, 12), width - 12) << line;
        }
        // A stage of a time below 0 takes none: the next one starts where it starts.
        EXPECT_EQ(timeline.Stages[2].End, timeline.Stages[2].Start);
        EXPECT_EQ(timeline.Stages[3].Start, timeline.Stages[2].Start);
    }
}
