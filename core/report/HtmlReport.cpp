#include "report/HtmlReport.h"
#include "base/Utf8.h"
#include <algorithm>
#include <cstdio>

namespace {
const char* const Style = R"(@page { size: A4; margin: 10mm 12mm; }
body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 9.5pt; color: #000; margin: 0; }
h1 { font-size: 16pt; margin: 0 0 4mm; }
h2 { font-size: 13pt; margin: 4mm 0 2mm; border-bottom: 1px solid #000; }
table { border-collapse: collapse; margin: 1mm 0 3mm; }
th, td { border: 1px solid #666; padding: 0.2mm 1.6mm; }
th { background: #eee; font-weight: normal; text-align: left; }
td.c { text-align: center; min-width: 11mm; }
td.off { background: #f4f4f4; }
table.facts td:first-child { min-width: 80mm; }
.total { font-weight: bold; }
p.lengths, li.error { color: #c00; }
section.input { break-before: page; page-break-before: always; }
svg { width: 100%; height: auto; display: block; margin-top: 2mm; break-inside: avoid; }
@media print { th, td.off { -webkit-print-color-adjust: exact; print-color-adjust: exact; } }
)";

// The timeline's drawing units: a fixed width, the plot to the right of the stage labels.
constexpr int Width = 900;
constexpr int PlotLeft = 215;
constexpr int PlotRight = 875;
constexpr int Top = 34;
constexpr int Lane = 58;
// A play is drawn on its own only when a play and its pause take this many units or more.
constexpr int SmallestPeriod = 3;

// A stage without limit never ends, whether or not its message has a length: the text report
// keeps the editor's "0" for one without, the printed report names it.
bool Unlimited(const TReportInput& in, size_t stage) {
    return in.StageOn[stage] && in.Repeats[stage] == TAlgorithmEditor::Unlimited;
}

std::array<std::string, 8> StageTimes(const TReportInput& in) {
    std::array<std::string, 8> times = in.Time;
    for (size_t s = 0; s < times.size(); ++s)
        if (Unlimited(in, s))
            times[s] = TTimeline::ForEver;
    return times;
}

std::string Total(const TReportInput& in) {
    for (size_t s = 0; s < in.StageOn.size(); ++s)
        if (Unlimited(in, s))
            return TAlgorithmEditor::UnlimitedTotal;
    return in.Total;
}

// Page 1's account of the check: the findings, or that there are none.
std::string Findings(const TReportFacts& facts) {
    std::string html = "<h2>Проверка конфигурации</h2>\n";
    if (facts.Findings.empty())
        return html + "<p>Ошибок и замечаний нет.</p>\n";
    html += "<ul class=\"findings\">\n";
    for (const TFinding& f : facts.Findings)
        html += std::string("<li class=\"") + (f.IsError() ? "error" : "note") + "\">" +
                (f.IsError() ? "Ошибка. " : "Замечание. ") + THtmlReport::Escape(f.RussianText()) + "</li>\n";
    return html + "</ul>\n";
}

std::string Cells(const TReportInput& in, const std::array<std::string, 8>& texts) {
    std::string row;
    for (size_t s = 0; s < texts.size(); ++s)
        row += in.StageOn[s] ? "<td class=\"c\">" + THtmlReport::Escape(texts[s]) + "</td>"
                             : "<td class=\"c off\"></td>";
    return row;
}

std::string StageHeads() {
    std::string row;
    for (int s = 1; s <= 8; ++s)
        row += "<th>Этап" + std::to_string(s) + "</th>";
    return row;
}

std::string Tag(const std::string& name, const std::string& attributes, const std::string& content) {
    return "<" + name + attributes + ">" + content + "</" + name + ">";
}

std::string Text(int x, int y, const std::string& text, const std::string& attributes = "") {
    return "<text x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"" + attributes + ">" +
           THtmlReport::Escape(text) + "</text>";
}

std::string Rect(int x, int y, int w, int h, const std::string& attributes) {
    return "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" width=\"" +
           std::to_string(std::max(w, 1)) + "\" height=\"" + std::to_string(h) + "\"" + attributes + "/>";
}

std::string Line(int x1, int y1, int x2, int y2, const std::string& attributes) {
    return "<line x1=\"" + std::to_string(x1) + "\" y1=\"" + std::to_string(y1) + "\" x2=\"" +
           std::to_string(x2) + "\" y2=\"" + std::to_string(y2) + "\"" + attributes + "/>";
}

} // namespace

std::string THtmlReport::Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            // XML allows no control characters at all, not even as references.
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string THtmlReport::Svg(const TTimeline& timeline) {
    const int64_t axisEnd = timeline.AxisEnd();
    const auto x = [&](int64_t seconds) {
        const int64_t clamped = std::clamp<int64_t>(seconds, 0, axisEnd);
        return PlotLeft + static_cast<int>(static_cast<double>(clamped) * (PlotRight - PlotLeft) /
                                           static_cast<double>(axisEnd));
    };
    const int lanes = static_cast<int>(timeline.Stages.size());
    const int axisY = Top + lanes * Lane + 6;
    const int height = axisY + 34;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + std::to_string(Width) +
                      " " + std::to_string(height) +
                      "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"13\">";
    svg += Tag("title", "", "Вход активации N" + std::to_string(timeline.Input + 1));

    // The evacuation time across all lanes, or that it never ends.
    const std::string total = timeline.TotalCaption();
    if (timeline.Total) {
        const int tx = x(*timeline.Total);
        svg += Line(tx, Top - 8, tx, axisY, " stroke=\"#c00\" stroke-width=\"2\" stroke-dasharray=\"6 4\"");
        svg += Text(std::min(tx, PlotRight), Top - 14, total,
                    " text-anchor=\"end\" fill=\"#c00\" font-weight=\"bold\"");
    } else {
        svg += Text(PlotRight, Top - 14, total, " text-anchor=\"end\" fill=\"#c00\" font-weight=\"bold\"");
    }

    for (int i = 0; i < lanes; ++i) {
        const TTimelineStage& stage = timeline.Stages[static_cast<size_t>(i)];
        const int y = Top + i * Lane;
        if (i % 2 == 1)
            svg += Rect(0, y, Width, Lane, " fill=\"#f3f3f3\"");
        svg += Text(6, y + 18, stage.Title(), " font-weight=\"bold\"");
        svg += Text(6, y + 36, stage.Detail(), " font-size=\"11\"");

        const int x0 = x(stage.Start);
        const int x1 = stage.End ? x(*stage.End) : PlotRight;
        const int bandY = y + 6;
        const std::string outline =
            stage.LengthUnknown ? " stroke=\"#c00\" stroke-dasharray=\"4 3\"" : " stroke=\"#246\"";
        svg += Rect(x0, bandY, x1 - x0, 18, " fill=\"#d7e3f0\"" + outline);
        const auto segments = stage.Segments(axisEnd);
        const bool oneByOne =
            !segments.empty() && x(stage.Start + stage.Length + stage.Pause) - x0 >= SmallestPeriod;
        if (oneByOne) {
            for (const TTimelineSegment& segment : segments)
                if (segment.Play && segment.Start < axisEnd)
                    // Plays without a pause between them keep a hairline apart.
                    svg += Rect(x(segment.Start), bandY,
                                x(segment.End) - x(segment.Start) - (stage.Pause == 0 ? 1 : 0), 18,
                                " fill=\"#3a6ea5\"");
        } else if (!stage.LengthUnknown) {
            svg += Rect(x0, bandY, x1 - x0, 18, " fill=\"#3a6ea5\" fill-opacity=\"0.6\"");
        }
        if (!stage.End)
            svg += "<path d=\"M" + std::to_string(PlotRight) + " " + std::to_string(bandY - 4) +
                   " l 14 13 l -14 13 z\" fill=\"#246\"/>";

        const std::string under = stage.Reach();
        // Texts too long for the room right of the band's start end at the right edge, so they
        // stay on the page (about 7 units a character at this size).
        const bool right = x0 + 7 * static_cast<int>(Utf8Length(under)) > Width;
        const int textX = right ? Width - 4 : x0;
        const std::string anchor = right ? " text-anchor=\"end\"" : "";
        svg += Text(textX, y + 40, under, " font-size=\"12\"" + anchor);
        if (stage.LengthUnknown)
            svg += Text(textX, y + 54, TTimeline::UnknownLength, " font-size=\"11\" fill=\"#c00\"" + anchor);
    }

    // The axis: seconds from the alarm.
    svg += Line(PlotLeft, axisY, PlotRight, axisY, " stroke=\"#000\"");
    const int64_t step = TTimeline::AxisStep(axisEnd, 10);
    for (int64_t t = 0; t <= axisEnd; t += step) {
        svg += Line(x(t), axisY, x(t), axisY + 5, " stroke=\"#000\"");
        svg += Text(x(t), axisY + 19, std::to_string(t), " text-anchor=\"middle\" font-size=\"11\"");
    }
    svg += Text(PlotLeft - 8, axisY + 19, "сек", " text-anchor=\"end\" font-size=\"11\"");
    return svg + "</svg>";
}

std::string THtmlReport::Render(const TReportFacts& facts) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"ru\" xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                       "<meta charset=\"utf-8\"/>\n<title>Система оповещения VERDA</title>\n<style>\n";
    html += Style;
    html += "</style>\n</head>\n<body>\n<section class=\"front\">\n<h1>Система оповещения VERDA</h1>\n";

    html += "<h2>" + Escape(facts.CompositionHeading) + "</h2>\n<table class=\"facts\">\n";
    for (const auto& [label, value] : facts.Composition)
        html += "<tr><td>" + Escape(label) + "</td><td class=\"c\">" + Escape(value) + "</td></tr>\n";
    std::string music;
    for (const auto& [zone, on] : facts.MusicZones)
        music += "Зона " + std::to_string(zone) + " " + (on ? "+" : "-") + "<br/>";
    html += "<tr><td>Зоны для трансляции фоновой музыки:</td><td>" + music + "</td></tr>\n";
    html += "<tr><td>Серийный номер:</td><td>" + Escape(facts.SerialNumber) + "</td></tr>\n";
    html += "<tr><td>Дата:</td><td>" + Escape(facts.Date) + "</td></tr>\n";
    html += "<tr><td>Версия:</td><td>" + Escape(facts.Version) + "</td></tr>\n</table>\n";

    // Up to 72 lengths: four pairs of columns keep them on the first page.
    constexpr size_t LengthColumns = 4;
    html += "<h2>Длительность воспроизведения сообщений:</h2>\n<table>\n<tr>";
    for (size_t c = 0; c < std::min(LengthColumns, facts.Lengths.size()); ++c)
        html += "<th>Номер</th><th>Время (сек)</th>";
    html += "</tr>\n";
    for (size_t i = 0; i < facts.Lengths.size(); i += LengthColumns) {
        html += "<tr>";
        for (size_t k = i; k < std::min(i + LengthColumns, facts.Lengths.size()); ++k)
            html += "<td class=\"c\">" + std::to_string(facts.Lengths[k].first) + "</td><td class=\"c\">" +
                    Escape(facts.Lengths[k].second) + "</td>";
        html += "</tr>\n";
    }
    html += "</table>\n";
    if (facts.LengthsMissing)
        html +=
            "<p class=\"lengths\">Длительности сообщений, которые играют входы активации, не заданы: время "
            "этапов и общее время эвакуации посчитаны без них и не являются реальным временем.</p>\n";

    html += "<h2>" + Escape(facts.AlgorithmsHeading) + "</h2>\n<p>";
    if (facts.Inputs.empty())
        html += "Ни один вход активации не используется.";
    for (const TReportInput& in : facts.Inputs)
        html += "Вход активации N" + std::to_string(in.Input + 1) + ": " + Escape(Total(in)) + "<br/>";
    html += "</p>\n" + Findings(facts) + "</section>\n";

    for (const TReportInput& in : facts.Inputs) {
        html += "<section class=\"input\">\n<h2>Вход активации N" + std::to_string(in.Input + 1) +
                "</h2>\n<table>\n";
        html += "<tr><th></th>" + StageHeads() + "</tr>\n";
        html += "<tr><td>Номер сообщения</td>" + Cells(in, in.Message) + "</tr>\n";
        html += "<tr><td>Количество повторов</td>" + Cells(in, in.Repeats) + "</tr>\n";
        html += "<tr><td>Пауза между повторами (сек)</td>" + Cells(in, in.Pause) + "</tr>\n";
        html += "<tr><td>Время этапа (сек)</td>" + Cells(in, StageTimes(in)) + "</tr>\n";
        html += "<tr class=\"total\"><td>Общее время эвакуации (сек)</td><td colspan=\"8\">" +
                Escape(Total(in)) + "</td></tr>\n";
        if (in.ZoneRows > 0) {
            html += "<tr><th>Зоны трансляции сообщений:</th>" + StageHeads() + "</tr>\n";
            for (int z = 0; z < in.ZoneRows; ++z) {
                html += "<tr><td>Зона " + std::to_string(z + 1) + "</td>";
                for (const char mark : in.Zones[static_cast<size_t>(z)])
                    html += mark == ' ' ? "<td class=\"c off\"></td>"
                                        : std::string("<td class=\"c\">") + mark + "</td>";
                html += "</tr>\n";
            }
        }
        if (in.ModuleRows > 0) {
            html += "<tr><th>Исполнительные реле QV-CU4:</th>";
            for (int s = 0; s < 8; ++s)
                html += "<th>K1 K2</th>";
            html += "</tr>\n";
            for (int m = 0; m < in.ModuleRows; ++m) {
                html += "<tr><td>Модуль " + std::to_string(m + 1) + "</td>";
                for (const std::string& marks : in.Relays[static_cast<size_t>(m)])
                    html += marks.empty() ? "<td class=\"c off\"></td>"
                                          : "<td class=\"c\">" + marks.substr(0, 1) + "  " +
                                                marks.substr(1, 1) + "</td>";
                html += "</tr>\n";
            }
        }
        html += "</table>\n" + Svg(in.Timeline) + "\n</section>\n";
    }
    return html + "</body>\n</html>\n";
}
