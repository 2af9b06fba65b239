#include "project/IniFile.h"
#include "project/FileUtil.h"
#include "ui/Cp1251.h"

namespace {
constexpr std::string_view Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Case folding of the letters settings files are written in: Latin and Cyrillic.
std::string Fold(std::string_view utf8) {
    std::string out(utf8);
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + ('a' - 'A'));
            continue;
        }
        if (i + 1 >= out.size())
            break;
        const auto next = static_cast<unsigned char>(out[i + 1]);
        if (c == 0xD0 && next >= 0x90 && next <= 0x9F) { // А..П -> а..п
            out[i + 1] = static_cast<char>(next + 0x20);
        } else if (c == 0xD0 && next >= 0xA0 && next <= 0xAF) { // Р..Я -> р..я
            out[i] = static_cast<char>(0xD1);
            out[i + 1] = static_cast<char>(next - 0x20);
        } else if (c == 0xD0 && next >= 0x80 && next <= 0x8F) { // Ѐ..Џ -> ѐ..џ
            out[i] = static_cast<char>(0xD1);
            out[i + 1] = static_cast<char>(next + 0x10);
        } else if (c == 0xD2 && next == 0x90) { // Ґ -> ґ
            out[i + 1] = static_cast<char>(0x91);
        }
        if (c >= 0xC0)
            ++i;
    }
    return out;
}

// Line breaks cannot occur inside a section or key name, so this pairs them unambiguously.
std::string KeyId(const std::string& sectionId, const std::string& keyId) {
    return sectionId + '\n' + keyId;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}
} // namespace

bool TIniFile::Load(const std::string& fileName, std::string& error) {
    Name = fileName;
    std::string bytes;
    const TReadStatus status = ReadFileBytes(fileName, bytes, error);
    Unreadable = status == TReadStatus::Failed;
    SetBytes(bytes);
    return !Unreadable;
}

void TIniFile::SetBytes(std::string_view bytes) {
    Sections.assign(1, TSection{});
    SectionIndex.clear();
    KeyIndex.clear();
    NewEol = TEol::CrLf;
    Utf8 = bytes.starts_with(Bom);
    if (Utf8)
        bytes.remove_prefix(Bom.size());
    bool eolSeen = false;
    while (!bytes.empty()) {
        const size_t lf = bytes.find('\n');
        if (lf == std::string_view::npos) {
            AddLine(std::string(bytes), TEol::None);
            break;
        }
        const bool crlf = lf > 0 && bytes[lf - 1] == '\r';
        const TEol eol = crlf ? TEol::CrLf : TEol::Lf;
        if (!eolSeen) {
            NewEol = eol;
            eolSeen = true;
        }
        AddLine(std::string(bytes.substr(0, crlf ? lf - 1 : lf)), eol);
        bytes.remove_prefix(lf + 1);
    }
}

void TIniFile::AddLine(std::string text, TEol eol) {
    const std::string_view trimmed = Trim(text);
    const bool blank = trimmed.empty();
    if (trimmed.starts_with('[') && trimmed.find(']') != std::string_view::npos) {
        TSection section;
        section.Id = NameId(trimmed.substr(1, trimmed.find(']') - 1));
        SectionIndex.try_emplace(section.Id, Sections.size());
        Sections.push_back(std::move(section));
    } else if (!blank && trimmed[0] != '[' && trimmed[0] != ';' && Sections.size() > 1) {
        const size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos && !Trim(trimmed.substr(0, equals)).empty())
            KeyIndex.try_emplace(KeyId(Sections.back().Id, NameId(trimmed.substr(0, equals))),
                                 TKeyPlace{Sections.size() - 1, Sections.back().Lines.size()});
    }
    TSection& section = Sections.back();
    section.Lines.push_back(TLine{std::move(text), eol});
    if (!blank)
        section.End = section.Lines.size();
}

std::string TIniFile::Encoded(std::string_view utf8) const {
    return Utf8 ? std::string(utf8) : Utf8ToCp1251(std::string(utf8));
}

std::string TIniFile::Decoded(std::string_view raw) const {
    return Utf8 ? std::string(raw) : Cp1251ToUtf8(std::string(raw));
}

std::string TIniFile::NameId(std::string_view raw) const {
    return Fold(Decoded(Trim(raw)));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const {
    // A missing or empty file (the usual side file of a new project) needs no name folding.
    if (KeyIndex.empty())
        return std::string(defaultValue);
    const auto found = KeyIndex.find(KeyId(NameId(Encoded(section)), NameId(Encoded(key))));
    if (found == KeyIndex.end())
        return std::string(defaultValue);
    const std::string_view line = Sections[found->second.Section].Lines[found->second.Line].Text;
    return Decoded(Trim(line.substr(line.find('=') + 1)));
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    const std::string rawSection(Trim(Encoded(section)));
    const std::string rawKey(Trim(Encoded(key)));
    const std::string rawValue = Encoded(value);
    if (HasLineBreak(rawSection) || rawSection.find(']') != std::string::npos || rawKey.empty() ||
        HasLineBreak(rawKey) || rawKey.find('=') != std::string::npos || rawKey[0] == ';' ||
        rawKey[0] == '[' || HasLineBreak(rawValue))
        return false;
    const std::string sectionId = NameId(rawSection);
    const std::string keyId = KeyId(sectionId, NameId(rawKey));
    if (const auto found = KeyIndex.find(keyId); found != KeyIndex.end()) {
        std::string& line = Sections[found->second.Section].Lines[found->second.Line].Text;
        // Keep the key as written and the blanks around '='.
        size_t valueStart = line.find('=') + 1;
        while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t'))
            ++valueStart;
        line.replace(valueStart, std::string::npos, rawValue);
        return true;
    }
    auto place = SectionIndex.find(sectionId);
    if (place == SectionIndex.end()) {
        if (!Sections.back().Lines.empty() && Sections.back().Lines.back().Eol == TEol::None)
            Sections.back().Lines.back().Eol = NewEol;
        TSection added;
        added.Id = sectionId;
        added.Lines.push_back(TLine{"[" + rawSection + "]", NewEol});
        added.End = 1;
        place = SectionIndex.emplace(sectionId, Sections.size()).first;
        Sections.push_back(std::move(added));
    }
    TSection& target = Sections[place->second];
    if (target.Lines[target.End - 1].Eol == TEol::None)
        target.Lines[target.End - 1].Eol = NewEol;
    target.Lines.insert(target.Lines.begin() + static_cast<std::ptrdiff_t>(target.End),
                        TLine{rawKey + "=" + rawValue, NewEol});
    KeyIndex.emplace(keyId, TKeyPlace{place->second, target.End});
    ++target.End;
    return true;
}

std::string TIniFile::Bytes() const {
    std::string out;
    if (Utf8)
        out = Bom;
    for (const TSection& section : Sections)
        for (const TLine& line : section.Lines) {
            out += line.Text;
            if (line.Eol == TEol::CrLf)
                out += "\r\n";
            else if (line.Eol == TEol::Lf)
                out += '\n';
        }
    return out;
}

bool TIniFile::UpdateFile(std::string& error) const {
    if (Name.empty()) {
        error = "No file name for the settings file";
        return false;
    }
    // Replacing a file that could not be read would lose everything else in it.
    if (Unreadable) {
        error = "Unable to write to " + Name + ": the existing file could not be read";
        return false;
    }
    return WriteFileAtomically(Name, Bytes(), error);
}
