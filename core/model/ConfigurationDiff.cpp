#include "model/ConfigurationDiff.h"
#include "base/Utf8.h"
#include <cstdio>

namespace {
std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string Repeats(int repeats) {
    return repeats == 0 ? "unlimited" : std::to_string(repeats);
}

class TCollector {
public:
    explicit TCollector(std::vector<TDifference>& out) : Out(out) {}
    void Add(const std::string& where, const std::string& what, const std::string& from,
             const std::string& to, bool quoted = false) {
        if (from != to)
            Out.push_back({where, what, from, to, TDifference::TKind::Text, 0, 0, quoted});
    }
    void Add(const std::string& where, const std::string& what, int from, int to) {
        Add(where, what, std::to_string(from), std::to_string(to), from, to, TDifference::TKind::Number);
    }
    void Add(const std::string& where, const std::string& what, bool from, bool to) {
        Add(where, what, OnOff(from), OnOff(to), from, to, TDifference::TKind::OnOff);
    }
    // A play count: "unlimited" in the text, 0 as a number.
    void AddRepeats(const std::string& where, int from, int to) {
        Add(where, "repeats", Repeats(from), Repeats(to), from, to, TDifference::TKind::Number);
    }

private:
    void Add(const std::string& where, const std::string& what, const std::string& fromText,
             const std::string& toText, int64_t from, int64_t to, TDifference::TKind kind) {
        if (from != to)
            Out.push_back({where, what, fromText, toText, kind, from, to, false});
    }
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

    // Texts are equal exactly when their bytes are, so each field is compared on its own: the
    // date parts joined by "/" would hide a "/" that moves from one part to the next.
    diff.Add("identity", "serial number", a.Identity.SerialNumber, b.Identity.SerialNumber, true);
    for (size_t part = 0; part < 3; ++part)
        diff.Add("identity", "date part " + std::to_string(part + 1), a.Identity.Date[part],
                 b.Identity.Date[part], true);
    diff.Add("identity", "version", a.Identity.Version, b.Identity.Version, true);
}

void DiffStage(const std::string& where, const TStageSettings& x, const TStageSettings& y, TCollector& diff) {
    diff.Add(where, "", x.On, y.On);
    diff.Add(where, "message", x.Message, y.Message);
    diff.AddRepeats(where, x.Repeats, y.Repeats);
    diff.Add(where, "pause", x.PauseSeconds, y.PauseSeconds);
    for (size_t z = 0; z < 8; ++z)
        diff.Add(where, "zone " + std::to_string(z + 1), x.Zones[z], y.Zones[z]);
    for (size_t j = 0; j < 16; ++j)
        diff.Add(where, "module " + std::to_string(j / 2 + 1) + " K" + std::to_string(j % 2 + 1), x.Relays[j],
                 y.Relays[j]);
}

// The length of message k as the side file holds it ("0" when it is empty).
std::string SideLength(const std::vector<std::string>& lengths, size_t k) {
    return k < lengths.size() && !lengths[k].empty() ? lengths[k] : "0";
}

// A length as diff shows it: a byte that makes no UTF-8 character as \xNN, so that lengths
// that differ in such bytes only do not show alike.
std::string ShownLength(const std::string& length) {
    std::string out;
    for (size_t i = 0; i < length.size();) {
        const size_t at = i;
        if (NextUtf8(length, i) == 0xFFFD && length.compare(at, 3, "\xEF\xBF\xBD") != 0) {
            char text[8];
            std::snprintf(text, sizeof text, "\\x%02X", static_cast<unsigned char>(length[at]));
            out += text;
        } else {
            out.append(length, at, i - at);
        }
    }
    return out;
}
} // namespace

std::string TDifference::Text() const {
    const std::string quote = Quoted ? "\"" : "";
    return Where + ": " + (What.empty() ? "" : What + " ") + quote + From + quote + " → " + quote + To +
           quote;
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
    // Compared as the side files hold them: the decoded texts have U+FFFD for any byte that is no UTF-8.
    if (lengthsA && lengthsB)
        for (size_t k = 0; k < x.Lengths->size(); ++k)
            if (const std::string from = SideLength(*lengthsA, k), to = SideLength(*lengthsB, k); from != to)
                result.Meaning.push_back({"message " + std::to_string(k + 1) + " length", "",
                                          ShownLength(from), ShownLength(to), TDifference::TKind::Text, 0, 0,
                                          false});
    for (size_t offset = 0; offset < Layout::ImageSize; ++offset)
        if (((a[offset] ^ b[offset]) & UninterpretedBits(offset)) != 0)
            result.Bytes.push_back({offset, a[offset], b[offset]});
    return result;
}
