#include "BuildCommand.h"
#include "ConfigText.h"
#include "ExitStatus.h"
#include "FileErrors.h"
#include "JsonReader.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include <iostream>
#include <optional>
#include <string_view>

namespace {
// A number without fraction or exponent that fits 64 bits, as `out`.
bool WholeNumber(const TJson& value, int64_t& out) {
    if (value.is_number_unsigned() && value.get<uint64_t>() > static_cast<uint64_t>(INT64_MAX))
        return false;
    if (!value.is_number_integer())
        return false;
    out = value.get<int64_t>();
    return true;
}

// Reads the members of one JSON object into their places, naming a faulty key by its path.
class TReader {
public:
    explicit TReader(std::string& error) : Error(error) {}

    bool Fail(const std::string& path, const std::string& problem) {
        Error = path + ": " + problem;
        return false;
    }

    // Every member must be one of `known`.
    bool OnlyKnown(const TJson& object, const std::string& path,
                   std::initializer_list<std::string_view> known) {
        if (!object.is_object())
            return Fail(path.empty() ? "the document" : path, "an object expected");
        for (auto member = object.begin(); member != object.end(); ++member) {
            bool listed = false;
            for (const std::string_view name : known)
                listed = listed || member.key() == name;
            if (!listed)
                return Fail(Join(path, member.key()), "not a key of this object");
        }
        return true;
    }

    static const TJson* Member(const TJson& object, std::string_view key) {
        const auto found = object.find(std::string(key));
        return found == object.end() ? nullptr : &*found;
    }

    static std::string Join(const std::string& path, std::string_view key) {
        return path.empty() ? std::string(key) : path + "." + std::string(key);
    }

    bool Whole(const TJson& value, const std::string& path, int64_t least, int64_t most, int& out) {
        int64_t number = 0;
        if (!WholeNumber(value, number) || number < least || number > most)
            return Fail(path, "a whole number from " + std::to_string(least) + " to " + std::to_string(most) +
                                  " expected");
        out = static_cast<int>(number);
        return true;
    }

    bool Field(const TJson& object, const std::string& path, std::string_view key, int64_t least,
               int64_t most, int& out) {
        const TJson* value = Member(object, key);
        return !value || Whole(*value, Join(path, key), least, most, out);
    }

    bool Field(const TJson& object, const std::string& path, std::string_view key, bool& out) {
        const TJson* value = Member(object, key);
        if (!value)
            return true;
        if (!value->is_boolean())
            return Fail(Join(path, key), "true or false expected");
        out = value->get<bool>();
        return true;
    }

    // A list of numbers 1 … count, each switching one entry on.
    template <size_t N>
    bool Numbers(const TJson& object, const std::string& path, std::string_view key,
                 std::array<bool, N>& on) {
        const TJson* list = Member(object, key);
        if (!list)
            return true;
        const std::string where = Join(path, key);
        if (!list->is_array())
            return Fail(where, "a list of numbers from 1 to " + std::to_string(N) + " expected");
        for (size_t i = 0; i < list->size(); ++i) {
            int number = 0;
            if (!Whole((*list)[i], where + "[" + std::to_string(i) + "]", 1, N, number))
                return false;
            on[static_cast<size_t>(number - 1)] = true;
        }
        return true;
    }

