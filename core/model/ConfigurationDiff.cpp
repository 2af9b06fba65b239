#include "model/ConfigurationDiff.h"
#include <cstdio>

namespace {
std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string Repeats(int repeats) {
    return repeats == 0 ? "unlimited" : std::to_string(repeats);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Date(const TIdentity& identity) {
    return identity.Date[0] + "/" + identity.Date[1] + "/" + identity.Date[2];
}

class TCollector {
public:
    explicit TCollector(std::vector<TDifference>& out) : Out(out) {}
    void Add(const std::string& where, const std::string& what, const std::string& from,
             const std::string& to) {
        if (from != to)
            Out.push_back({where, what, from, to});
    }
    void Add(const std::string& where, const std::string& what, int from, int to) {
        Add(where, what, std::to_string(from), std::to_string(to));
    }
    void Add(const std::string& where, const std::string& what, bool from, bool to) {
        Add(where, what, OnOff(from), OnOff(to));
    }

private:
    std::vector<TDifference>& Out;
};

void DiffComposition(const TConfiguration& a, const TConfiguration& b, TCollector& diff) {
    const TCompositionSettings& x = a.Composition;
    const TCompositionSettings& y = b.Composition;
    const std::string where = "composition";
    diff.Add(where, "amplifiers", x.Amplifiers, y.Amplifiers);
    diff.Add(where, "splitters", x.Splitters, y.Splitters);
    diff.Add(where, "modules", x.Modules, y.Modules);
    diff.Add(where, "fire consoles", x.FireConsoles, y.FireConsoles);
    diff.Add(where, "announcer consoles", x.AnnouncerConsoles, y.AnnouncerConsoles);
    diff.Add(where, "gong", x.Gong, y.Gong);
    diff.Add(where, "AUX priority", x.AuxPriority, y.AuxPriority);
    for (size_t z = 0; z < 8; ++z)
        diff.Add(where, "music zone " + std::to_string(z + 1), x.MusicZones[z], y.MusicZones[z]);

    diff.Add("identity", "serial number", Quoted(a.Identity.SerialNumber), Quoted(b.Identity.SerialNumber));
    diff.Add("identity", "date", Quoted(Date(a.Identity)), Quoted(Date(b.Identity)));
    diff.Add("identity", "version", Quoted(a.Identity.Version), Quoted(b.Identity.Version));
}

void DiffStage(const std::string& where, const TStageSettings& x, const TStageSettings& y, TCollector& diff) {
    diff.Add(where, "", x.On, y.On);
    diff.Add(where, "message", x.Message, y.Message);
    diff.Add(where, "repeats", Repeats(x.Repeats), Repeats(y.Repeats));
    diff.Add(where, "pause", x.PauseSeconds, y.PauseSeconds);
    for (size_t z = 0; z < 8; ++z)
        diff.Add(where, "zone " + std::to_string(z + 1), x.Zones[z], y.Zones[z]);
    for (size_t j = 0; j < 16; ++j)
        diff.Add(where, "module " + std::to_string(j / 2 + 1) + " K" + std::to_string(j % 2 + 1), x.Relays[j],
                 y.Relays[j]);
}
} // namespace

std::string TDifference::Text() const {
    return Where + ": " + (What.empty() ? "" : What + " ") + From + " → " + To;
}

std::string TByteDifference::Text() const {
    char text[48];
    std::snprintf(text, sizeof text, "byte 0x%04X: %02X → %02X", static_cast<unsigned>(Offset), From, To);
    return text;
}

TConfigurationDiff DiffConfigurations(const ConfigImage& a, const std::vector<std::string>* lengthsA,
                                      const ConfigImage& b, const std::vector<std::string>* lengthsB) {
    const TConfiguration x = DecodeConfiguration(a, lengthsA);
    const TConfiguration y = DecodeConfiguration(b, lengthsB);
    TConfigurationDiff result;
    TCollector diff(result.Meaning);
    DiffComposition(x, y, diff);
    for (size_t n = 0; n < Layout::Inputs; ++n)
        for (size_t s = 0; s < Layout::Stages; ++s)
            DiffStage("IN " + std::to_string(n + 1) + " stage " + std::to_string(s + 1),
                      x.Inputs[n].Stages[s], y.Inputs[n].Stages[s], diff);
    if (x.Lengths && y.Lengths)
        for (size_t k = 0; k < x.Lengths->size(); ++k)
            diff.Add("message " + std::to_string(k + 1) + " length", "", (*x.Lengths)[k], (*y.Lengths)[k]);
    for (size_t offset = 0; offset < Layout::ImageSize; ++offset)
        if (((a[offset] ^ b[offset]) & UninterpretedBits(offset)) != 0)
            result.Bytes.push_back({offset, a[offset], b[offset]});
    return result;
}
