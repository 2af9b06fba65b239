// varokconfig-cli show, diff and build as whole processes: the stored JSON of the example, exit
// codes, the round trip through JSON, and what the commands do with odd inputs and outputs.
#include "project/ProjectFile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
const std::string Example = VAROK_SOURCE_DIR "/examples/Office-Building";

class CliConfig : public ::testing::Test {
protected:
    int Cli(std::vector<std::string> args) {
        args.insert(args.begin(), VAROK_BIN_DIR "/varokconfig-cli");
        Run = std::make_unique<TChildProcess>();
        return Run->Start(args) ? Run->Finish() : -1;
    }
    // Runs a shell command line in Dir, with the tool as $CLI.
    int Shell(const std::string& command) {
        Run = std::make_unique<TChildProcess>();
        const std::string line =
            "cd '" + Dir.Path.string() + "' && CLI=" VAROK_BIN_DIR "/varokconfig-cli && " + command;
        return Run->Start({"/bin/sh", "-c", line}, {"VAROKCONFIG_PORTS=" + Dir.File("ports")}) ? Run->Finish()
                                                                                               : -1;
    }
    // A copy of the example project (image and side file) with one byte of the image changed.
    std::string EditedCopy(const std::string& name, size_t offset, char value) {
        std::string image = TempDir::Read(Example + ".usr");
        image[offset] = value;
        TempDir::Write(Dir.File(name + ".usr"), image);
        std::filesystem::copy_file(Example + ".ini", Dir.File(name + ".ini"));
        return Dir.File(name + ".usr");
    }

    TempDir Dir;
    std::unique_ptr<TChildProcess> Run;
};

TEST_F(CliConfig, ShowJsonOfTheExampleIsTheStoredOne) {
    ASSERT_EQ(Cli({"show", Example + ".usr", "--json"}), 0) << Run->StdErr;
    EXPECT_EQ(Run->StdOut, TempDir::Read(VAROK_SOURCE_DIR "/tests/cli/expected/Office-Building.json"));
    EXPECT_EQ(Run->StdErr, "");
    // Without the side file there are no lengths and no times.
    TempDir::Write(Dir.File("alone.usr"), TempDir::Read(Example + ".usr"));
    ASSERT_EQ(Cli({"show", "--json", Dir.File("alone.usr")}), 0);
    EXPECT_NE(Run->StdOut.find("\"messageLengths\": null"), std::string::npos);
    EXPECT_NE(Run->StdOut.find("\"time\": null, \"unlimited\": false"), std::string::npos);
    ASSERT_EQ(Cli({"show", Dir.File("alone.usr")}), 0);
    EXPECT_NE(Run->StdOut.find("  none: no side file\n"), std::string::npos);
}

TEST_F(CliConfig, DiffExitsZeroWhenEqualThreeWhenDifferentTwoOnAFileError) {
    EXPECT_EQ(Cli({"diff", Example + ".usr", EditedCopy("same", 0, '\xA5')}), 0);
    EXPECT_EQ(Run->StdOut, "");

    const std::string edited = EditedCopy("edited", 0, '\x95');
    EXPECT_EQ(Cli({"diff", Example + ".usr", edited}), 3);
    EXPECT_EQ(Run->StdOut, "composition: splitters 2 → 1\n");
    EXPECT_EQ(Cli({"diff", "--json", Example + ".usr", edited}), 3);
    EXPECT_EQ(Run->StdOut,
              "{\n  \"equal\": false,\n  \"differences\": [\n    {\n      \"where\": \"composition\",\n"
              "      \"what\": \"splitters\",\n      \"from\": 2,\n      \"to\": 1\n    }\n  ],\n"
              "  \"bytes\": []\n}\n");

    EXPECT_EQ(Cli({"diff", Example + ".usr", Dir.File("missing.usr")}), 2);
    EXPECT_NE(Run->StdErr.find("missing.usr"), std::string::npos);
    for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
             {"diff", Example + ".usr"}, {"show"}, {"show", Example + ".usr", "--yaml"}})
        EXPECT_EQ(Cli(usage), 2) << usage.back();
}

