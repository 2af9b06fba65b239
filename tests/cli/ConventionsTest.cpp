// The terminal conventions of the three programs: --version, --help, usage errors, which stream
// carries what, and the exit statuses.
#include "support/ChildProcess.h"
#include <filesystem>
#include <gtest/gtest.h>

namespace {
struct TConventionCase {
    const char* Name;
    std::string Command; // run by /bin/sh in the programs' folder
    int Status;
    std::string StdOut; // a part of it; "" means standard output stays empty
    std::string StdErr; // likewise
};

TEST(CliConventions, EachAnswerGoesToItsStreamWithItsStatus) {
    const std::string version = " " VAROK_VERSION;
    const std::string example = VAROK_SOURCE_DIR "/examples/Office-Building.usr";
    // A project in a folder of its own, checked, and the status kept past the clean-up.
    const std::string check = "./varokconfig-cli check $d/p.usr; s=$?; rm -r $d; exit $s";
    const TConventionCase cases[] = {
        {"version", "./varokconfig-cli --version", 0, "varokconfig-cli" + version, ""},
        {"simulator's version", "./verda-sim --version", 0, "verda-sim" + version, ""},
        {"simulator's help", "./verda-sim --help", 0, "--ports DIR", ""},
        {"editor's version without a display", "DISPLAY= ./varokconfig --version", 0, "varokconfig" + version,
         ""},
        {"editor's help without a display", "DISPLAY= ./varokconfig --help", 0, "  or:  varokconfig -debug",
         ""},
        {"overview", "./varokconfig-cli --help", 0, "varokconfig-cli COMMAND --help", ""},
        {"a command's help", "./varokconfig-cli read --help", 0, "Usage: varokconfig-cli read ", ""},
        {"short help among other arguments", "./varokconfig-cli write --port 3 -h", 0, "--backup FILE", ""},
        {"help by name", "./varokconfig-cli help diff", 0, "Usage: varokconfig-cli diff ", ""},
        {"usage error gives a hint, not the usage", "./varokconfig-cli read --port 0", 2, "",
         "see 'varokconfig-cli read --help'\n"},
        {"missing argument", "./varokconfig-cli show", 2, "", "see 'varokconfig-cli show --help'\n"},
        {"no command", "./varokconfig-cli", 2, "", "no command given\nsee 'varokconfig-cli --help'\n"},
        {"unknown command", "./varokconfig-cli frobnicate", 2, "", "see 'varokconfig-cli --help'\n"},
        {"help for an unknown command", "./varokconfig-cli help frobnicate", 2, "", "unknown command"},
        {"help into a full disk", "./varokconfig-cli --help >/dev/full", 2, "",
         "Unable to write to standard output"},
        {"the file error's text on standard error", "./varokconfig-cli show /nonexistent.usr", 2, "",
         "/nonexistent.usr"},
        {"check of a clean project", "./varokconfig-cli check " + example, 0, "", ""},
        {"check finds notes only: no side file", "d=$(mktemp -d) && cp " + example + " $d/p.usr && " + check,
         3, "note: IN 1 stage 1: message 1 has no length", ""},
        {"check finds an error",
         "d=$(mktemp -d) && head -c 2048 /dev/zero | tr '\\0' '\\377' >$d/p.usr && " + check, 4,
         "error: composition: amplifiers 3, at most 2\n", ""},
    };
    for (const TConventionCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Command.find("varokconfig ") != std::string::npos &&
            !std::filesystem::exists(VAROK_BIN_DIR "/varokconfig"))
            continue; // built without the editor
        TChildProcess run;
        ASSERT_TRUE(run.Start({"/bin/sh", "-c", "cd " VAROK_BIN_DIR " && " + c.Command}));
        EXPECT_EQ(run.Finish(), c.Status) << run.StdErr;
        for (const auto& [stream, expected] :
             {std::pair{&run.StdOut, c.StdOut}, std::pair{&run.StdErr, c.StdErr}}) {
            if (expected.empty())
                EXPECT_EQ(*stream, "");
            else
                EXPECT_NE(stream->find(expected), std::string::npos) << *stream;
        }
        // A usage error never repeats the whole usage.
        EXPECT_EQ(run.StdErr.find("Usage:"), std::string::npos);
    }
}

// The overview names every command with its options, so a reader never needs the source.
TEST(CliConventions, OverviewListsEveryCommand) {
    TChildProcess run;
    ASSERT_TRUE(run.Start({VAROK_BIN_DIR "/varokconfig-cli", "--help"}));
    ASSERT_EQ(run.Finish(), 0);
    for (const char* synopsis : {
             "report PROJECT.usr [--html] [-o FILE|-]",
             "probe [--port N] [LINE] [--timeout SECONDS]",
             "read --port N [LINE] [--timeout SECONDS] -o OUT.usr",
             "write --port N [LINE] [--timeout SECONDS] [--backup FILE.usr] PROJECT.usr",
             "show PROJECT.usr [--json]",
             "diff A.usr B.usr [--json]",
             "verify --port N [LINE] [--timeout SECONDS] PROJECT.usr",
             "build CONFIG.json -o PROJECT.usr",
             "check PROJECT.usr [--json]",
             "--version",
         })
        EXPECT_NE(run.StdOut.find(std::string("varokconfig-cli ") + synopsis), std::string::npos) << synopsis;
}
} // namespace
