#include "project/IniFile.h"
#include <gtest/gtest.h>

namespace {
TIniFile Parsed(std::string_view bytes) {
    TIniFile ini;
    ini.SetBytes(bytes);
    return ini;
}

void WriteLengths(TIniFile& ini, const std::string (&lengths)[72]) {
    for (int k = 1; k <= 72; ++k)
        ASSERT_TRUE(ini.WriteString("MessageLength", std::to_string(k), lengths[k - 1]));
}
} // namespace

TEST(IniFile, FreshFileHoldsTheSeventyTwoLengthsInOrderWithCrLf) {
    std::string lengths[72];
    lengths[0] = "12";
    lengths[2] = "7";
    TIniFile ini;
    WriteLengths(ini, lengths);
    std::string expected = "[MessageLength]\r\n1=12\r\n2=\r\n3=7\r\n";
    for (int k = 4; k <= 72; ++k)
        expected += std::to_string(k) + "=\r\n";
    EXPECT_EQ(ini.Bytes(), expected);

    const TIniFile back = Parsed(expected);
    EXPECT_EQ(back.ReadString("MessageLength", "1", "0"), "12");
    EXPECT_EQ(back.ReadString("MessageLength", "2", "0"), "");
    EXPECT_EQ(back.ReadString("MessageLength", "73", "0"), "0");
    EXPECT_EQ(back.ReadString("Other", "1", "0"), "0");
}

TEST(IniFile, UpdateInPlaceKeepsEverythingElseInItsOrder) {
    TIniFile ini = Parsed("; made by hand\n[Other]\n1=other\n[MessageLength]\n3 = 5\nNote=keep\n1=9\n\n"
                          "[After]\nx=y\n");
    std::string lengths[72];
    lengths[0] = "10";
    lengths[2] = "30";
    WriteLengths(ini, lengths);
    std::string expected = "; made by hand\n[Other]\n1=other\n[MessageLength]\n3 = 30\nNote=keep\n1=10\n";
    for (int k = 2; k <= 72; ++k)
        if (k != 3)
            expected += std::to_string(k) + "=\n";
    expected += "\n[After]\nx=y\n";
    EXPECT_EQ(ini.Bytes(), expected);
}

TEST(IniFile, NamesAreCaseInsensitiveAndValuesTrimmed) {
    const TIniFile ini =
        Parsed("stray=1\n[ messagelength ]\n  Key\t=  two words \t\r\n"
               "[\xD0\xE0\xE7\xE4\xE5\xEB]\n\xC8\xEC\xFF=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\n;c=1\n");
    EXPECT_EQ(ini.ReadString("MessageLength", "KEY", "-"), "two words");
    EXPECT_EQ(ini.ReadString("РАЗДЕЛ", "имя", "-"), "Значение");
    // Keys before any section and commented-out keys are not settings.
    EXPECT_EQ(ini.ReadString("", "stray", "-"), "-");
    EXPECT_EQ(ini.ReadString("Раздел", ";c", "-"), "-");
}

