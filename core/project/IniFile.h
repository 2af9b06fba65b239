#pragma once
#include "project/FileResult.h"
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A sectioned key=value settings file, read and written the way profile files are:
// names compared case-insensitively and trimmed of blanks and control bytes (a NUL before a
// section header hides no section), values trimmed of surrounding blanks only, the first
// of duplicate keys wins, and every line the program does not write is kept as it
// was. The API speaks UTF-8; the file is UTF-8, UTF-16LE or UTF-16BE when it starts with
// that byte order mark and Windows-1251 otherwise (a UTF-8 file without the mark reads as
// Windows-1251 and is written back byte for byte); it is written back in its own encoding, or
// in the one SetEncoding gives.
class TIniFile {
public:
    enum class TEncoding : unsigned char { Cp1251, Utf8, Utf8Bom, Utf16Le, Utf16Be };

    // Loads `fileName`; a missing file is an empty one (and reported Missing). If the file
    // exists but cannot be read (or is larger than MaxWholeFile), UpdateFile refuses to replace it.
    TFileResult Load(const std::string& fileName);
    // Takes the raw bytes of a file instead of reading one.
    void SetBytes(std::string_view bytes);
    // The raw bytes the file would get; an unchanged file gives back its own bytes.
    std::string Bytes() const;

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Replaces the value of the key in place, else adds the key at the end of its
    // section, else adds the section at the end of the file. Returns false, changing
    // nothing, for names and values a line cannot hold (line breaks, an empty key, a
    // key with '=' or starting with ';' or '[', a section name with ']').
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

    // Whether the file's encoding stores the text as it is (Windows-1251 has no code for
    // most characters; they would become '?').
    bool Holds(std::string_view utf8) const;

    TEncoding Encoding() const { return Coding; }
    // The encoding's name in a project's JSON ("windows-1251", "utf-8", "utf-8-bom", "utf-16le",
    // "utf-16be"), and back; false for a name that is none of them.
    static const char* EncodingName(TEncoding encoding);
    static bool EncodingNamed(std::string_view name, TEncoding& encoding);
    // From now on the file is written in `encoding`; every line keeps its text.
    void SetEncoding(TEncoding encoding);

    // Whether the file may be replaced: it has a name, and what was there could be read.
    TFileResult Replaceable() const;
    // Writes the file back to the loaded file name, replacing it atomically.
    TFileResult UpdateFile() const;
    const std::string& FileName() const { return Name; }

private:
    enum class TEol : unsigned char { None, Lf, CrLf, Cr };
    struct TLine {
        std::string Text; // in the file's encoding (UTF-8 for UTF-16), without the line break
        TEol Eol;
    };
    // Lines before the first section header form a section with no header.
    struct TSection {
        std::vector<TLine> Lines; // the header line first, if any
        size_t End = 0;           // just past the last non-blank line: where new keys go
        std::string Id;           // the folded name
    };
    struct TKeyPlace {
        size_t Section;
        size_t Line;
    };

    std::string Encoded(std::string_view utf8) const;
    std::string Decoded(std::string_view raw) const;
    std::string NameId(std::string_view raw) const;
    void AddLine(std::string text, TEol eol);

    std::string Name;
    bool Unreadable = false;
    TEncoding Coding = TEncoding::Cp1251;
    std::string OddByte; // a UTF-16 file's last byte that makes no whole code unit
    TEol NewEol = TEol::CrLf;
    std::vector<TSection> Sections = std::vector<TSection>(1);
    std::unordered_map<std::string, size_t> SectionIndex; // folded name -> first section
    std::unordered_map<std::string, TKeyPlace> KeyIndex;  // KeyId -> first occurrence
};
