#include "report/TimelineShapes.h"
#include "ui/TextWidth.h"
#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr int Margin = 6;
// The first lane's top; the total's caption stands above it.
constexpr int Top = 28;
constexpr int CaptionBaseline = 19;
// A lane: the title above the band when it is too wide for the column left of the plot, the band
// (with the title beside it), then one row for each line of text, then a little room.
constexpr int TitleRow = 20;
constexpr int BandRow = 26;
constexpr int Band = 18;
constexpr int TextRow = 16;
constexpr int TextBaseline = 12;
constexpr int LanePadding = 4;
// The lane that says that no stage is on.
constexpr int EmptyLane = 58;
constexpr int AxisGap = 6;
constexpr int AxisRoom = 32;
constexpr int Arrow = 14;
// The plot starts right of the widest title that fits this column, which takes at most a share
// of the width.
constexpr int SmallestPlotLeft = 120;
constexpr double PlotLeftShare = 0.35;
constexpr int SmallestPlot = 50;
// Axis labels keep at least this much room between them.
constexpr int LabelGap = 12;
// A play is drawn on its own only when a play and its pause take this many units or more.
constexpr int SmallestPeriod = 3;

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

int Ceil(double value) {
    return static_cast<int>(std::ceil(value));
}

struct TLane {
    bool TitleAbove = false;
    std::vector<std::string> Detail, Reach;
    int Height = 0;
};

// Where everything goes at one width; the drawing and its height both come from it.
struct TLayout {
    int PlotLeft = SmallestPlotLeft;
    int PlotRight = 0;
    // The widest axis label: the axis end's.
    double LabelWidth = 0;
    std::vector<TLane> Lanes;
    int Height = 0;
};

TLayout Arrange(const TTimeline& timeline, int width) {
    TLayout layout;
    const int leftLimit = std::max(SmallestPlotLeft, static_cast<int>(width * PlotLeftShare));
    for (const TTimelineStage& stage : timeline.Stages) {
        const int needed = Ceil(TextWidth(stage.Title(), TTimelineShapes::TitleSize, true)) + 2 * Margin;
        if (needed <= leftLimit)
            layout.PlotLeft = std::max(layout.PlotLeft, needed);
    }
    // The last label is centred on the axis's end and stays inside the drawing.
    layout.LabelWidth = TextWidth(std::to_string(timeline.AxisEnd()), TTimelineShapes::TextSize);
    const int rightRoom = std::max(Arrow + Margin + 5, Ceil(layout.LabelWidth / 2) + Margin);
    layout.PlotRight = std::max(width - rightRoom, layout.PlotLeft + SmallestPlot);

    const double room = width - 2.0 * Margin;
    int height = Top;
    for (const TTimelineStage& stage : timeline.Stages) {
        TLane lane;
        lane.TitleAbove =
            Ceil(TextWidth(stage.Title(), TTimelineShapes::TitleSize, true)) + 2 * Margin > layout.PlotLeft;
        lane.Detail = TTimelineShapes::Wrap(stage.Detail(), TTimelineShapes::TextSize, room);
        lane.Reach = TTimelineShapes::Wrap(stage.Reach(), TTimelineShapes::TextSize, room);
        const size_t lines = lane.Detail.size() + lane.Reach.size() + (stage.LengthUnknown ? 1 : 0);
        lane.Height =
            (lane.TitleAbove ? TitleRow : 0) + BandRow + TextRow * static_cast<int>(lines) + LanePadding;
        height += lane.Height;
        layout.Lanes.push_back(std::move(lane));
    }
    if (timeline.Stages.empty())
        height += EmptyLane;
    layout.Height = height + AxisRoom;
    return layout;
}

bool BreaksAfter(const std::string& text, size_t space) {
    // "·" is two bytes in UTF-8.
    return text[space - 1] == ',' || (space >= 2 && text.compare(space - 2, 2, "·") == 0);
}
} // namespace

std::vector<std::string> TTimelineShapes::Wrap(const std::string& text, double size, double room) {
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == ' ' && BreaksAfter(text, i)) {
            pieces.push_back(text.substr(from, i - from));
            from = i + 1;
        }
    pieces.push_back(text.substr(from));

    std::vector<std::string> lines{pieces.front()};
    for (size_t i = 1; i < pieces.size(); ++i) {
        const std::string longer = lines.back() + " " + pieces[i];
        if (TextWidth(longer, size) <= room)
            lines.back() = longer;
        else
            lines.push_back(pieces[i]);
    }
    return lines;
}

int TTimelineShapes::Height(const TTimeline& timeline, int width) {
    return Arrange(timeline, width).Height;
}

