// The plain decoding of a configuration: its differences, its warnings, and times that agree
// with the editor's.
#include "model/ConfigurationDiff.h"
#include "project/ProjectFile.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <functional>
#include <random>

namespace {
const std::string Example = VAROK_SOURCE_DIR "/examples/Office-Building.usr";

ConfigImage ExampleImage() {
    ConfigImage image;
    const std::string bytes = TempDir::Read(Example);
    std::copy(bytes.begin(), bytes.end(), image.Data());
    return image;
}

uint8_t& StageByte(ConfigImage& image, int input, int stage, size_t field) {
    return image[Layout::StageOffset(input - 1, stage - 1) + field];
}

using TEdit = std::function<void(ConfigImage&, std::vector<std::string>&)>;

struct TDiffRow {
    const char* Name;
    TEdit Edit;
    std::vector<std::string> Lines;
};

TEST(ConfigurationDiff, NamesEachChangeByMeaningThenTheBytesTheEditorDoesNotInterpret) {
    const std::vector<TDiffRow> rows = {
        {"equal projects", [](ConfigImage&, std::vector<std::string>&) {}, {}},
        {"a zone switched off",
         [](ConfigImage& i, std::vector<std::string>&) { StageByte(i, 3, 2, Layout::Zones) &= ~0x10; },
         {"IN 3 stage 2: zone 5 on → off"}},
        {"one splitter fewer",
         [](ConfigImage& i, std::vector<std::string>&) { i[0] = 0x95; },
         {"composition: splitters 2 → 1"}},
        {"gong, AUX priority and a music zone",
         [](ConfigImage& i, std::vector<std::string>&) {
             i[Layout::ModuleOptions] &= 0x3F;
             i[Layout::MusicZones] |= 0x80;
         },
         {"composition: gong on → off", "composition: AUX priority on → off",
          "composition: music zone 8 off → on"}},
        {"a message length",
         [](ConfigImage&, std::vector<std::string>& l) { l[11] = "25"; },
         {"message 12 length: 20 → 25"}},
        {"a stage switched off, its repeats and pause",
         [](ConfigImage& i, std::vector<std::string>&) {
             StageByte(i, 1, 2, Layout::StageFlags) = 0x08;
             StageByte(i, 2, 1, Layout::RepeatCount) = 0;
             StageByte(i, 2, 1, Layout::StageFlags) = 0xB8;
         },
         {"IN 1 stage 2: on → off", "IN 1 stage 2: pause 10 → 5", "IN 2 stage 1: repeats 2 → unlimited",
          "IN 2 stage 1: pause 5 → 35"}},
        {"a message and a relay of a stage that is off",
         [](ConfigImage& i, std::vector<std::string>&) {
             StageByte(i, 8, 8, Layout::MessageNumber) = 72;
             StageByte(i, 8, 8, Layout::Relays + 1) = 0x01;
         },
         {"IN 8 stage 8: message 0 → 72", "IN 8 stage 8: module 8 K2 off → on"}},
        {"the serial number and a byte after the version",
         [](ConfigImage& i, std::vector<std::string>&) {
             i[Layout::SerialNumber + 3] = '8';
             i[Layout::Version + 2] = 0x7F;
         },
         {"identity: serial number \"0417\" → \"0418\"", "byte 0x01F3: 00 → 7F"}},
        {"a zero byte inside the date stays visible",
         [](ConfigImage& i, std::vector<std::string>&) { i[Layout::Date1] = 0; },
         {
             "identity: date part 1 \"15\" → \"\\x005\"",
         }},
        {"a \"/\" that moves between date parts",
         [](ConfigImage& i, std::vector<std::string>&) {
             i[Layout::Date1 + 1] = '/';
             i[Layout::Date2] = '5';
             i[Layout::Date2 + 1] = 0;
         },
         {"identity: date part 1 \"15\" → \"1/\"", "identity: date part 2 \"03\" → \"5\""}},
        {"a spare bit of a stage's flags and a byte past the table",
         [](ConfigImage& i, std::vector<std::string>&) {
             StageByte(i, 1, 1, Layout::StageFlags) |= 0x40;
             i[0x05A0] = 0x12;
         },
         {"byte 0x0004: 88 → C8", "byte 0x05A0: 00 → 12"}},
    };
    const ConfigImage base = ExampleImage();
    const std::vector<std::string> baseLengths =
        ProjectFile::LoadSide(ProjectFile::SideFileName(Example)).Lengths;
    for (const TDiffRow& row : rows) {
        SCOPED_TRACE(row.Name);
        ConfigImage edited = base;
        std::vector<std::string> lengths = baseLengths;
        row.Edit(edited, lengths);
        const TConfigurationDiff diff = DiffConfigurations(base, &baseLengths, edited, &lengths);
        std::vector<std::string> lines;
        for (const TDifference& d : diff.Meaning)
            lines.push_back(d.Text());
        for (const TByteDifference& d : diff.Bytes)
            lines.push_back(d.Text());
        EXPECT_EQ(lines, row.Lines);
        EXPECT_EQ(diff.Equal(), row.Lines.empty());
    }
    // Dates "1/" "5" and "1" "/5" both read "1//5/24" when joined; their bytes differ.
    ConfigImage a = base, b = base;
    a[Layout::Date1 + 1] = '/';
    a[Layout::Date2] = '5';
    a[Layout::Date2 + 1] = 0;
    b[Layout::Date1 + 1] = 0;
    b[Layout::Date2] = '/';
    b[Layout::Date2 + 1] = '5';
    EXPECT_EQ(DiffConfigurations(a, nullptr, b, nullptr).Meaning.size(), 2u);
}

TEST(ConfigurationDiff, LengthsTakePartOnlyWhenBothSidesHaveThem) {
    const ConfigImage image = ExampleImage();
    const std::vector<std::string> lengths(72, "7");
    EXPECT_TRUE(DiffConfigurations(image, &lengths, image, nullptr).Equal());
    // An empty length reads 0, as the editor fills it in.
    std::vector<std::string> withEmpty(72, "0");
    withEmpty[4] = "";
    const std::vector<std::string> zeros(72, "0");
    EXPECT_TRUE(DiffConfigurations(image, &withEmpty, image, &zeros).Equal());
    EXPECT_EQ(DiffConfigurations(image, &zeros, image, &lengths).Meaning.size(), 72u);
    // A side file marked UTF-8 may hold bytes that are none: they become U+FFFD.
    std::vector<std::string> broken(72, "0");
    broken[0] = "\xFF"
                "5\xE2\x82";
    broken[1] = "\xC0\xAF\xED\xA0\x80";
    const TConfiguration config = DecodeConfiguration(image, &broken);
    EXPECT_EQ((*config.Lengths)[0], "\uFFFD5\uFFFD\uFFFD");
    EXPECT_EQ((*config.Lengths)[1], "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

struct TWarningRow {
    const char* Name;
    std::function<void(ConfigImage&)> Edit;
    std::vector<std::string> Warnings; // notes begin "note: "
    std::function<void(std::vector<std::string>&)> EditLengths = {};
};

// Stage 1 of IN 1 switched on, playing message 1 once.
void FirstStageOn(ConfigImage& i) {
    StageByte(i, 1, 1, Layout::StageFlags) = 0x80;
    StageByte(i, 1, 1, Layout::MessageNumber) = 1;
    StageByte(i, 1, 1, Layout::RepeatCount) = 1;
}

std::vector<std::string> Findings(const ConfigImage& image, const std::vector<std::string>* lengths) {
    std::vector<std::string> lines;
    for (const TFinding& f : DecodeConfiguration(image, lengths).Findings) {
        EXPECT_FALSE(f.Russian.empty()) << f.EnglishText();
        lines.push_back((f.IsError() ? "" : "note: ") + f.EnglishText());
    }
    return lines;
}

TEST(Configuration, CheckFindsWhatTheEditorsRulesWouldNotProduceAndLengthsItCannotUse) {
    const std::vector<TWarningRow> rows = {
        {"a valid configuration", [](ConfigImage& i) { FirstStageOn(i); }, {}},
        {"a count above its maximum",
         [](ConfigImage& i) { i[0] = 0xC0; },
         {"composition: amplifiers 3, at most 2"}},
        {"nine modules",
         [](ConfigImage& i) { i[Layout::ModuleOptions] = 0x09; },
         {"composition: modules 9, at most 8"}},
        {"three consoles",
         [](ConfigImage& i) { i[0] = 0x06; },
         {"composition: fire consoles 2 and announcer consoles 1, at most 2 together"}},
        {"a gong without an announcer console",
         [](ConfigImage& i) { i[Layout::ModuleOptions] = 0x80; },
         {"composition: gong on without an announcer console"}},
        {"a music zone beyond one splitter",
         [](ConfigImage& i) {
             i[0] = 0x10;
             i[Layout::MusicZones] = 0x11;
         },
         {"composition: music zone 5 beyond the splitters' reach"}},
        {"a message above 72 and none at all",
         [](ConfigImage& i) {
             FirstStageOn(i);
             StageByte(i, 1, 1, Layout::MessageNumber) = 73;
             StageByte(i, 1, 2, Layout::StageFlags) = 0x80;
         },
         {"IN 1 stage 1: message 73 above 72", "IN 1 stage 2: no message"}},
        {"broken stage chains",
         [](ConfigImage& i) {
             StageByte(i, 2, 2, Layout::StageFlags) = 0x80;
             StageByte(i, 2, 2, Layout::MessageNumber) = 1;
             FirstStageOn(i);
             StageByte(i, 1, 1, Layout::RepeatCount) = 0;
             StageByte(i, 1, 2, Layout::StageFlags) = 0x80;
             StageByte(i, 1, 2, Layout::MessageNumber) = 1;
         },
         {"IN 1 stage 2: on after a stage that plays without limit",
          "IN 2 stage 2: on after a stage that is off"}},
        {"zones and relays beyond the composition",
         [](ConfigImage& i) {
             i[0] = 0x10;
             i[Layout::ModuleOptions] = 0x01;
             FirstStageOn(i);
             StageByte(i, 1, 1, Layout::Zones) = 0x31;
             StageByte(i, 1, 1, Layout::Relays) = 0xE0;
             StageByte(i, 3, 1, Layout::Zones) = 0xFF; // a stage that is off is not judged
         },
         {"IN 1 stage 1: zones 5, 6 beyond the splitters' reach",
          "IN 1 stage 1: module 2 K1 on with 1 modules"}},
        // The editor offers no choice for these counts, so they provide no zone and no relay.
        {"three splitters and nine modules provide nothing",
         [](ConfigImage& i) {
             i[0] = 0x30;
             i[Layout::ModuleOptions] = 0x09;
             i[Layout::MusicZones] = 0x01;
             FirstStageOn(i);
             StageByte(i, 1, 1, Layout::Zones) = 0x01;
             StageByte(i, 1, 1, Layout::Relays) = 0x80;
         },
         {"composition: splitters 3, at most 2", "composition: modules 9, at most 8",
          "composition: music zone 1 beyond the splitters' reach",
          "IN 1 stage 1: zone 1 beyond the splitters' reach",
          "IN 1 stage 1: module 1 K1 on with 9 modules, which provide none"}},
        // A typo is named where it is typed, and a stage that plays it has no time.
        {"lengths that are no whole number or 0",
         [](ConfigImage& i) {
             FirstStageOn(i);
             StageByte(i, 1, 2, Layout::StageFlags) = 0x80;
             StageByte(i, 1, 2, Layout::MessageNumber) = 2;
             StageByte(i, 1, 2, Layout::RepeatCount) = 1;
         },
         {"message length 1: \"1O\" is no whole number of seconds",
          "message length 72: \" 7\" is no whole number of seconds",
          "note: IN 1 stage 1: message 1 has no length, the stage time is unknown",
          "note: IN 1 stage 2: message 2 has no length, the stage time is unknown"},
         [](std::vector<std::string>& l) {
             l[0] = "1O";
             l[1] = "0";
             l[71] = " 7";
         }},
    };
    for (const TWarningRow& row : rows) {
        SCOPED_TRACE(row.Name);
        ConfigImage image;
        row.Edit(image);
        std::vector<std::string> lengths(72, "5");
        if (row.EditLengths)
            row.EditLengths(lengths);
        EXPECT_EQ(Findings(image, &lengths), row.Warnings);
    }
    // The example is clean; without its side file each of its 15 stages in use has no length;
    // random bytes are errors.
    const std::vector<std::string> lengths =
        ProjectFile::LoadSide(ProjectFile::SideFileName(Example)).Lengths;
    EXPECT_EQ(Findings(ExampleImage(), &lengths), std::vector<std::string>{});
    EXPECT_EQ(Findings(ExampleImage(), nullptr).size(), 15u);
    ConfigImage random;
    std::mt19937 generator(29);
    for (size_t i = 0; i < Layout::ImageSize; ++i)
        random[i] = static_cast<uint8_t>(generator());
    EXPECT_EQ(Findings(random, nullptr).at(0).rfind("note: ", 0), std::string::npos);
}

// Without lengths there are no times; the identity markers are bytes the editor does not interpret.
TEST(Configuration, WithoutLengthsHasNoTimes) {
    const TConfiguration config = DecodeConfiguration(ExampleImage(), nullptr);
    EXPECT_FALSE(config.Lengths);
    EXPECT_FALSE(config.Inputs[0].Plan);
    ASSERT_EQ(config.Raw.size(), 2u);
    EXPECT_EQ(config.Raw[0].Offset, 0x1E0u);
    EXPECT_EQ(config.Raw[0].Bytes, (std::vector<uint8_t>{0x53, 0x4E}));
}
} // namespace