TEST(IniFile, EachFileKeepsItsOwnLineEnding) {
    TIniFile lf = Parsed("[A]\nx=1\n");
    lf.WriteString("A", "y", "2");
    lf.WriteString("B", "z", "3");
    EXPECT_EQ(lf.Bytes(), "[A]\nx=1\ny=2\n[B]\nz=3\n");

    TIniFile crlf = Parsed("[A]\r\nx=1\r\n");
    crlf.WriteString("A", "x", "9");
    crlf.WriteString("A", "y", "2");
    EXPECT_EQ(crlf.Bytes(), "[A]\r\nx=9\r\ny=2\r\n");

    // No trailing line break: unchanged it stays so, a new line first ends the last one.
    TIniFile open = Parsed("[A]\r\nx=1");
    EXPECT_EQ(open.ReadString("A", "x", ""), "1");
    EXPECT_EQ(open.Bytes(), "[A]\r\nx=1");
    open.WriteString("B", "y", "2");
    EXPECT_EQ(open.Bytes(), "[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
}

namespace {
std::string Utf16(std::string_view ascii, bool bigEndian) {
    std::string out;
    for (char c : ascii)
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return out;
}
} // namespace

TEST(IniFile, ByteOrderMarkChoosesTheEncodingAndIsKeptOnWrite) {
    struct Case {
        const char* Name;
        std::string Before, After; // the file, and the file after writing key 2 = "Ж"
    };
    const std::string le = "\xFF\xFE", be = "\xFE\xFF";
    const Case cases[] = {
        {"UTF-8", "\xEF\xBB\xBF[MessageLength]\n1=\xD0\x94\n",
         "\xEF\xBB\xBF[MessageLength]\n1=\xD0\x94\n2=\xD0\x96\n"},
        {"UTF-16LE", le + Utf16("[MessageLength]\r\n1=", false) + "\x14\x04" + Utf16("\r\n", false),
         le + Utf16("[MessageLength]\r\n1=", false) + "\x14\x04" + Utf16("\r\n2=", false) + "\x16\x04" +
             Utf16("\r\n", false)},
        {"UTF-16BE", be + Utf16("[MessageLength]\n1=", true) + "\x04\x14" + Utf16("\n", true),
         be + Utf16("[MessageLength]\n1=", true) + "\x04\x14" + Utf16("\n2=", true) + "\x04\x16" +
             Utf16("\n", true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TIniFile ini = Parsed(c.Before);
        EXPECT_EQ(ini.Bytes(), c.Before);
        EXPECT_EQ(ini.ReadString("MessageLength", "1", "-"), "Д");
        EXPECT_TRUE(ini.Holds("五"));
        ASSERT_TRUE(ini.WriteString("MessageLength", "2", "Ж"));
        EXPECT_EQ(ini.Bytes(), c.After);
    }
    EXPECT_FALSE(Parsed("[A]\n").Holds("五"));
    // Text that is no UTF-8 is held in UTF-16 as it will read back.
    TIniFile utf16 = Parsed(le);
    ASSERT_TRUE(utf16.WriteString("A\x80", "k", "\xFF"));
    EXPECT_FALSE(utf16.Holds("\xFF"));
    EXPECT_EQ(Parsed(utf16.Bytes()).ReadString("A\x80", "k", "-"), utf16.ReadString("A\x80", "k", ""));
    // Broken UTF-16 (a lone surrogate, an odd last byte) still comes back byte for byte.
    const std::string broken = le + Utf16("[A]\nk=", false) + "\x00\xD8" + Utf16("\n", false) + "x";
    EXPECT_EQ(Parsed(broken).Bytes(), broken);
}

TEST(IniFile, ControlBytesAroundNamesAreBlanksAndEveryOtherLineStaysAsItWas) {
    using namespace std::string_literals;
    // A file whose length 1 is 5, and the file once lengths 1 = 12 and 2 = 7 are written.
    const std::pair<std::string, std::string> cases[] = {
        {std::string(10, '\0') + "[MessageLength]\r\n1=5\r\n",
         std::string(10, '\0') + "[MessageLength]\r\n1=12\r\n2=7\r\n"},
        {"[MessageLength]\0\x1A\n\x01 1\x7F=5\n"s, "[MessageLength]\0\x1A\n\x01 1\x7F=12\n2=7\n"s},
        {"\xFF\xFE" + Utf16("\0[MessageLength]\n1=5\n"s, false),
         "\xFF\xFE" + Utf16("\0[MessageLength]\n1=12\n2=7\n"s, false)},
    };
    for (const auto& [before, after] : cases) {
        TIniFile ini = Parsed(before);
        EXPECT_EQ(ini.ReadString("MessageLength", "1", "0"), "5");
        ASSERT_TRUE(ini.WriteString("MessageLength", "1", "12") &&
                    ini.WriteString("MessageLength", "2", "7"));
        EXPECT_EQ(ini.Bytes(), after);
    }
    // A value keeps its control bytes: they are no blanks.
    EXPECT_EQ(Parsed("[A]\nk=\0\x1B[2J\a\n"s).ReadString("A", "k", ""), "\0\x1B[2J\a"s);
}

TEST(IniFile, ALoneCarriageReturnEndsALineSoEveryValueCanBeWrittenBack) {
    TIniFile ini = Parsed("[MessageLength]\r\n1=5\r7\r\n2=9\r");
    EXPECT_EQ(ini.ReadString("MessageLength", "1", "-"), "5");
    EXPECT_EQ(ini.Bytes(), "[MessageLength]\r\n1=5\r7\r\n2=9\r");
    EXPECT_TRUE(ini.WriteString("MessageLength", "1", ini.ReadString("MessageLength", "1", "-")));
    EXPECT_TRUE(ini.WriteString("MessageLength", "2", "8"));
    EXPECT_EQ(ini.Bytes(), "[MessageLength]\r\n1=5\r7\r\n2=8\r");
}

TEST(IniFile, FirstOfDuplicatesIsReadAndReplaced) {
    TIniFile ini = Parsed("[A]\nk=1\nK=2\n[B]\n[a]\nk=3\nonly=4\n");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("A", "only", ""), "4");
    ini.WriteString("a", "k", "5");
    ini.WriteString("A", "new", "6");
    EXPECT_EQ(ini.Bytes(), "[A]\nk=5\nK=2\nnew=6\n[B]\n[a]\nk=3\nonly=4\n");
}

TEST(IniFile, CyrillicIsStoredInWindows1251) {
    TIniFile ini;
    ini.WriteString("Сообщения", "Длина", "Пять ё");
    EXPECT_EQ(ini.Bytes(),
              "[\xD1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xFF]\r\n\xC4\xEB\xE8\xED\xE0=\xCF\xFF\xF2\xFC \xB8\r\n");
    EXPECT_EQ(Parsed(ini.Bytes()).ReadString("сообщения", "ДЛИНА", ""), "Пять ё");
}

TEST(IniFile, WritesThatWouldBreakTheFileAreRefused) {
    TIniFile ini = Parsed("[A]\nk=1\n");
    EXPECT_FALSE(ini.WriteString("A", "k", "1\r\n[B]"));
    EXPECT_FALSE(ini.WriteString("A", "a=b", "1"));
    EXPECT_FALSE(ini.WriteString("A", " ", "1"));
    EXPECT_FALSE(ini.WriteString("A", ";k", "1"));
    EXPECT_FALSE(ini.WriteString("A]x", "k", "1"));
    EXPECT_FALSE(ini.WriteString("A\nB", "k", "1"));
    EXPECT_EQ(ini.Bytes(), "[A]\nk=1\n");
}

TEST(IniFile, ArbitraryBytesRoundTripUnchanged) {
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) % 256);
    const char odd[] = "\0[A]\0\n=\n[\n]\r\r\n[A\n\xEF\xBB\xBF";
    junk.append(odd, sizeof odd - 1);
    TIniFile ini = Parsed(junk);
    EXPECT_EQ(ini.Bytes(), junk);
    ASSERT_TRUE(ini.WriteString("A", "k", "v"));
    EXPECT_EQ(Parsed(ini.Bytes()).ReadString("A", "k", ""), "v");
}

TEST(IniFile, HugeInputStaysLinear) {
    // A many-megabyte line, and many lines, sections and keys of the same name.
    std::string big = "[MessageLength]\n1=" + std::string(8 << 20, '5') + "\n";
    for (int i = 0; i < 100000; ++i)
        big += "[MessageLength]\n2=" + std::to_string(i) + "\n";
    TIniFile ini = Parsed(big);
    EXPECT_EQ(ini.ReadString("MessageLength", "1", "").size(), size_t{8 << 20});
    EXPECT_EQ(ini.ReadString("MessageLength", "2", ""), "0");
    for (int k = 1; k <= 72; ++k)
        ini.WriteString("MessageLength", std::to_string(k), "1");
    std::string expected = "[MessageLength]\n";
    for (int k = 1; k <= 72; ++k)
        if (k != 2)
            expected += std::to_string(k) + "=1\n";
    expected += "[MessageLength]\n2=1\n[MessageLength]\n2=1\n";
    EXPECT_EQ(ini.Bytes().substr(0, expected.size()), expected);
}