// An image of the independent decoder's corpus: random bytes, or an empty image with rules
// broken on purpose (odd counts, stages on after off, odd identity bytes, stray bytes).
std::string RandomImage(std::mt19937& random) {
    std::string image(2048, '\0');
    const auto byte = [&random] { return static_cast<char>(random() & 0xFF); };
    if (random() % 3 == 0) {
        for (char& b : image)
            b = byte();
        return image;
    }
    for (size_t offset : {0, 1, 2})
        image[offset] = byte();
    for (size_t record = 4; record < 388; record += 6)
        if (random() % 3 == 0)
            for (size_t k = 0; k < 6; ++k)
                image[record + k] = random() % 4 ? byte() : '\0';
    const char odd[] = {'\0', '\\', '\x98', '\x7F', '\n', '/', '\xC0', '7'};
    for (size_t offset = 480; offset < 499; ++offset)
        image[offset] = random() % 2 ? odd[random() % sizeof odd] : '\0';
    for (int stray = random() % 4; stray > 0; --stray)
        image[388 + random() % 1660] = byte();
    return image;
}

std::string Repeated(const std::string& text, int times) {
    std::string out;
    while (times-- > 0)
        out += text;
    return out;
}

// Lengths as the editor saves them, any text on one line without surrounding blanks, and bytes of no text.
std::vector<std::string> RandomLengths(std::mt19937& random) {
    const std::vector<std::string> texts = {
        "0", "12", "7", "-5", "abc", "пять", "1 5", "99999999999", "1\xC3\x28", "\xED\xA0\x80", "\x1B\x01"};
    std::vector<std::string> lengths;
    for (int k = 0; k < 72; ++k)
        lengths.push_back(texts[random() % texts.size()]);
    return lengths;
}

