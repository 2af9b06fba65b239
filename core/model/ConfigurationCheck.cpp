#include "model/ConfigurationCheck.h"
#include "model/Configuration.h"

namespace {
constexpr int Messages = 72;
constexpr int MaxCount = 2; // each unit count, and both consoles together
constexpr int MaxModules = 8;
constexpr int64_t SecondsInAnHour = 3600;

std::string Joined(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : ", ") + item;
    return text;
}

// Collects findings for one place at a time.
class TFindings {
public:
    std::vector<TFinding> List;

    void At(TFinding::TPlace place, int input = 0, int stage = 0, int message = 0) {
        Where = {};
        Where.Place = place;
        Where.Input = input;
        Where.Stage = stage;
        Where.Message = message;
    }
    void Error(std::string english, std::string russian) {
        Add(TFinding::TSeverity::Error, std::move(english), std::move(russian));
    }
    void Note(std::string english, std::string russian) {
        Add(TFinding::TSeverity::Note, std::move(english), std::move(russian));
    }

private:
    void Add(TFinding::TSeverity severity, std::string english, std::string russian) {
        TFinding finding = Where;
        finding.Severity = severity;
        finding.English = std::move(english);
        finding.Russian = std::move(russian);
        List.push_back(std::move(finding));
    }
    TFinding Where;
};

void CheckComposition(const TCompositionSettings& c, TFindings& f) {
    f.At(TFinding::TPlace::Composition);
    const struct {
        const char* English;
        const char* Russian;
        int Count;
    } counts[] = {{"amplifiers", "усилителей мощности QV-470AM", c.Amplifiers},
                  {"splitters", "разветвителей QV-SP", c.Splitters},
                  {"fire consoles", "пожарных пультов QV-5FD", c.FireConsoles},
                  {"announcer consoles", "пультов диктора QV-5D", c.AnnouncerConsoles}};
    for (const auto& count : counts)
        if (count.Count > MaxCount)
            f.Error(std::string(count.English) + " " + std::to_string(count.Count) + ", at most 2",
                    std::string(count.Russian) + " " + std::to_string(count.Count) + ", а их не больше 2");
    if (c.Modules > MaxModules)
        f.Error("modules " + std::to_string(c.Modules) + ", at most 8",
                "модулей QV-CU4 " + std::to_string(c.Modules) + ", а их не больше 8");
    if (c.FireConsoles <= MaxCount && c.AnnouncerConsoles <= MaxCount &&
        c.FireConsoles + c.AnnouncerConsoles > MaxCount)
        f.Error("fire consoles " + std::to_string(c.FireConsoles) + " and announcer consoles " +
                    std::to_string(c.AnnouncerConsoles) + ", at most 2 together",
                "пожарных пультов " + std::to_string(c.FireConsoles) + " и пультов диктора " +
                    std::to_string(c.AnnouncerConsoles) + ", а вместе их не больше 2");
    if (c.Gong && c.AnnouncerConsoles == 0)
        f.Error("gong on without an announcer console", "гонг включён, а пульта диктора нет");
    for (int z = ZonesProvided(c.Splitters); z < 8; ++z)
        if (c.MusicZones[static_cast<size_t>(z)])
            f.Error("music zone " + std::to_string(z + 1) + " beyond the splitters' reach",
                    "фоновая музыка в зоне " + std::to_string(z + 1) + ", которую разветвители не дают");
}

void CheckLengths(const TMessageLengths& lengths, TFindings& f) {
    for (int k = 1; k <= static_cast<int>(lengths.size()); ++k) {
        const TMessageLength& length = lengths[static_cast<size_t>(k - 1)];
        f.At(TFinding::TPlace::Length, 0, 0, k);
        if (length.Kind == TMessageLength::TKind::NotALength)
            f.Error("\"" + length.Text + "\" is no whole number of seconds",
                    "«" + length.Text + "» — не целое число секунд, время этапов с этим сообщением 0");
        else if (length.Seconds > SecondsInAnHour)
            f.Note(std::to_string(length.Seconds) + " seconds is longer than an hour",
                   std::to_string(length.Seconds) + " с — дольше часа");
    }
}

