#include "model/Configuration.h"
#include "base/Cp1251.h"
#include "base/Utf8.h"
#include "model/WholeNumber.h"
#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {
constexpr int Messages = 72;
constexpr int MaxCount = 2; // each unit count, and both consoles together
constexpr int MaxModules = 8;
constexpr int ZonesPerSplitter = 4;
constexpr uint8_t StageFlagBits = 0xB8; // enabled and pause

bool InAlgorithmTable(size_t offset) {
    return offset >= Layout::AlgorithmTable && offset < Layout::StageOffset(Layout::Inputs, 0);
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string IdentityText(const ConfigImage& image, size_t offset, size_t size) {
    while (size > 0 && image[offset + size - 1] == 0)
        --size;
    std::string text;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t byte = image[offset + i];
        if (byte >= 0x80)
            text += Cp1251ToUtf8(std::string(1, static_cast<char>(byte)));
        else if (byte < 0x20 || byte == 0x7F || byte == '\\')
            text += "\\x" + Hex(byte, 2);
        else
            text += static_cast<char>(byte);
    }
    return text;
}

TStageSettings DecodeStage(const ConfigImage& image, int input, int stage) {
    const uint8_t* record = image.Data() + Layout::StageOffset(input, stage);
    TStageSettings s;
    s.On = GetBit(record + Layout::StageFlags, Layout::StageEnabledBit) == 1;
    s.Message = record[Layout::MessageNumber];
    s.Repeats = record[Layout::RepeatCount];
    s.PauseSeconds =
        GetBits(record + Layout::StageFlags, Layout::PauseBit, Layout::PauseWidth) * Layout::PauseStepSeconds;
    for (int z = 0; z < 8; ++z)
        s.Zones[static_cast<size_t>(z)] = GetBit(record + Layout::Zones, Layout::Zone1Bit - z) == 1;
    for (int j = 0; j < 16; ++j)
        s.Relays[static_cast<size_t>(j)] = GetBit(record + Layout::Relays, j) == 1;
    return s;
}

} // namespace

void MarkIdentity(ConfigImage& image) {
    image[Layout::MarkerS] = Layout::MarkerSValue;
    image[Layout::MarkerN] = Layout::MarkerNValue;
    image[Layout::MarkerV] = Layout::MarkerVValue;
}

std::string IdentityFieldText(const ConfigImage& image, size_t offset, size_t size) {
    std::string bytes;
    for (size_t i = 0; i < size && image[offset + i] != 0; ++i)
        bytes += static_cast<char>(image[offset + i]);
    return Cp1251ToUtf8(bytes);
}

TStages DecodeStages(const ConfigImage& image, int input) {
    TStages stages;
    for (int s = 0; s < Layout::Stages; ++s)
        stages[static_cast<size_t>(s)] = DecodeStage(image, input, s);
    return stages;
}

int ZonesProvided(int splitters) {
    return splitters <= MaxCount ? ZonesPerSplitter * splitters : 0;
}

int ModulesProvided(int modules) {
    return modules <= MaxModules ? modules : 0;
}

uint8_t UninterpretedBits(size_t offset) {
    if (offset <= Layout::MusicZones)
        return 0;
    if (offset == Layout::ModuleOptions)
        return 0x30;
    if (InAlgorithmTable(offset))
        return (offset - Layout::AlgorithmTable) % Layout::StageRecordSize == Layout::StageFlags
                   ? static_cast<uint8_t>(~StageFlagBits)
                   : 0;
    const auto inside = [offset](size_t start, size_t size) {
        return offset >= start && offset < start + size;
    };
    const bool text =
        inside(Layout::SerialNumber, Layout::SerialNumberSize) ||
        inside(Layout::Date1, Layout::DatePartSize) || inside(Layout::Date2, Layout::DatePartSize) ||
        inside(Layout::Date3, Layout::DatePartSize) || inside(Layout::Version, Layout::VersionSize);
    return text ? 0 : 0xFF;
}

TConfiguration DecodeConfiguration(const ConfigImage& image, const std::vector<std::string>* lengths) {
    TConfiguration config;
    TCompositionSettings& c = config.Composition;
    c.Amplifiers = image.GetBits(Layout::AmplifierCountBit, Layout::CountWidth);
    c.Splitters = image.GetBits(Layout::SplitterCountBit, Layout::CountWidth);
    c.AnnouncerConsoles = image.GetBits(Layout::AnnouncerCountBit, Layout::CountWidth);
    c.FireConsoles = image.GetBits(Layout::FireCountBit, Layout::CountWidth);
    c.Modules = image.GetBits(Layout::ModuleCountBit, Layout::ModuleCountWidth);
    c.Gong = image.GetBit(Layout::GongBit) == 1;
    c.AuxPriority = image.GetBit(Layout::AuxPriorityBit) == 1;
    for (int z = 1; z <= 8; ++z)
        c.MusicZones[static_cast<size_t>(z - 1)] = image.GetBit(Layout::MusicZoneBit(z)) == 1;

    config.Identity.SerialNumber = IdentityText(image, Layout::SerialNumber, Layout::SerialNumberSize);
    config.Identity.Date = {IdentityText(image, Layout::Date1, Layout::DatePartSize),
                            IdentityText(image, Layout::Date2, Layout::DatePartSize),
                            IdentityText(image, Layout::Date3, Layout::DatePartSize)};
    config.Identity.Version = IdentityText(image, Layout::Version, Layout::VersionSize);

    if (lengths) {
        config.Lengths = *lengths;
        config.Lengths->resize(Messages, "0");
        for (std::string& length : *config.Lengths)
            length = length.empty() ? "0" : ValidUtf8(length);
    }
    const TMessageLengths parsed = config.Lengths ? ParseLengths(*config.Lengths) : TMessageLengths{};
    for (int n = 0; n < Layout::Inputs; ++n) {
        TInputSettings& input = config.Inputs[static_cast<size_t>(n)];
        input.Stages = DecodeStages(image, n);
        if (config.Lengths)
            input.Plan = PlanInput(input.Stages, parsed);
    }

    for (size_t offset = 0; offset < Layout::ImageSize; ++offset) {
        const uint8_t bits = image[offset] & UninterpretedBits(offset);
        if (bits == 0)
            continue;
        if (config.Raw.empty() || config.Raw.back().Offset + config.Raw.back().Bytes.size() != offset)
            config.Raw.push_back({offset, {}});
        config.Raw.back().Bytes.push_back(bits);
    }

    config.Findings = CheckConfiguration(config);
    return config;
}