TDrawing TTimelineShapes::Draw(const TTimeline& timeline, int width, int height) {
    const TLayout layout = Arrange(timeline, width);
    TDrawing d;
    d.Width = width;
    d.Height = std::max(height, layout.Height);
    if (timeline.Stages.empty()) {
        d.Text(At(width / 2.0, d.Height / 2.0), TTimeline::NoStage, TitleSize, Black, TAnchor::Middle);
        return d;
    }
    const int plotLeft = layout.PlotLeft;
    const int plotRight = layout.PlotRight;
    const int64_t axisEnd = timeline.AxisEnd();
    const auto x = [&](int64_t seconds) {
        const int64_t clamped = std::clamp<int64_t>(seconds, 0, axisEnd);
        return plotLeft + static_cast<int>(static_cast<double>(clamped) * (plotRight - plotLeft) /
                                           static_cast<double>(axisEnd));
    };
    int lanesBottom = Top;
    for (const TLane& lane : layout.Lanes)
        lanesBottom += lane.Height;
    const int axisY = lanesBottom + AxisGap;

    // The evacuation time across all lanes; its caption ends at the plot's right edge, where it
    // is read whole however early the total lies, or starts at the left one when it is wider.
    if (timeline.Total) {
        const int tx = x(*timeline.Total);
        d.Line(At(tx, Top - 4), At(tx, axisY), Warning, 2).Dashes = {6, 4};
    }
    const std::string caption = timeline.TotalCaption();
    if (plotRight - TextWidth(caption, TitleSize, true) >= Margin)
        d.Text(At(plotRight, CaptionBaseline), caption, TitleSize, Warning, TAnchor::End, true);
    else
        d.Text(At(Margin, CaptionBaseline), caption, TitleSize, Warning, TAnchor::Start, true);

    int y = Top;
    for (size_t i = 0; i < layout.Lanes.size(); ++i) {
        const TTimelineStage& stage = timeline.Stages[i];
        const TLane& lane = layout.Lanes[i];
        if (i % 2 == 1)
            d.Rect(0, y, width, lane.Height, Stripe);
        int row = y;
        if (lane.TitleAbove) {
            d.Text(At(Margin, row + 15), stage.Title(), TitleSize, Black, TAnchor::Start, true);
            row += TitleRow;
        } else {
            d.Text(At(Margin, row + 18), stage.Title(), TitleSize, Black, TAnchor::Start, true);
        }

        const int x0 = x(stage.Start);
        const int x1 = stage.End ? x(*stage.End) : plotRight;
        const int bandY = row + 4;
        TShape& band =
            d.Rect(x0, bandY, std::max(x1 - x0, 1), Band, BandFill, stage.LengthUnknown ? Warning : Outline);
        // Without a length the band only says how long the stage is shown: no plays in it.
        if (stage.LengthUnknown) {
            band.Dashes = {4, 3};
        } else {
            const auto segments = stage.Segments(axisEnd);
            if (!segments.empty() && x(stage.Start + stage.Length + stage.Pause) - x0 >= SmallestPeriod) {
                for (const TTimelineSegment& segment : segments)
                    if (segment.Play && segment.Start < axisEnd)
                        // Plays without a pause between them keep a hairline apart.
                        d.Rect(x(segment.Start), bandY,
                               std::max(x(segment.End) - x(segment.Start) - (stage.Pause == 0 ? 1 : 0), 1),
                               Band, PlayFill);
            } else {
                d.Rect(x0, bandY, std::max(x1 - x0, 1), Band, FaintPlays);
            }
        }
        if (!stage.End)
            d.Polygon({At(plotRight, bandY - 4), At(plotRight + Arrow, bandY + 9), At(plotRight, bandY + 22)},
                      Outline);
        row += BandRow;

        for (const auto* lines : {&lane.Detail, &lane.Reach})
            for (const std::string& line : *lines) {
                d.Text(At(Margin, row + TextBaseline), line, TextSize, Black);
                row += TextRow;
            }
        if (stage.LengthUnknown)
            d.Text(At(Margin, row + TextBaseline), TTimeline::UnknownLength, TextSize, Warning);
        y += lane.Height;
    }

    // Marks far enough apart for the widest label, and a label left out should it still touch
    // the one before it.
    d.Line(At(plotLeft, axisY), At(plotRight, axisY), Black);
    const double spacing = layout.LabelWidth + LabelGap;
    const int marks = std::max(static_cast<int>((plotRight - plotLeft) / spacing) - 1, 1);
    const int64_t step = TTimeline::AxisStep(axisEnd, marks);
    double lastRight = -std::numeric_limits<double>::infinity();
    for (int64_t t = 0;; t += step) {
        const int at = x(t);
        d.Line(At(at, axisY), At(at, axisY + 5), Black);
        const std::string label = std::to_string(t);
        const double half = TextWidth(label, TextSize) / 2;
        if (at - half >= lastRight + LabelGap) {
            d.Text(At(at, axisY + 19), label, TextSize, Black, TAnchor::Middle);
            lastRight = at + half;
        }
        if (t > axisEnd - step)
            break;
    }
    d.Text(At(plotLeft - 8, axisY + 19), "сек", TextSize, Black, TAnchor::End);
    return d;
}
