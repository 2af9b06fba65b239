#include "report/HtmlReport.h"
#include "base/Utf8.h"
#include "report/TimelineShapes.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <string_view>

namespace {
// Lengths as typed, and project names, are cut beyond these many characters.
constexpr size_t LengthWidth = 12;
constexpr size_t NameWidth = 60;

// The page's margins hold what identifies every printed page; the page rule with its texts is
// written for each report.
const char* const Style =
    R"(body { font-family: "DejaVu Sans", "Liberation Sans", Arial, sans-serif; font-size: 9.5pt; color: #000; margin: 0; }
h1 { font-size: 16pt; margin: 0 0 4mm; }
h2 { font-size: 13pt; margin: 4mm 0 2mm; border-bottom: 1px solid #000; break-after: avoid; }
table { border-collapse: collapse; margin: 1mm 0 3mm; }
th, td { border: 1px solid #666; padding: 0.2mm 1.6mm; }
td.num { overflow-wrap: anywhere; }
th { background: #eee; font-weight: normal; text-align: left; }
td.c { text-align: center; min-width: 11mm; }
td.off { background: #f4f4f4; }
table.facts td:first-child { min-width: 80mm; }
.total { font-weight: bold; }
p.lengths, li.error { color: #c00; }
p.made { margin: 0 0 3mm; }
section.input { break-before: page; page-break-before: always; }
svg { width: 100%; height: auto; display: block; margin-top: 2mm; break-inside: avoid; }
@media print { th, td.off { -webkit-print-color-adjust: exact; print-color-adjust: exact; } }
)";

// A text typed or read from a file that may be of any length, cut in the middle beyond `most`
// characters so that its start and its end both stay readable.
std::string Cut(const std::string& text, size_t most) {
    const size_t length = Utf8Length(text);
    if (length <= most)
        return text;
    const size_t head = (most - 1) / 2;
    const size_t tail = most - 1 - head;
    const std::string end = text.substr(Utf8Left(text, length - tail).size());
    return Utf8Left(text, head) + "…" + end;
}

// A text inside a CSS string: every character of ASCII but letters, digits, blanks and a few
// marks written as a CSS escape, so that no quote or "</style>" ends it early.
std::string CssString(const std::string& text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || c >= 0x80 || std::string_view(" .,:-_()").find(ch) != std::string_view::npos) {
            out += ch;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\%X ", c);
            out += hex;
        }
    }
    return out + "\"";
}

// Every printed page says which project it belongs to, when the report was made, and which of
// how many pages it is.
std::string PageRule(const TReportFacts& facts) {
    return "@page { size: A4; margin: 16mm 12mm 14mm;\n"
           "  @top-left { content: " +
           CssString(Cut(facts.ProjectName, NameWidth)) +
           "; font: 9pt \"DejaVu Sans\", Arial, sans-serif; vertical-align: bottom; }\n"
           "  @top-right { content: " +
           CssString("Отчет составлен " + facts.MadeAt) +
           "; font: 9pt \"DejaVu Sans\", Arial, sans-serif; vertical-align: bottom; }\n"
           "  @bottom-right { content: \"стр. \" counter(page) \" из \" counter(pages); "
           "font: 9pt \"DejaVu Sans\", Arial, sans-serif; vertical-align: top; }\n}\n";
}

// The printed report spells out a stage without end, and says which times are not known (the
// text report prints 0 for them) with a question mark.
std::array<std::string, 8> StageTimes(const TReportInput& in) {
    std::array<std::string, 8> times = in.Time;
    for (size_t s = 0; s < times.size(); ++s)
        if (times[s] == UnlimitedStageText)
            times[s] = TTimeline::ForEver;
        else if (in.TimeUnknown[s])
            times[s] = "?";
    return times;
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
    for (size_t s = 0; s < texts.size(); ++s) {
        // A long number may break anywhere, so that eight of them fit the page; words break
        // between them only.
        const bool number =
            !texts[s].empty() && texts[s].find_first_not_of("-0123456789") == std::string::npos;
        row += !in.StageOn[s] ? "<td class=\"c off\"></td>"
               : number       ? "<td class=\"c num\">" + THtmlReport::Escape(texts[s]) + "</td>"
                              : "<td class=\"c\">" + THtmlReport::Escape(texts[s]) + "</td>";
    }
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

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// "#c00" where each channel's two digits are alike, "#d7e3f0" otherwise.
std::string Colour(TColour colour) {
    const uint8_t channels[] = {colour.Red, colour.Green, colour.Blue};
    const bool shortForm =
        std::all_of(std::begin(channels), std::end(channels), [](uint8_t c) { return c % 17 == 0; });
    char text[8];
    if (shortForm)
        std::snprintf(text, sizeof text, "#%x%x%x", colour.Red / 17, colour.Green / 17, colour.Blue / 17);
    else
        std::snprintf(text, sizeof text, "#%02x%02x%02x", colour.Red, colour.Green, colour.Blue);
    return text;
}

std::string Attribute(const std::string& name, const std::string& value) {
    return " " + name + "=\"" + value + "\"";
}

std::string Paint(const TShape& shape) {
    std::string paint;
    if (shape.Kind != TShapeKind::Line)
        paint += Attribute("fill", shape.Fill.Alpha == 0 ? "none" : Colour(shape.Fill));
    if (shape.Fill.Alpha > 0 && shape.Fill.Alpha < 255)
        paint += Attribute("fill-opacity", Number(shape.Fill.Alpha / 255.0));
    if (shape.Stroke.Alpha == 0)
        return paint;
    paint += Attribute("stroke", Colour(shape.Stroke));
    if (shape.StrokeWidth != 1)
        paint += Attribute("stroke-width", Number(shape.StrokeWidth));
    std::string dashes;
    for (double length : shape.Dashes)
        dashes += (dashes.empty() ? "" : " ") + Number(length);
    return dashes.empty() ? paint : paint + Attribute("stroke-dasharray", dashes);
}

// The shapes of the timeline's drawing as SVG elements; attributes the <svg> element sets for
// all (the font size, black text) are left out.
std::string Element(const TShape& shape, double fontSize) {
    const std::vector<TPointF>& p = shape.Points;
    switch (shape.Kind) {
    case TShapeKind::Line:
        return "<line" + Attribute("x1", Number(p[0].X)) + Attribute("y1", Number(p[0].Y)) +
               Attribute("x2", Number(p[1].X)) + Attribute("y2", Number(p[1].Y)) + Paint(shape) + "/>";
    case TShapeKind::Rect:
        return "<rect" + Attribute("x", Number(p[0].X)) + Attribute("y", Number(p[0].Y)) +
               Attribute("width", Number(p[1].X - p[0].X)) + Attribute("height", Number(p[1].Y - p[0].Y)) +
               Paint(shape) + "/>";
    case TShapeKind::Polygon:
    case TShapeKind::Polyline: {
        std::string path = "M" + Number(p[0].X) + " " + Number(p[0].Y);
        for (size_t i = 1; i < p.size(); ++i)
            path += " l " + Number(p[i].X - p[i - 1].X) + " " + Number(p[i].Y - p[i - 1].Y);
        return "<path" + Attribute("d", shape.Kind == TShapeKind::Polygon ? path + " z" : path) +
               Paint(shape) + "/>";
    }
    case TShapeKind::Ellipse:
        return "<ellipse" + Attribute("cx", Number((p[0].X + p[1].X) / 2)) +
               Attribute("cy", Number((p[0].Y + p[1].Y) / 2)) +
               Attribute("rx", Number((p[1].X - p[0].X) / 2)) +
               Attribute("ry", Number((p[1].Y - p[0].Y) / 2)) + Paint(shape) + "/>";
    case TShapeKind::Text: {
        std::string attributes = Attribute("x", Number(p[0].X)) + Attribute("y", Number(p[0].Y));
        if (shape.Anchor != TAnchor::Start)
            attributes += Attribute("text-anchor", shape.Anchor == TAnchor::Middle ? "middle" : "end");
        if (!(shape.Fill == Rgb(0, 0, 0)))
            attributes += Attribute("fill", Colour(shape.Fill));
        if (shape.FontSize != fontSize)
            attributes += Attribute("font-size", Number(shape.FontSize));
        if (shape.Bold)
            attributes += Attribute("font-weight", "bold");
        return "<text" + attributes + ">" + THtmlReport::Escape(shape.Text) + "</text>";
    }
    }
    return {};
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
    // Most texts of the drawing are of this size.
    constexpr double FontSize = TTimelineShapes::TextSize;
    const TDrawing drawing = TTimelineShapes::Draw(timeline, TTimelineShapes::ReportWidth);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                      std::to_string(drawing.Width) + " " + std::to_string(drawing.Height) +
                      "\" font-family=\"DejaVu Sans, Arial, sans-serif\" font-size=\"" + Number(FontSize) +
                      "\">";
    svg += Tag("title", "", "Вход активации N" + std::to_string(timeline.Input + 1));
    for (const TShape& shape : drawing.Shapes)
        svg += Element(shape, FontSize);
    return svg + "</svg>";
}

std::string THtmlReport::Render(const TReportFacts& facts) {
    std::string html = "<!DOCTYPE html>\n<html lang=\"ru\" xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
                       "<meta charset=\"utf-8\"/>\n<title>Система оповещения VERDA</title>\n<style>\n";
    html += PageRule(facts) + Style;
    html += "</style>\n</head>\n<body>\n<section class=\"front\">\n<h1>Система оповещения VERDA</h1>\n";
    html += "<p class=\"made\">Проект: " + Escape(Cut(facts.ProjectName, NameWidth)) +
            "<br/>Отчет составлен " + Escape(facts.MadeAt) + "</p>\n";

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
                    Escape(Cut(facts.Lengths[k].second, LengthWidth)) + "</td>";
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
        html += "Вход активации N" + std::to_string(in.Input + 1) + ": " + Escape(in.Total) + "<br/>";
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
                Escape(in.Total) + "</td></tr>\n";
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
