#include "report/TimelineShapes.h"
#include "base/Utf8.h"
#include <algorithm>

namespace {
// The plot lies right of the stage labels; right of it the arrow of a stage without end.
constexpr int PlotLeft = 215;
constexpr int RightRoom = 25;
constexpr int Top = 34;
constexpr int Lane = 58;
constexpr int Band = 18;
constexpr int AxisRoom = 40;
// A play is drawn on its own only when a play and its pause take this many units or more.
constexpr int SmallestPeriod = 3;
// About one mark of the axis for this many units of its length.
constexpr int MarkSpacing = 66;
// A character of the zones and relays text takes about this many units at its size.
constexpr int CharWidth = 7;

constexpr double LabelSize = 13;
constexpr double ReachSize = 12;
constexpr double SmallSize = 11;

constexpr TColour Black = Rgb(0, 0, 0);
constexpr TColour Warning = Rgb(0xcc, 0, 0);
constexpr TColour Outline = Rgb(0x22, 0x44, 0x66);
constexpr TColour BandFill = Rgb(0xd7, 0xe3, 0xf0);
constexpr TColour PlayFill = Rgb(0x3a, 0x6e, 0xa5);
// The plays of a band too narrow to show them one by one.
constexpr TColour FaintPlays = Rgb(0x3a, 0x6e, 0xa5, 153);
constexpr TColour Stripe = Rgb(0xf3, 0xf3, 0xf3);

TPointF At(double x, double y) {
    return {x, y};
}
} // namespace

int TTimelineShapes::Height(const TTimeline& timeline) {
    return Top + std::max<int>(static_cast<int>(timeline.Stages.size()), 1) * Lane + AxisRoom;
}

TDrawing TTimelineShapes::Draw(const TTimeline& timeline, int width, int height) {
    TDrawing d;
    d.Width = width;
    d.Height = std::max(height, Height(timeline));
    if (timeline.Stages.empty()) {
        d.Text(At(width / 2.0, d.Height / 2.0), TTimeline::NoStage, LabelSize, Black, TAnchor::Middle);
        return d;
    }
    const int plotRight = std::max(width - RightRoom, PlotLeft + 50);
    const int64_t axisEnd = timeline.AxisEnd();
    const auto x = [&](int64_t seconds) {
        const int64_t clamped = std::clamp<int64_t>(seconds, 0, axisEnd);
        return PlotLeft + static_cast<int>(static_cast<double>(clamped) * (plotRight - PlotLeft) /
                                           static_cast<double>(axisEnd));
    };
    const int lanes = static_cast<int>(timeline.Stages.size());
    const int axisY = Top + lanes * Lane + 6;

    // The evacuation time across all lanes; its caption ends at the plot's right edge, where it
    // is read whole however early the total lies.
    if (timeline.Total) {
        const int tx = x(*timeline.Total);
        d.Line(At(tx, Top - 8), At(tx, axisY), Warning, 2).Dashes = {6, 4};
    }
    d.Text(At(plotRight, Top - 14), timeline.TotalCaption(), LabelSize, Warning, TAnchor::End, true);

    for (int i = 0; i < lanes; ++i) {
        const TTimelineStage& stage = timeline.Stages[static_cast<size_t>(i)];
        const int y = Top + i * Lane;
        if (i % 2 == 1)
            d.Rect(0, y, width, Lane, Stripe);
        d.Text(At(6, y + 18), stage.Title(), LabelSize, Black, TAnchor::Start, true);
        d.Text(At(6, y + 36), stage.Detail(), SmallSize, Black);

        const int x0 = x(stage.Start);
        const int x1 = stage.End ? x(*stage.End) : plotRight;
        const int bandY = y + 6;
        TShape& band =
            d.Rect(x0, bandY, std::max(x1 - x0, 1), Band, BandFill, stage.LengthUnknown ? Warning : Outline);
        if (stage.LengthUnknown)
            band.Dashes = {4, 3};
        const auto segments = stage.Segments(axisEnd);
        if (!segments.empty() && x(stage.Start + stage.Length + stage.Pause) - x0 >= SmallestPeriod) {
            for (const TTimelineSegment& segment : segments)
                if (segment.Play && segment.Start < axisEnd)
                    // Plays without a pause between them keep a hairline apart.
                    d.Rect(x(segment.Start), bandY,
                           std::max(x(segment.End) - x(segment.Start) - (stage.Pause == 0 ? 1 : 0), 1), Band,
                           PlayFill);
        } else if (!stage.LengthUnknown) {
            d.Rect(x0, bandY, std::max(x1 - x0, 1), Band, FaintPlays);
        }
        if (!stage.End)
            d.Polygon({At(plotRight, bandY - 4), At(plotRight + 14, bandY + 9), At(plotRight, bandY + 22)},
                      Outline);

        // Texts too long for the room right of the band's start end at the right edge.
        const std::string reach = stage.Reach();
        const bool right = x0 + CharWidth * static_cast<int>(Utf8Length(reach)) > width;
        const TPointF under = At(right ? width - 4 : x0, y + 40);
        const TAnchor anchor = right ? TAnchor::End : TAnchor::Start;
        d.Text(under, reach, ReachSize, Black, anchor);
        if (stage.LengthUnknown)
            d.Text(At(under.X, y + 54), TTimeline::UnknownLength, SmallSize, Warning, anchor);
    }

    d.Line(At(PlotLeft, axisY), At(plotRight, axisY), Black);
    const int64_t step = TTimeline::AxisStep(axisEnd, std::max((plotRight - PlotLeft) / MarkSpacing, 2));
    for (int64_t t = 0; t <= axisEnd; t += step) {
        d.Line(At(x(t), axisY), At(x(t), axisY + 5), Black);
        d.Text(At(x(t), axisY + 19), std::to_string(t), SmallSize, Black, TAnchor::Middle);
    }
    d.Text(At(PlotLeft - 8, axisY + 19), "сек", SmallSize, Black, TAnchor::End);
    return d;
}