TEST_F(CliConfig, ShowJsonThenBuildGivesBackTheProjectByteForByte) {
    std::mt19937 random(20);
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        const std::string image = RandomImage(random);
        TempDir::Write(Dir.File("p.usr"), image);
        std::filesystem::remove(Dir.File("p.ini"));
        std::filesystem::remove(Dir.File("q.ini"));
        const bool side = round % 4 != 0;
        if (side) {
            // Every encoding a side file may have, with a length Windows-1251 lacks.
            TIniFile ini;
            std::vector<std::string> lengths = RandomLengths(random);
            lengths[random() % lengths.size()] = "五";
            const auto encoding = static_cast<TIniFile::TEncoding>(random() % 5);
            ASSERT_TRUE(ProjectFile::PrepareLengths(ini, Dir.File("p.ini"), lengths, encoding));
            ASSERT_TRUE(ini.UpdateFile());
        }
        ASSERT_EQ(Shell("$CLI show p.usr --json > p.json"), 0) << Run->StdErr;
        ASSERT_EQ(Shell(round % 2 ? "$CLI build p.json -o q.usr" : "$CLI build - -o q.usr < p.json"), 0)
            << Run->StdErr;
        EXPECT_EQ(TempDir::Read(Dir.File("q.usr")), image);
        EXPECT_EQ(std::filesystem::exists(Dir.File("q.ini")), side);
        if (side) {
            EXPECT_EQ(TempDir::Read(Dir.File("q.ini")), TempDir::Read(Dir.File("p.ini")));
        }
    }
    // Values the image cannot hold, and no JSON at all, are usage errors naming the place.
    const std::pair<std::string, std::string> faults[] = {
        {R"({"composition": {"modules": 16}})", "composition.modules: a whole number from 0 to 15"},
        {R"({"inputs": [{"stages": [{}, {"pause": 7}]}]})", "inputs[0].stages[1].pause: one of 0, 5"},
        {R"({"identity": {"version": "123"}})", "identity.version: a text of at most 2"},
        {R"({"raw": [{"offset": 0, "bytes": "01"}]})",
         "raw[0].bytes: byte 0 sets bits the editor interprets"},
        {R"({"inputs": [{"stages": [{"zone": [1]}]}]})", "inputs[0].stages[0].zone: not a key"},
        {"{\"composition\": {\n  \"gong\": tru}}", "no valid JSON: line 2, column 11"},
        // Columns count characters, not bytes; the text's end is a place of its own.
        {"[\"ЖЖЖ\", tru]", "no valid JSON: line 1, column 9: "},
        {"{\"raw\": [", "no valid JSON: line 1, column 10: "},
        // Numbers the library reads as unsigned, as floating point, or not at all.
        {R"({"composition": {"modules": 5.0}})", "composition.modules: a whole number from 0 to 15"},
        {R"({"composition": {"modules": 18446744073709551621}})", "composition.modules: a whole number"},
        {"{\"messageLengths\": [9223372036854775808" + Repeated(", 0", 71) + "]}",
         "messageLengths[0]: a length"},
        {R"({"raw": [{"offset": 1e999}]})", "no valid JSON: line 1, column 21: number overflow"},
        // A key twice is refused where the second one begins, however deep.
        {"{\"raw\": [],\n \"composition\": {\"gong\": true, \"gong\": false}}",
         "no valid JSON: line 2, column 32: the key \"gong\" twice"},
        {"{\"inputs\": [{\"stages\": [{\"on\": true, \"o\\u006e\": false}]}]}",
         "no valid JSON: line 1, column 38: the key \"on\" twice"},
        // 64 levels are read (and then found no configuration), 65 are not.
        {"{\"raw\": " + Repeated("[", 63) + Repeated("]", 63) + "}", "raw[0]: an object expected"},
        {"{\"raw\": " + Repeated("[", 64) + Repeated("]", 64) + "}",
         "no valid JSON: line 1, column 72: nested more than 64 levels deep"},
        {"{\"sideFileEncoding\": \"windows-1251\", \"messageLengths\": [\"五\"" + Repeated(", \"0\"", 71) +
             "]}",
         "messageLengths[0]: characters"},
        {R"({"sideFileEncoding": "koi8-r"})", "sideFileEncoding: null, \"windows-1251\""},
    };
    for (const auto& [json, message] : faults) {
        SCOPED_TRACE(json);
        TempDir::Write(Dir.File("bad.json"), json);
        EXPECT_EQ(Cli({"build", Dir.File("bad.json"), "-o", Dir.File("bad.usr")}), 2);
        EXPECT_NE(Run->StdErr.find(message), std::string::npos) << Run->StdErr;
        EXPECT_FALSE(std::filesystem::exists(Dir.File("bad.usr")));
    }
    // With no encoding recorded, a length Windows-1251 lacks makes the side file UTF-16.
    TempDir::Write(Dir.File("new.json"), "{\"messageLengths\": [\"五\"" + Repeated(", \"0\"", 71) + "]}");
    ASSERT_EQ(Cli({"build", Dir.File("new.json"), "-o", Dir.File("new.usr")}), 0) << Run->StdErr;
    EXPECT_EQ(TempDir::Read(Dir.File("new.ini")).substr(0, 2), "\xFF\xFE");
    // A byte order mark, as some Windows editors save JSON, is passed over.
    TempDir::Write(Dir.File("bom.json"), "\xEF\xBB\xBF{\"composition\": {\"modules\": 2}}");
    ASSERT_EQ(Cli({"build", Dir.File("bom.json"), "-o", Dir.File("bom.usr")}), 0) << Run->StdErr;
}

// build writes what the JSON describes, however wrong, and says what check will find in it.
TEST_F(CliConfig, BuildPrintsWhatCheckFindsAndSucceeds) {
    TempDir::Write(Dir.File("odd.json"), R"({"composition": {"modules": 9}, "inputs": [{"stages": [
        {"on": true, "message": 73, "repeats": 1, "relays": ["3 K1"]}]}]})");
    ASSERT_EQ(Shell("$CLI build odd.json -o odd.usr"), 0);
    const std::string said = Run->StdErr;
    EXPECT_EQ(Shell("$CLI check odd.usr"), 4);
    EXPECT_EQ(said, Run->StdOut);
    // The example is sound: build says nothing.
    ASSERT_EQ(Shell("$CLI show " + Example + ".usr --json | $CLI build - -o fine.usr"), 0);
    EXPECT_EQ(Run->StdErr, "");
}

