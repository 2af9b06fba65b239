// varokconfig-cli show and diff as whole processes: the stored JSON of the example, exit codes.
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include <filesystem>
#include <gtest/gtest.h>

namespace {
const std::string Example = VAROK_SOURCE_DIR "/examples/Office-Building";

class CliConfig : public ::testing::Test {
protected:
    int Cli(std::vector<std::string> args) {
        args.insert(args.begin(), VAROK_BIN_DIR "/varokconfig-cli");
        Run = std::make_unique<TChildProcess>();
        return Run->Start(args) ? Run->Finish() : -1;
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
    EXPECT_NE(Run->StdOut.find("\"time\": null"), std::string::npos);
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
              "      \"what\": \"splitters\",\n      \"from\": \"2\",\n      \"to\": \"1\"\n    }\n  ],\n"
              "  \"bytes\": []\n}\n");

    EXPECT_EQ(Cli({"diff", Example + ".usr", Dir.File("missing.usr")}), 2);
    EXPECT_NE(Run->StdErr.find("missing.usr"), std::string::npos);
    for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
             {"diff", Example + ".usr"}, {"show"}, {"show", Example + ".usr", "--yaml"}})
        EXPECT_EQ(Cli(usage), 2) << usage.back();
}
} // namespace