    bool Identity(const TJson& value, const std::string& path, size_t size, std::string& out) {
        std::string bytes;
        if (!value.is_string() || !IdentityBytes(value.get_ref<const std::string&>(), size, bytes))
            return Fail(path, "a text of at most " + std::to_string(size) +
                                  " Windows-1251 characters (or \\xNN bytes) expected");
        out = value.get<std::string>();
        return true;
    }

private:
    std::string& Error;
};

bool Composition(TReader& r, const TJson& object, TCompositionSettings& c) {
    const std::string path = "composition";
    // Each count may hold what its bits hold, so rule-breaking projects come back as they were.
    return r.OnlyKnown(object, path,
                       {"amplifiers", "splitters", "modules", "fireConsoles", "announcerConsoles", "gong",
                        "auxPriority", "musicZones"}) &&
           r.Field(object, path, "amplifiers", 0, 3, c.Amplifiers) &&
           r.Field(object, path, "splitters", 0, 3, c.Splitters) &&
           r.Field(object, path, "modules", 0, 15, c.Modules) &&
           r.Field(object, path, "fireConsoles", 0, 3, c.FireConsoles) &&
           r.Field(object, path, "announcerConsoles", 0, 3, c.AnnouncerConsoles) &&
           r.Field(object, path, "gong", c.Gong) && r.Field(object, path, "auxPriority", c.AuxPriority) &&
           r.Numbers(object, path, "musicZones", c.MusicZones);
}

bool Identity(TReader& r, const TJson& object, TIdentity& identity) {
    const std::string path = "identity";
    if (!r.OnlyKnown(object, path, {"serialNumber", "date", "version"}))
        return false;
    if (const TJson* v = TReader::Member(object, "serialNumber");
        v && !r.Identity(*v, "identity.serialNumber", Layout::SerialNumberSize, identity.SerialNumber))
        return false;
    if (const TJson* v = TReader::Member(object, "version");
        v && !r.Identity(*v, "identity.version", Layout::VersionSize, identity.Version))
        return false;
    const TJson* date = TReader::Member(object, "date");
    if (!date)
        return true;
    if (!date->is_array() || date->size() != 3)
        return r.Fail("identity.date", "a list of three texts expected");
    for (size_t i = 0; i < 3; ++i)
        if (!r.Identity((*date)[i], "identity.date[" + std::to_string(i) + "]", Layout::DatePartSize,
                        identity.Date[i]))
            return false;
    return true;
}

int HexDigit(char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                  : -1;
}

// A length as show --json writes one that is no valid UTF-8: {"bytes": "<hex>"}.
bool LengthBytes(const TJson& item, std::string& bytes) {
    if (!item.is_object() || item.size() != 1 || item.begin().key() != "bytes" || !item.begin()->is_string())
        return false;
    const std::string& hex = item.begin()->get_ref<const std::string&>();
    if (hex.size() % 2 != 0)
        return false;
    bytes.clear();
    for (size_t k = 0; k < hex.size(); k += 2) {
        const int high = HexDigit(hex[k]), low = HexDigit(hex[k + 1]);
        if (high < 0 || low < 0)
            return false;
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

bool Lengths(TReader& r, const TJson& value, std::optional<std::vector<std::string>>& lengths) {
    if (value.is_null())
        return true;
    if (!value.is_array() || value.size() != ProjectFile::Messages)
        return r.Fail("messageLengths", "null or a list of 72 lengths expected");
    lengths.emplace();
    for (size_t k = 0; k < value.size(); ++k) {
        const TJson& item = value[k];
        const std::string path = "messageLengths[" + std::to_string(k) + "]";
        // A length is text as typed; a script may give a number instead.
        std::string bytes;
        int64_t number = 0;
        if (WholeNumber(item, number))
            lengths->push_back(std::to_string(number));
        else if (item.is_string() &&
                 item.get_ref<const std::string&>().find_first_of("\r\n") == std::string::npos)
            lengths->push_back(item.get<std::string>());
        else if (LengthBytes(item, bytes) && bytes.find_first_of("\r\n") == std::string::npos)
            lengths->push_back(bytes);
        else
            return r.Fail(path, "a length (a text on one line, a whole number, or {\"bytes\": \"<hex>\"} "
                                "for bytes of one line) expected");
    }
    return true;
}

bool Relays(TReader& r, const TJson& object, const std::string& path, std::array<bool, 16>& relays) {
    const TJson* list = TReader::Member(object, "relays");
    if (!list)
        return true;
    if (!list->is_array())
        return r.Fail(path + ".relays", "a list of relays such as \"1 K1\" expected");
    for (size_t i = 0; i < list->size(); ++i) {
        const TJson& item = (*list)[i];
        const std::string text = item.is_string() ? item.get<std::string>() : "";
        // "M K1" or "M K2", M a module 1 … 8.
        if (text.size() != 4 || text[0] < '1' || text[0] > '8' || text.substr(1, 2) != " K" ||
            (text[3] != '1' && text[3] != '2'))
            return r.Fail(path + ".relays[" + std::to_string(i) + "]",
                          "a relay \"M K1\" or \"M K2\" with M a module from 1 to 8 expected");
        relays[static_cast<size_t>(Layout::RelayIndex(text[0] - '1', text[3] - '1'))] = true;
    }
    return true;
}

bool Stage(TReader& r, const TJson& object, const std::string& path, int number, TStageSettings& s) {
    int stated = number;
    int pauseSeconds = 0;
    if (!r.OnlyKnown(object, path,
                     {"stage", "on", "message", "repeats", "pause", "zones", "relays", "time", "unlimited",
                      "unknown"}) ||
        !r.Field(object, path, "stage", number, number, stated) || !r.Field(object, path, "on", s.On) ||
        !r.Field(object, path, "message", 0, 255, s.Message) ||
        !r.Field(object, path, "repeats", 0, 255, s.Repeats) ||
        !r.Field(object, path, "pause", 0, 35, pauseSeconds) || !r.Numbers(object, path, "zones", s.Zones) ||
        !Relays(r, object, path, s.Relays))
        return false;
    if (pauseSeconds % Layout::PauseStepSeconds != 0)
        return r.Fail(path + ".pause", "one of 0, 5, 10 … 35 expected");
    s.PauseSeconds = pauseSeconds;
    return true;
}

bool Inputs(TReader& r, const TJson& list, TConfiguration& config) {
    if (!list.is_array() || list.size() > Layout::Inputs)
        return r.Fail("inputs", "a list of at most 8 inputs expected");
    for (size_t n = 0; n < list.size(); ++n) {
        const TJson& object = list[n];
        const std::string path = "inputs[" + std::to_string(n) + "]";
        int stated = 0;
        if (!r.OnlyKnown(object, path, {"input", "inUse", "stages", "total", "unlimited", "unknown"}) ||
            !r.Field(object, path, "input", static_cast<int>(n) + 1, static_cast<int>(n) + 1, stated))
            return false;
        const TJson* stages = TReader::Member(object, "stages");
        if (!stages)
            continue;
        if (!stages->is_array() || stages->size() > Layout::Stages)
            return r.Fail(path + ".stages", "a list of at most 8 stages expected");
        for (size_t s = 0; s < stages->size(); ++s)
            if (!Stage(r, (*stages)[s], path + ".stages[" + std::to_string(s) + "]", static_cast<int>(s) + 1,
                       config.Inputs[n].Stages[s]))
                return false;
    }
    return true;
}

bool Raw(TReader& r, const TJson& list, std::vector<TRawRange>& raw) {
    if (!list.is_array())
        return r.Fail("raw", "a list of byte ranges expected");
    for (size_t i = 0; i < list.size(); ++i) {
        const TJson& object = list[i];
        const std::string path = "raw[" + std::to_string(i) + "]";
        int offset = 0;
        if (!r.OnlyKnown(object, path, {"offset", "bytes"}) ||
            !r.Field(object, path, "offset", 0, Layout::ImageSize - 1, offset))
            return false;
        const TJson* member = TReader::Member(object, "bytes");
        const std::string hex = member && member->is_string() ? member->get<std::string>() : "";
        if (!member || !member->is_string() || hex.size() % 2 != 0 ||
            static_cast<size_t>(offset) + hex.size() / 2 > Layout::ImageSize)
            return r.Fail(path + ".bytes", "pairs of hexadecimal digits within the image expected");
        TRawRange range{static_cast<size_t>(offset), {}};
        for (size_t k = 0; k < hex.size(); k += 2) {
            const int high = HexDigit(hex[k]), low = HexDigit(hex[k + 1]);
            const size_t at = range.Offset + k / 2;
            if (high < 0 || low < 0)
                return r.Fail(path + ".bytes", "pairs of hexadecimal digits within the image expected");
            // The fields have keys of their own; a raw range that set them would contradict them.
            const auto byte = static_cast<uint8_t>(high * 16 + low);
            if ((byte & ~UninterpretedBits(at)) != 0)
                return r.Fail(path + ".bytes",
                              "byte " + std::to_string(at) +
                                  " sets bits the editor interprets; they have keys of their own");
            range.Bytes.push_back(byte);
        }
        raw.push_back(range);
    }
    return true;
}
} // namespace

bool ConfigurationFromJson(const TJson& document, TConfiguration& config, std::string& error) {
    config = TConfiguration{};
    TReader r(error);
    if (!r.OnlyKnown(
            document, "",
            {"composition", "identity", "messageLengths", "sideFileEncoding", "inputs", "raw", "warnings"}))
        return false;
    const TJson* v = nullptr;
    return (!(v = TReader::Member(document, "composition")) || Composition(r, *v, config.Composition)) &&
           (!(v = TReader::Member(document, "identity")) || Identity(r, *v, config.Identity)) &&
           (!(v = TReader::Member(document, "messageLengths")) || Lengths(r, *v, config.Lengths)) &&
           (!(v = TReader::Member(document, "inputs")) || Inputs(r, *v, config)) &&
           (!(v = TReader::Member(document, "raw")) || Raw(r, *v, config.Raw));
}

namespace {
// The side file's encoding as the JSON records it: nothing when it records none.
bool SideFileEncoding(const TJson& document, std::optional<TIniFile::TEncoding>& encoding,
                      std::string& error) {
    const TJson* value = TReader::Member(document, "sideFileEncoding");
    if (!value || value->is_null())
        return true;
    TIniFile::TEncoding named{};
    if (!value->is_string() || !TIniFile::EncodingNamed(value->get<std::string>(), named)) {
        error = "sideFileEncoding: null, \"windows-1251\", \"utf-8\", \"utf-8-bom\", \"utf-16le\" or "
                "\"utf-16be\" expected";
        return false;
    }
    encoding = named;
    return true;
}

// The JSON from standard input, at most as much as a file would give.
TFileResult ReadStandardInput(std::string& text) {
    using TKind = TFileResult::TKind;
    char buffer[65536];
    while (std::cin.read(buffer, sizeof buffer) || std::cin.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(std::cin.gcount()));
        if (text.size() > MaxWholeFile)
            return TFileResult::ReadFailure(TKind::TooLarge, "-", 0,
                                            "larger than " + std::to_string(MaxWholeFile >> 20) + " MiB");
    }
    if (std::cin.bad())
        return TFileResult::ReadFailure(TKind::Unreadable, "-", 0, "the input failed");
    return {};
}

bool HoldsAll(const TIniFile& side, const std::vector<std::string>& lengths, size_t& first) {
    for (first = 0; first < lengths.size(); ++first)
        if (!side.Holds(lengths[first]))
            return false;
    return true;
}

// The project is written whatever the JSON describes, and what check will find in it is said on
// standard error, in check's words.
int Built(const ConfigImage& image, const TConfiguration& config) {
    const TConfiguration written = DecodeConfiguration(image, config.Lengths ? &*config.Lengths : nullptr);
    std::cerr << CheckText(CheckFindings(written)) << std::flush;
    return ExitDone;
}

// Makes the project `output` from the JSON in `source` ("-": standard input).
template <typename TUsage>
int Build(const std::string& source, const std::string& output, const TUsage& usage) {
    const std::string sideFile = ProjectFile::SideFileName(output);
    // A project is two files; standard output, another open descriptor, or a name that is its own
    // side file cannot hold both.
    if (output == "-" || sideFile == output || DescriptorNamed(output) >= 0)
        return usage("build writes a project file and its side file: " + output + " cannot be both");
    for (const std::string& target : {output, sideFile})
        if (SameFile(target, source))
            return usage("the output " + target + " is the input " + source);

    std::string text, error;
    if (const TFileResult read = source == "-" ? ReadStandardInput(text) : ReadWholeFile(source, text);
        !read) {
        std::cerr << FileError(read) << std::endl;
        return ExitFile;
    }
    TJson document;
    if (!ParseJson(text, document, error))
        return usage(source + ": no valid JSON: " + error);
    TConfiguration config;
    std::optional<TIniFile::TEncoding> encoding;
    if (!ConfigurationFromJson(document, config, error) || !SideFileEncoding(document, encoding, error))
        return usage(source + ": " + error);

    const ConfigImage image = EncodeConfiguration(config);
    const std::string bytes(reinterpret_cast<const char*>(image.Data()), Layout::ImageSize);
    if (!config.Lengths) {
        // No lengths: the project had no side file, and one that is there is not this project's.
        if (const TFileResult written = WriteFileAtomically(output, bytes); !written) {
            std::cerr << FileError(written) << std::endl;
            return ExitFile;
        }
        if (!ReadFileBytes(sideFile, text, 0).Missing())
            std::cerr << "The configuration has no message lengths; " << sideFile << " is left as it is"
                      << std::endl;
        return Built(image, config);
    }
    // As the editor's Save: the side file made ready first, then both written.
    TIniFile side;
    if (const TFileResult prepared = ProjectFile::PrepareLengths(side, sideFile, *config.Lengths, encoding);
        !prepared) {
        std::cerr << FileError(prepared) << std::endl;
        return ExitFile;
    }
    // A Windows-1251 side file would store such a length with '?' in its place: unless the JSON
    // asks for Windows-1251, the side file becomes UTF-16, which the editor reads on every system.
    size_t k = 0;
    if (!HoldsAll(side, *config.Lengths, k) && !encoding)
        ProjectFile::PrepareLengths(side, sideFile, *config.Lengths, TIniFile::TEncoding::Utf16Le);
    if (!HoldsAll(side, *config.Lengths, k))
        return usage(source + ": messageLengths[" + std::to_string(k) + "]: characters " + sideFile +
                     " cannot hold (it is " + TIniFile::EncodingName(side.Encoding()) + ")");
    if (const TFileResult written = ProjectFile::WriteProject(output, bytes, side); !written) {
        std::cerr << FileError(written) << std::endl;
        return ExitFile;
    }
    return Built(image, config);
}
} // namespace

int BuildCommand(const std::string& source, const std::string& output, std::string& usageError) {
    const auto usage = [&usageError](const std::string& text) {
        usageError = text;
        return ExitUsage;
    };
    if (source.empty() || output.empty())
        return usage("build needs a configuration and -o PROJECT.usr");
    return Build(source, output, usage);
}