// Texts from side files reach the terminal escaped; diff tells lengths apart by all their bytes.
TEST_F(CliConfig, SideFileBytesCannotSteerTheTerminal) {
    for (const std::string name : {"a", "b"})
        std::filesystem::copy_file(Example + ".usr", Dir.File(name + ".usr"));
    TempDir::Write(Dir.File("a.ini"),
                   "\xEF\xBB\xBF[MessageLength]\n1=\x1B[2J\x1B]52;c;SGVsbG8=\a\n2=1\xFF\n3=\xC2\x9B\x7F\n");
    TempDir::Write(Dir.File("b.ini"), "\xEF\xBB\xBF[MessageLength]\n1=5\n2=1\xFE\n");
    EXPECT_EQ(Shell("$CLI diff a.usr b.usr"), 3);
    EXPECT_EQ(Run->StdOut, "message 1 length: \\x1B[2J\\x1B]52;c;SGVsbG8=\\x07 → 5\n"
                           "message 2 length: 1\\xFF → 1\\xFE\nmessage 3 length: \\u009B\\x7F → 0\n");
    for (const std::string command : {"show a.usr", "show a.usr --json", "check a.usr", "check a.usr --json",
                                      "diff a.usr b.usr --json"}) {
        // Lengths that are no number are errors of the check; diff finds differences.
        EXPECT_EQ(Shell("$CLI " + command), command.starts_with("show")    ? 0
                                            : command.starts_with("check") ? 4
                                                                           : 3);
        EXPECT_EQ(Run->StdOut.find_first_of("\x1B\a\x7F"), std::string::npos) << command << Run->StdOut;
        EXPECT_EQ(Run->StdOut.find("\xC2\x9B"), std::string::npos) << command << Run->StdOut;
    }
}

// Where an output goes, by what it is: a regular or new file is replaced whole, a FIFO or a
// device is written in place and stays what it is, "-" is standard output, and an input is
// never written over, however it is named.
TEST_F(CliConfig, OutputsAreWrittenByWhatTheyAre) {
    std::filesystem::copy_file(Example + ".usr", Dir.File("p.usr"));
    std::filesystem::copy_file(Example + ".ini", Dir.File("p.ini"));
    std::filesystem::create_directory(Dir.File("sub"));
    ASSERT_EQ(Shell("$CLI report p.usr -o report.txt && $CLI show p.usr --json > p.json"), 0) << Run->StdErr;
    const std::string report = TempDir::Read(Dir.File("report.txt"));
    const std::string image = TempDir::Read(Dir.File("p.usr"));
    const bool devices = mknod(Dir.File("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    ASSERT_EQ(mkfifo(Dir.File("fifo").c_str(), 0666), 0);
    const std::string longName(250, 'n');
    struct TRow {
        std::string Name, Command;
        int Status;
        std::string Target; // what the target holds afterwards ("" for a device)
        std::string StdErr; // a part of it
    };
    const std::vector<TRow> rows = {
        {"report to a new file", "$CLI report p.usr -o new.txt", 0, "new.txt", ""},
        {"report over a regular file", "echo old > old.txt && $CLI report p.usr -o old.txt", 0, "old.txt",
         ""},
        {"report to a FIFO", "$CLI report p.usr -o fifo", 0, "fifo", ""},
        {"report to a device", "$CLI report p.usr -o null", 0, "", ""},
        {"report to standard output", "$CLI report p.usr -o -", 0, "-", ""},
        {"report with a 254-character name", "$CLI report p.usr -o " + longName + ".txt", 0,
         longName + ".txt", ""},
        {"report over its project", "$CLI report p.usr -o ./sub/../p.usr", 2, "", "is the input"},
        {"report over its side file", "ln p.ini hard.txt && $CLI report p.usr -o hard.txt", 2, "",
         "is the input"},
        {"backup over the side file", "$CLI write --port 3 --backup p.ini p.usr", 2, "", "is the input"},
        {"build to a FIFO", "$CLI build p.json -o fifo", 0, "fifo", ""},
        {"build to a device", "$CLI build p.json -o null", 0, "", ""},
        {"build over its configuration", "$CLI build p.json -o sub/../p.json", 2, "", "is the input"},
        {"build to its own side file", "$CLI build p.json -o x.ini", 2, "", "cannot be both"},
        {"build to standard output", "$CLI build p.json -o -", 2, "", "cannot be both"},
        {"show into a full disk", "$CLI show p.usr > /dev/full", 2, "", "Unable to write to standard output"},
        {"diff into a full disk", "$CLI diff p.usr sub/../p.usr --json > /dev/full", 2, "",
         "Unable to write to standard output"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Name);
        if (row.Command.find("null") != std::string::npos && !devices)
            continue; // making a device node needs root
        // The test holds the FIFO's reading end, so the tool's write finds a reader at once.
        const int reader = open(Dir.File("fifo").c_str(), O_RDONLY | O_NONBLOCK);
        EXPECT_EQ(Shell(row.Command), row.Status) << Run->StdErr;
        EXPECT_NE(Run->StdErr.find(row.StdErr), std::string::npos) << Run->StdErr;
        std::string piped(65536, '\0');
        const ssize_t got = read(reader, piped.data(), piped.size());
        piped.resize(got > 0 ? static_cast<size_t>(got) : 0);
        close(reader);
        const std::string expected = row.Command.find("build") != std::string::npos ? image : report;
        if (row.Target == "-") {
            EXPECT_EQ(Run->StdOut, expected);
        } else if (row.Target == "fifo") {
            EXPECT_EQ(piped, expected);
        } else if (!row.Target.empty()) {
            EXPECT_EQ(TempDir::Read(Dir.File(row.Target)), expected);
        }
    }
    EXPECT_EQ(TempDir::Read(Dir.File("p.usr")), image);
    EXPECT_EQ(TempDir::Read(Dir.File("p.ini")), TempDir::Read(Example + ".ini"));
    EXPECT_TRUE(std::filesystem::is_fifo(Dir.File("fifo")));
    if (devices) {
        EXPECT_TRUE(std::filesystem::is_character_file(Dir.File("null")));
    }
    for (const auto& entry : std::filesystem::directory_iterator(Dir.Path))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".")) << "a temporary file is left";
}