void CheckStages(const TConfiguration& config, const TMessageLengths* lengths, int input, TFindings& f) {
    const int reach = ZonesProvided(config.Composition.Splitters);
    const int modules = ModulesProvided(config.Composition.Modules);
    const auto& stages = config.Inputs[static_cast<size_t>(input)].Stages;
    for (int s = 0; s < Layout::Stages; ++s) {
        const TStageSettings& stage = stages[static_cast<size_t>(s)];
        if (!stage.On)
            continue;
        f.At(TFinding::TPlace::Stage, input, s);
        const bool listed = stage.Message >= 1 && stage.Message <= Messages;
        if (stage.Message == 0)
            f.Error("no message", "сообщение не выбрано");
        else if (!listed)
            f.Error("message " + std::to_string(stage.Message) + " above 72",
                    "сообщение " + std::to_string(stage.Message) + ", а их всего 72");
        if (s > 0 && !stages[static_cast<size_t>(s - 1)].On)
            f.Error("on after a stage that is off", "включён после выключенного этапа: до него не дойдёт");
        else if (s > 0 && stages[static_cast<size_t>(s - 1)].Repeats == 0)
            f.Error("on after a stage that plays without limit",
                    "включён после этапа без ограничения: до него не дойдёт");
        std::vector<std::string> zones, relays, russianRelays;
        for (int z = reach; z < 8; ++z)
            if (stage.Zones[static_cast<size_t>(z)])
                zones.push_back(std::to_string(z + 1));
        if (!zones.empty())
            f.Error((zones.size() == 1 ? "zone " : "zones ") + Joined(zones) + " beyond the splitters' reach",
                    (zones.size() == 1 ? "зона " : "зоны ") + Joined(zones) +
                        ", которых разветвители не дают");
        for (int m = modules; m < 8; ++m)
            for (int k = 0; k < 2; ++k)
                if (stage.Relays[static_cast<size_t>(Layout::RelayIndex(m, k))]) {
                    const std::string relay = std::to_string(m + 1) + " K" + std::to_string(k + 1);
                    relays.push_back("module " + relay);
                    russianRelays.push_back("модуль " + relay);
                }
        if (!relays.empty()) {
            const bool offered = modules == config.Composition.Modules;
            const std::string count = std::to_string(config.Composition.Modules);
            f.Error(Joined(relays) + " on with " + count + " modules" +
                        (offered ? "" : ", which provide none"),
                    "реле " + Joined(russianRelays) + " включены, а модулей QV-CU4 " + count +
                        (offered ? "" : " (такого числа модулей нет)"));
        }
        const bool known = listed && lengths && (*lengths)[static_cast<size_t>(stage.Message - 1)].Known();
        if (listed && !known)
            f.Note("message " + std::to_string(stage.Message) + " has no length, the stage time is unknown",
                   "длительность сообщения " + std::to_string(stage.Message) +
                       " не задана, время этапа неизвестно");
    }
}
} // namespace

std::string TFinding::EnglishPlace() const {
    switch (Place) {
    case TPlace::Stage:
        return "IN " + std::to_string(Input + 1) + " stage " + std::to_string(Stage + 1);
    case TPlace::Length:
        return "message length " + std::to_string(Message);
    case TPlace::Composition:
        break;
    }
    return "composition";
}

std::string TFinding::RussianPlace() const {
    switch (Place) {
    case TPlace::Stage:
        return "IN " + std::to_string(Input + 1) + ", этап " + std::to_string(Stage + 1);
    case TPlace::Length:
        return "Длительность сообщения " + std::to_string(Message);
    case TPlace::Composition:
        break;
    }
    return "Состав системы";
}

std::vector<TFinding> CheckConfiguration(const TConfiguration& config) {
    TFindings findings;
    CheckComposition(config.Composition, findings);
    const TMessageLengths lengths = config.Lengths ? ParseLengths(*config.Lengths) : TMessageLengths{};
    if (config.Lengths)
        CheckLengths(lengths, findings);
    for (int n = 0; n < Layout::Inputs; ++n)
        CheckStages(config, config.Lengths ? &lengths : nullptr, n, findings);
    return findings.List;
}
