#include "project/IniFile.h"
#include "base/Cp1251.h"
#include "base/Utf8.h"
#include "project/FileUtil.h"

namespace {
constexpr std::string_view Bom = "\xEF\xBB\xBF";
constexpr std::string_view BomLe = "\xFF\xFE";
constexpr std::string_view BomBe = "\xFE\xFF";

// UTF-16 code units as UTF-8. A lone surrogate keeps its own three-byte form, so
// that an unchanged file, however broken, is written back byte for byte.
std::string FromUtf16(std::string_view bytes, bool bigEndian) {
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string ToUtf16(std::string_view utf8, bool bigEndian) {
    std::string out;
    out.reserve(utf8.size() * 2);
    auto put = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const size_t len = c < 0x80             ? 1
                           : (c & 0xE0) == 0xC0 ? 2
                           : (c & 0xF0) == 0xE0 ? 3
                           : (c & 0xF8) == 0xF0 ? 4
                                                : 0;
        char32_t cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
        bool valid = len != 0 && i + len <= utf8.size();
        for (size_t k = 1; valid && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(utf8[i + k]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid || cp > 0x10FFFF) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            put(0xD800 + ((cp - 0x10000) >> 10));
            put(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            put(cp);
        }
        i += len;
    }
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// Control bytes (NUL and the other C0 controls, DEL) are no part of a name: a file that a
// crash left with a run of NUL bytes before "[MessageLength]" still has that section.
bool IsBlankOrControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= ' ' || byte == 0x7F;
}

template <typename TIsBlank> std::string_view Trim(std::string_view text, TIsBlank isBlank) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A value keeps its control bytes: they are text the user typed.
std::string_view Trim(std::string_view text) {
    return Trim(text, IsBlank);
}

std::string_view TrimName(std::string_view text) {
    return Trim(text, IsBlankOrControl);
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

TFileResult TIniFile::Load(const std::string& fileName) {
    Name = fileName;
    std::string bytes;
    TFileResult result = ReadWholeFile(fileName, bytes);
    Unreadable = !result && !result.Missing();
    SetBytes(bytes);
    return result;
}

void TIniFile::SetBytes(std::string_view bytes) {
    Sections.assign(1, TSection{});
    SectionIndex.clear();
    KeyIndex.clear();
    NewEol = TEol::CrLf;
    OddByte.clear();
    std::string utf16Text;
    Coding = TEncoding::Cp1251;
    if (bytes.starts_with(Bom)) {
        Coding = TEncoding::Utf8Bom;
        bytes.remove_prefix(Bom.size());
    } else if (bytes.starts_with(BomLe) || bytes.starts_with(BomBe)) {
        Coding = bytes.starts_with(BomLe) ? TEncoding::Utf16Le : TEncoding::Utf16Be;
        bytes.remove_prefix(BomLe.size());
        if (bytes.size() % 2)
            OddByte = bytes.back();
        utf16Text = FromUtf16(bytes, Coding == TEncoding::Utf16Be);
        bytes = utf16Text;
    }
    bool eolSeen = false;
    while (!bytes.empty()) {
        // A lone CR ends a line too, so no value read can hold a line break.
        const size_t end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            AddLine(std::string(bytes), TEol::None);
            break;
        }
        const bool lf = bytes[end] == '\n';
        const bool crlf = !lf && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        const TEol eol = lf ? TEol::Lf : crlf ? TEol::CrLf : TEol::Cr;
        if (!eolSeen && eol != TEol::Cr) {
            NewEol = eol;
            eolSeen = true;
        }
        AddLine(std::string(bytes.substr(0, end)), eol);
        bytes.remove_prefix(end + (crlf ? 2 : 1));
    }
}

void TIniFile::AddLine(std::string text, TEol eol) {
    const std::string_view trimmed = TrimName(text);
    const bool blank = trimmed.empty();
    if (trimmed.starts_with('[') && trimmed.find(']') != std::string_view::npos) {
        TSection section;
        section.Id = NameId(trimmed.substr(1, trimmed.find(']') - 1));
        SectionIndex.try_emplace(section.Id, Sections.size());
        Sections.push_back(std::move(section));
    } else if (!blank && trimmed[0] != '[' && trimmed[0] != ';' && Sections.size() > 1) {
        const size_t equals = trimmed.find('=');
        if (equals != std::string_view::npos && !TrimName(trimmed.substr(0, equals)).empty())
            KeyIndex.try_emplace(KeyId(Sections.back().Id, NameId(trimmed.substr(0, equals))),
                                 TKeyPlace{Sections.size() - 1, Sections.back().Lines.size()});
    }
    TSection& section = Sections.back();
    section.Lines.push_back(TLine{std::move(text), eol});
    if (!blank)
        section.End = section.Lines.size();
}

std::string TIniFile::Encoded(std::string_view utf8) const {
    switch (Coding) {
    case TEncoding::Cp1251:
        return Utf8ToCp1251(std::string(utf8));
    case TEncoding::Utf8:
    case TEncoding::Utf8Bom:
        return std::string(utf8);
    case TEncoding::Utf16Le:
    case TEncoding::Utf16Be:
        // Held as it will be written, so what is read now is what is read back later.
        return FromUtf16(ToUtf16(utf8, false), false);
    }
    return std::string(utf8);
}

std::string TIniFile::Decoded(std::string_view raw) const {
    return Coding != TEncoding::Cp1251 ? std::string(raw) : Cp1251ToUtf8(std::string(raw));
}

bool TIniFile::Holds(std::string_view utf8) const {
    return Decoded(Encoded(utf8)) == utf8;
}

std::string TIniFile::NameId(std::string_view raw) const {
    return Fold(Decoded(TrimName(raw)));
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
    const std::string rawSection(TrimName(Encoded(section)));
    const std::string rawKey(TrimName(Encoded(key)));
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
    for (const TSection& section : Sections)
        for (const TLine& line : section.Lines) {
            out += line.Text;
            if (line.Eol == TEol::CrLf)
                out += "\r\n";
            else if (line.Eol == TEol::Lf)
                out += '\n';
            else if (line.Eol == TEol::Cr)
                out += '\r';
        }
    switch (Coding) {
    case TEncoding::Cp1251:
        return out;
    case TEncoding::Utf8:
        return out;
    case TEncoding::Utf8Bom:
        return std::string(Bom) + out;
    case TEncoding::Utf16Le:
        return std::string(BomLe) + ToUtf16(out, false) + OddByte;
    case TEncoding::Utf16Be:
        return std::string(BomBe) + ToUtf16(out, true) + OddByte;
    }
    return out;
}

namespace {
constexpr std::pair<TIniFile::TEncoding, const char*> EncodingNames[] = {
    {TIniFile::TEncoding::Cp1251, "windows-1251"},
    {TIniFile::TEncoding::Utf8, "utf-8"},
    {TIniFile::TEncoding::Utf8Bom, "utf-8-bom"},
    {TIniFile::TEncoding::Utf16Le, "utf-16le"},
    {TIniFile::TEncoding::Utf16Be, "utf-16be"}};
} // namespace

const char* TIniFile::EncodingName(TEncoding encoding) {
    for (const auto& [code, name] : EncodingNames)
        if (code == encoding)
            return name;
    return "";
}

bool TIniFile::EncodingNamed(std::string_view name, TEncoding& encoding) {
    for (const auto& [code, known] : EncodingNames)
        if (name == known) {
            encoding = code;
            return true;
        }
    return false;
}

void TIniFile::SetEncoding(TEncoding encoding) {
    for (TSection& section : Sections)
        for (TLine& line : section.Lines)
            line.Text = Decoded(line.Text);
    Coding = encoding;
    if (Coding != TEncoding::Utf16Le && Coding != TEncoding::Utf16Be)
        OddByte.clear();
    for (TSection& section : Sections)
        for (TLine& line : section.Lines)
            line.Text = Encoded(line.Text);
}

TFileResult TIniFile::Replaceable() const {
    if (Name.empty())
        return TFileResult::WriteFailure(Name, 0, "no file name for the settings file");
    // Replacing a file that could not be read would lose everything else in it.
    if (Unreadable)
        return TFileResult::WriteFailure(Name, 0, "the existing file could not be read");
    return {};
}

TFileResult TIniFile::UpdateFile() const {
    if (TFileResult replaceable = Replaceable(); !replaceable)
        return replaceable;
    return WriteFileAtomically(Name, Bytes());
}
