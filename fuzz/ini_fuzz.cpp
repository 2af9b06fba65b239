#include "BuildCommand.h"
#include "ConfigText.h"
#include "JsonReader.h"
#include "project/IniFile.h"
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
// The lengths of a side file through show --json and build: they come back byte for byte (an
// empty one as "0"), whatever they hold, into a new side file and into this one.
void LengthsSurviveJson(const TIniFile& ini) {
    std::vector<std::string> lengths;
    for (int k = 1; k <= 72; ++k)
        lengths.push_back(ini.ReadString("MessageLength", std::to_string(k), "0"));
    const std::string json = ShowJson(DecodeConfiguration(ConfigImage{}, &lengths),
                                      TIniFile::EncodingName(ini.Encoding()), &lengths);
    TJson document;
    TConfiguration config;
    std::string error;
    if (!ParseJson(json, document, error) || !ConfigurationFromJson(document, config, error) ||
        !config.Lengths)
        std::abort();
    // build writes them in the encoding the JSON names.
    TIniFile::TEncoding encoding{};
    if (const auto named = document.find("sideFileEncoding");
        named != document.end() && !TIniFile::EncodingNamed(named->get<std::string>(), encoding))
        std::abort();
    TIniFile fresh, same = ini;
    fresh.SetEncoding(encoding);
    same.SetEncoding(encoding);
    for (size_t k = 0; k < lengths.size(); ++k) {
        const std::string expected = lengths[k].empty() ? "0" : lengths[k];
        if ((*config.Lengths)[k] != expected)
            std::abort();
        for (TIniFile* file : {&fresh, &same})
            if (!file->WriteString("MessageLength", std::to_string(k + 1), expected) ||
                !file->Holds(expected))
                std::abort();
    }
    for (const TIniFile* file : {&fresh, &same}) {
        TIniFile back;
        back.SetBytes(file->Bytes());
        for (size_t k = 0; k < lengths.size(); ++k)
            if (back.ReadString("MessageLength", std::to_string(k + 1), "") != (*config.Lengths)[k])
                std::abort();
    }
}

// The input after NUL bytes and the section header, as the first length on: its bytes as they
// are (Windows-1251 or, after the mark, UTF-8), or as UTF-16 code units.
std::string Section(std::string_view bytes) {
    const std::string_view marks[] = {"", "\xEF\xBB\xBF", "\xFF\xFE"}, mark = marks[bytes.size() % 3];
    const std::string head = std::string(bytes.size() / 3 % 11, '\0') + "[MessageLength]\n1=";
    if (mark != "\xFF\xFE")
        return std::string(mark) + head + std::string(bytes);
    std::string out(mark);
    for (const char c : head)
        out += std::string{c, '\0'};
    return out + std::string(bytes);
}
} // namespace

// Arbitrary bytes as a side file, and after NUL bytes and the section header: reading, writing
// and serialising must not crash, an untouched file must come back byte for byte, what was
// written must read back, and the lengths must come through show --json and build unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    ini.SetBytes(bytes);
    if (ini.Bytes() != bytes)
        std::abort();
    LengthsSurviveJson(ini);
    TIniFile section;
    section.SetBytes(Section(bytes));
    // The NUL bytes before the header hide no section.
    if (section.ReadString("MessageLength", "1", "\n") == "\n")
        std::abort();
    LengthsSurviveJson(section);

    // Names and a value taken from the input itself, so they can match what is in it.
    const std::string_view tail = bytes.substr(size / 2);
    const std::string_view name =
        tail.substr(0, tail.find('\n') == std::string_view::npos ? 8 : tail.find('\n'));
    ini.ReadString(name, name, "");
    const bool wrote = ini.WriteString(name, "1", name);
    ini.WriteString("MessageLength", "7", "12");
    ini.WriteString("Сообщения", name, "Длина");

    TIniFile back;
    back.SetBytes(ini.Bytes());
    if (back.ReadString("MessageLength", "7", "") != ini.ReadString("MessageLength", "7", "-"))
        std::abort();
    if (wrote && back.ReadString(name, "1", "-") != ini.ReadString(name, "1", ""))
        std::abort();
    return 0;
}
