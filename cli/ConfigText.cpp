#include "ConfigText.h"
#include "JsonWriter.h"
#include "base/Utf8.h"
#include "report/Report.h"
#include <algorithm>
#include <cstdio>

namespace {
const std::string BlankCell = "       |";

std::string Padded(const std::string& text, size_t width) {
    const size_t length = Utf8Length(text);
    return text + std::string(length < width ? width - length : 0, ' ');
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string Offset(size_t offset) {
    return "0x" + Hex(static_cast<unsigned>(offset), 4);
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string Numbers(const std::array<bool, 8>& on) {
    std::string text;
    for (size_t i = 0; i < on.size(); ++i)
        if (on[i])
            text += (text.empty() ? "" : " ") + std::to_string(i + 1);
    return text.empty() ? "none" : text;
}

// Zones (or modules) to list: those the composition provides and any an active stage uses.
int Rows(const TInputSettings& input, int provided, int count, int width) {
    int rows = std::min(provided, count);
    for (const TStageSettings& s : input.Stages)
        for (int i = 0; s.On && i < count * width; ++i) {
            const bool set = width == 1 ? s.Zones[static_cast<size_t>(i)] : s.Relays[static_cast<size_t>(i)];
            if (set)
                rows = std::max(rows, i / width + 1);
        }
    return rows;
}

void InputTable(std::string& out, int n, const TInputSettings& input, const TCompositionSettings& c) {
    const auto row = [&](const std::string& label, auto cell) {
        out += Padded(label, 28) + "|";
        for (size_t s = 0; s < input.Stages.size(); ++s)
            out += input.Stages[s].On ? cell(input.Stages[s], s) : BlankCell;
        out += "\n";
    };
    out += "\n" + Padded("IN " + std::to_string(n + 1) + "  stage", 28) + "|";
    for (int s = 1; s <= Layout::Stages; ++s)
        out += TReport::Cell(std::to_string(s));
    out += "\n";
    row("message", [](const TStageSettings& s, size_t) { return TReport::Cell(std::to_string(s.Message)); });
    row("repeats", [](const TStageSettings& s, size_t) {
        return TReport::Cell(s.Repeats == 0 ? UnlimitedStageText : std::to_string(s.Repeats));
    });
    row("pause (s)",
        [](const TStageSettings& s, size_t) { return TReport::Cell(std::to_string(s.PauseSeconds)); });
    row("time (s)", [&input](const TStageSettings&, size_t s) {
        return TReport::Cell(input.Plan ? input.Plan->Stages[s].Text() : "?");
    });
    out += Padded("total (s)", 28) + "| " + (input.Plan ? input.Plan->TotalText() : "?") + "\n";
    const int zones = Rows(input, ZonesProvided(c.Splitters), 8, 1);
    for (int z = 0; z < zones; ++z)
        row("zone " + std::to_string(z + 1), [z](const TStageSettings& s, size_t) {
            return s.Zones[static_cast<size_t>(z)] ? "   +   |" : "   -   |";
        });
    const int modules = Rows(input, ModulesProvided(c.Modules), 8, 2);
    if (modules > 0) {
        out += Padded("relays", 28) + "|";
        for (int s = 0; s < Layout::Stages; ++s)
            out += " K1 K2 |";
        out += "\n";
    }
    for (int m = 0; m < modules; ++m)
        row("module " + std::to_string(m + 1), [m](const TStageSettings& s, size_t) {
            const auto mark = [&](int k) {
                return s.Relays[static_cast<size_t>(Layout::RelayIndex(m, k))] ? "+" : "-";
            };
            return std::string("  ") + mark(0) + "  " + mark(1) + " |";
        });
}

std::string HexBytes(std::string_view bytes) {
    std::string text;
    for (const char byte : bytes)
        text += Hex(static_cast<unsigned char>(byte), 2);
    return text;
}

std::string RawHex(const TRawRange& range, const char* separator) {
    std::string text;
    for (const uint8_t byte : range.Bytes)
        text += (text.empty() ? "" : separator) + Hex(byte, 2);
    return text;
}
} // namespace

std::string ShowText(const TConfiguration& config) {
    const TCompositionSettings& c = config.Composition;
    const auto line = [](const std::string& label, const std::string& value) {
        return "  " + Padded(label, 27) + value + "\n";
    };
    std::string out = "composition\n";
    out += line("amplifiers QV-470AM", std::to_string(c.Amplifiers));
    out += line("splitters QV-SP", std::to_string(c.Splitters));
    out += line("modules QV-CU4", std::to_string(c.Modules));
    out += line("fire consoles QV-5FD", std::to_string(c.FireConsoles));
    out += line("announcer consoles QV-5D", std::to_string(c.AnnouncerConsoles));
    out += line("gong", OnOff(c.Gong));
    out += line("AUX priority", OnOff(c.AuxPriority));
    out += line("music zones", Numbers(c.MusicZones));
    out += "identity\n";
    out += line("serial number", config.Identity.SerialNumber);
    out +=
        line("date", config.Identity.Date[0] + "/" + config.Identity.Date[1] + "/" + config.Identity.Date[2]);
    out += line("version", config.Identity.Version);
    out += "message lengths (s)\n";
    if (!config.Lengths) {
        out += "  none: no side file\n";
    } else {
        std::string listed;
        for (size_t k = 0; k < config.Lengths->size(); ++k)
            if ((*config.Lengths)[k] != "0")
                listed += "  " + std::to_string(k + 1) + ": " + (*config.Lengths)[k] + "\n";
        out += listed.empty() ? "  all 0\n" : listed;
    }
    out += "inputs in use\n";
    bool any = false;
    for (int n = 0; n < Layout::Inputs; ++n)
        if (config.Inputs[static_cast<size_t>(n)].InUse()) {
            InputTable(out, n, config.Inputs[static_cast<size_t>(n)], c);
            any = true;
        }
    if (!any)
        out += "  none\n";
    if (!config.Raw.empty()) {
        out += "\nbytes the editor does not interpret\n";
        for (const TRawRange& range : config.Raw)
            out += "  " + Offset(range.Offset) + ": " + RawHex(range, " ") + "\n";
    }
    out += "\nwarnings\n";
    for (const TFinding& finding : config.Findings)
        out += "  " + finding.EnglishText() + "\n";
    if (config.Findings.empty())
        out += "  none\n";
    return out;
}

namespace {
// A time as a number; one without limit as null with "unlimited": true; without lengths null.
// One that cannot be known (its message has no length that is one) is 0 with "unknown": true.
void Time(TJsonWriter& json, const char* key, bool planned, bool unlimited, int64_t seconds, bool unknown) {
    json.Key(key);
    planned && !unlimited ? json.Value(seconds) : json.Null();
    json.Key("unlimited").Value(planned && unlimited);
    if (unknown)
        json.Key("unknown").Value(true);
}
} // namespace

std::string ShowJson(const TConfiguration& config, const char* sideFileEncoding,
                     const std::vector<std::string>* sideLengths) {
    const TCompositionSettings& c = config.Composition;
    const auto numbers = [](TJsonWriter& json, const auto& on) {
        json.BeginArray(true);
        for (size_t i = 0; i < on.size(); ++i)
            if (on[i])
                json.Value(static_cast<int>(i + 1));
        json.EndArray();
    };
    TJsonWriter json;
    json.BeginObject().Key("composition").BeginObject();
    json.Key("amplifiers").Value(c.Amplifiers).Key("splitters").Value(c.Splitters);
    json.Key("modules").Value(c.Modules).Key("fireConsoles").Value(c.FireConsoles);
    json.Key("announcerConsoles").Value(c.AnnouncerConsoles).Key("gong").Value(c.Gong);
    json.Key("auxPriority").Value(c.AuxPriority).Key("musicZones");
    numbers(json, c.MusicZones);
    json.EndObject().Key("identity").BeginObject();
    json.Key("serialNumber").Value(config.Identity.SerialNumber).Key("date").BeginArray(true);
    for (const std::string& part : config.Identity.Date)
        json.Value(part);
    json.EndArray().Key("version").Value(config.Identity.Version).EndObject();
    json.Key("messageLengths");
    if (config.Lengths) {
        json.BeginArray(true);
        for (size_t k = 0; k < config.Lengths->size(); ++k) {
            const std::string* side = sideLengths && k < sideLengths->size() ? &(*sideLengths)[k] : nullptr;
            // JSON strings hold only Unicode text: other bytes are kept as hexadecimal digits.
            if (side && ValidUtf8(*side) != *side)
                json.BeginObject(true).Key("bytes").Value(HexBytes(*side)).EndObject();
            else
                json.Value((*config.Lengths)[k]);
        }
        json.EndArray();
    } else {
        json.Null();
    }
    // So that build writes the side file back as it was.
    json.Key("sideFileEncoding");
    if (sideFileEncoding)
        json.Value(sideFileEncoding);
    else
        json.Null();
    // Every stage of every input, switched on or not: the image keeps them all.
    json.Key("inputs").BeginArray();
    for (int n = 0; n < Layout::Inputs; ++n) {
        const TInputSettings& input = config.Inputs[static_cast<size_t>(n)];
        json.BeginObject()
            .Key("input")
            .Value(n + 1)
            .Key("inUse")
            .Value(input.InUse())
            .Key("stages")
            .BeginArray();
        for (int s = 0; s < Layout::Stages; ++s) {
            const TStageSettings& stage = input.Stages[static_cast<size_t>(s)];
            // One line per stage, so a change under version control shows as one line.
            json.BeginObject(true).Key("stage").Value(s + 1).Key("on").Value(stage.On);
            json.Key("message").Value(stage.Message).Key("repeats").Value(stage.Repeats);
            json.Key("pause").Value(stage.PauseSeconds).Key("zones");
            numbers(json, stage.Zones);
            json.Key("relays").BeginArray(true);
            for (size_t j = 0; j < stage.Relays.size(); ++j)
                if (stage.Relays[j])
                    json.Value(std::to_string(j / 2 + 1) + " K" + std::to_string(j % 2 + 1));
            json.EndArray();
            const TStageTime time = input.Plan ? input.Plan->Stages[static_cast<size_t>(s)] : TStageTime{};
            Time(json, "time", input.Plan.has_value(), time.Kind == TStageTime::TKind::Unlimited,
                 time.Seconds, time.Kind == TStageTime::TKind::Unknown);
            json.EndObject();
        }
        json.EndArray();
        const TInputPlan plan = input.Plan.value_or(TInputPlan{});
        Time(json, "total", input.Plan.has_value(), plan.Unlimited, plan.Seconds, plan.Unknown);
        json.EndObject();
    }
    json.EndArray().Key("raw").BeginArray();
    for (const TRawRange& range : config.Raw)
        json.BeginObject()
            .Key("offset")
            .Value(static_cast<int64_t>(range.Offset))
            .Key("bytes")
            .Value(RawHex(range, ""))
            .EndObject();
    json.EndArray().Key("warnings").BeginArray();
    for (const TFinding& finding : config.Findings)
        json.Value(finding.EnglishText());
    json.EndArray().EndObject();
    return json.Text();
}

namespace {
const char* SeverityName(const TFinding& finding) {
    return finding.IsError() ? "error" : "note";
}
} // namespace

std::vector<TFinding> CheckFindings(const TConfiguration& config) {
    std::vector<TFinding> findings = config.Findings;
    std::stable_partition(findings.begin(), findings.end(), [](const TFinding& f) { return f.IsError(); });
    return findings;
}

std::string CheckText(const std::vector<TFinding>& findings) {
    std::string out;
    for (const TFinding& finding : findings)
        out += std::string(SeverityName(finding)) + ": " + finding.EnglishText() + "\n";
    return out;
}

std::string CheckJson(const std::vector<TFinding>& findings) {
    TJsonWriter json;
    json.BeginArray();
    for (const TFinding& finding : findings)
        json.BeginObject(true)
            .Key("severity")
            .Value(SeverityName(finding))
            .Key("place")
            .Value(finding.EnglishPlace())
            .Key("text")
            .Value(finding.English)
            .Key("russian")
            .Value(finding.RussianText())
            .EndObject();
    json.EndArray();
    return json.Text();
}

std::string DiffText(const TConfigurationDiff& diff) {
    std::string out;
    for (const TDifference& d : diff.Meaning)
        out += d.Text() + "\n";
    for (const TByteDifference& d : diff.Bytes)
        out += d.Text() + "\n";
    return out;
}

std::string DiffJson(const TConfigurationDiff& diff) {
    TJsonWriter json;
    const auto value = [&json](const TDifference& d, const std::string& text, int64_t number) {
        switch (d.Kind) {
        case TDifference::TKind::Number:
            json.Value(number);
            break;
        case TDifference::TKind::OnOff:
            json.Value(number != 0);
            break;
        case TDifference::TKind::Text:
            json.Value(text);
            break;
        }
    };
    json.BeginObject().Key("equal").Value(diff.Equal()).Key("differences").BeginArray();
    for (const TDifference& d : diff.Meaning) {
        json.BeginObject().Key("where").Value(d.Where).Key("what").Value(d.What).Key("from");
        value(d, d.From, d.FromValue);
        json.Key("to");
        value(d, d.To, d.ToValue);
        json.EndObject();
    }
    json.EndArray().Key("bytes").BeginArray();
    for (const TByteDifference& d : diff.Bytes)
        json.BeginObject()
            .Key("offset")
            .Value(static_cast<int64_t>(d.Offset))
            .Key("from")
            .Value(Hex(d.From, 2))
            .Key("to")
            .Value(Hex(d.To, 2))
            .EndObject();
    json.EndArray().EndObject();
    return json.Text();
}