// Inputs that are no regular files are refused at once in every command; a side file that
// cannot be used and a project of another size are named on standard error.
TEST_F(CliConfig, InputsAreTakenOnlyWhenTheyAreRegularFiles) {
    std::filesystem::copy_file(Example + ".usr", Dir.File("p.usr"));
    ASSERT_EQ(mkfifo(Dir.File("fifo.usr").c_str(), 0666), 0);
    ASSERT_EQ(mkfifo(Dir.File("fifo.json").c_str(), 0666), 0);
    TempDir::Write(Dir.File("short.usr"), std::string(100, '\0'));
    for (const char* name : {"sidefifo", "sidedir", "sidebig"})
        std::filesystem::copy_file(Example + ".usr", Dir.File(std::string(name) + ".usr"));
    ASSERT_EQ(mkfifo(Dir.File("sidefifo.ini").c_str(), 0666), 0);
    std::filesystem::create_directory(Dir.File("sidedir.ini"));
    TempDir::Write(Dir.File("sidebig.ini"), std::string((1 << 20) + 1, ';'));
    const std::string fifo = "not a regular file but a FIFO";
    const std::pair<std::string, std::string> noted[] = {
        {"$CLI show fifo.usr", fifo},
        {"$CLI diff p.usr fifo.usr", fifo},
        {"$CLI report fifo.usr -o r.txt", fifo},
        {"$CLI write --port 3 fifo.usr", fifo},
        {"$CLI build fifo.json -o b.usr", fifo},
        {"$CLI show sidedir.usr", "Unable to read sidedir.ini: " + std::string(std::strerror(EISDIR))},
        {"$CLI report sidefifo.usr -o r.txt", "sidefifo.ini: " + fifo},
        {"$CLI show short.usr", "short.usr имеет размер 100 байт вместо 2048"},
    };
    for (const auto& [command, message] : noted) {
        SCOPED_TRACE(command);
        EXPECT_EQ(Shell(command), command.find(" fifo.") != std::string::npos ? 2 : 0) << Run->StdErr;
        EXPECT_NE(Run->StdErr.find(message), std::string::npos) << Run->StdErr;
    }
    // A side file that cannot be used gives no lengths, so diff invents no length changes.
    for (const char* name : {"sidefifo", "sidedir", "sidebig"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Shell("$CLI diff " + std::string(name) + ".usr p.usr"), 0) << Run->StdOut;
        EXPECT_NE(Run->StdErr.find("the message lengths are left out"), std::string::npos) << Run->StdErr;
        EXPECT_EQ(Shell("$CLI show --json " + std::string(name) + ".usr"), 0);
        EXPECT_NE(Run->StdOut.find("\"messageLengths\": null"), std::string::npos);
    }
}
} // namespace