bool IdentityBytes(const std::string& text, size_t size, std::string& bytes) {
    bytes.clear();
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\\') {
            unsigned value = 0;
            if (text.size() - i < 4 || text[i + 1] != 'x' ||
                std::sscanf(text.substr(i + 2, 2).c_str(), "%2x", &value) != 1 ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 2])) ||
                !std::isxdigit(static_cast<unsigned char>(text[i + 3])))
                return false;
            bytes += static_cast<char>(value);
            i += 4;
            continue;
        }
        size_t len = 1;
        while (i + len < text.size() && (static_cast<unsigned char>(text[i + len]) & 0xC0) == 0x80)
            ++len;
        const std::string character = text.substr(i, len);
        const std::string byte = Utf8ToCp1251(character);
        if (byte.size() != 1 || Cp1251ToUtf8(byte) != character)
            return false;
        bytes += byte;
        i += len;
    }
    if (bytes.size() > size)
        return false;
    bytes.resize(size, '\0');
    return true;
}

ConfigImage EncodeConfiguration(const TConfiguration& config) {
    ConfigImage image;
    const TCompositionSettings& c = config.Composition;
    const auto put = [&image](int width, int value, int index) {
        PutBits(width, static_cast<uint8_t>(value), image.Data(), index);
    };
    put(Layout::CountWidth, c.Amplifiers, Layout::AmplifierCountBit);
    put(Layout::CountWidth, c.Splitters, Layout::SplitterCountBit);
    put(Layout::CountWidth, c.AnnouncerConsoles, Layout::AnnouncerCountBit);
    put(Layout::CountWidth, c.FireConsoles, Layout::FireCountBit);
    put(Layout::ModuleCountWidth, c.Modules, Layout::ModuleCountBit);
    SetBit(image.Data(), Layout::GongBit, c.Gong);
    SetBit(image.Data(), Layout::AuxPriorityBit, c.AuxPriority);
    for (int z = 1; z <= 8; ++z)
        SetBit(image.Data(), Layout::MusicZoneBit(z), c.MusicZones[static_cast<size_t>(z - 1)]);

    const std::pair<const std::string*, std::pair<size_t, size_t>> texts[] = {
        {&config.Identity.SerialNumber, {Layout::SerialNumber, Layout::SerialNumberSize}},
        {&config.Identity.Date[0], {Layout::Date1, Layout::DatePartSize}},
        {&config.Identity.Date[1], {Layout::Date2, Layout::DatePartSize}},
        {&config.Identity.Date[2], {Layout::Date3, Layout::DatePartSize}},
        {&config.Identity.Version, {Layout::Version, Layout::VersionSize}}};
    for (const auto& [text, field] : texts) {
        std::string bytes;
        IdentityBytes(*text, field.second, bytes);
        bytes.resize(field.second, '\0');
        std::copy(bytes.begin(), bytes.end(), image.Data() + field.first);
    }

    for (int n = 0; n < Layout::Inputs; ++n)
        for (int s = 0; s < Layout::Stages; ++s) {
            const TStageSettings& stage =
                config.Inputs[static_cast<size_t>(n)].Stages[static_cast<size_t>(s)];
            uint8_t* record = image.Data() + Layout::StageOffset(n, s);
            SetBit(record + Layout::StageFlags, Layout::StageEnabledBit, stage.On);
            PutBits(Layout::PauseWidth, static_cast<uint8_t>(stage.PauseSeconds / Layout::PauseStepSeconds),
                    record + Layout::StageFlags, Layout::PauseBit);
            record[Layout::RepeatCount] = static_cast<uint8_t>(stage.Repeats);
            record[Layout::MessageNumber] = static_cast<uint8_t>(stage.Message);
            for (int z = 0; z < 8; ++z)
                SetBit(record + Layout::Zones, Layout::Zone1Bit - z, stage.Zones[static_cast<size_t>(z)]);
            for (int j = 0; j < 16; ++j)
                SetBit(record + Layout::Relays, j, stage.Relays[static_cast<size_t>(j)]);
        }

    for (const TRawRange& range : config.Raw)
        for (size_t i = 0; i < range.Bytes.size() && range.Offset + i < Layout::ImageSize; ++i)
            image[range.Offset + i] |= range.Bytes[i] & UninterpretedBits(range.Offset + i);
    return image;
}
