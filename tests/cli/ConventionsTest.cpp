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

// Both programs parse their command lines alike: a usage error exits 2 and names its cause, an
// option given twice is one (never the last one winning), and a value is taken as a value even
// when it looks like an option.
TEST(CliConventions, UsageErrorsNameTheirCause) {
    const std::string example = VAROK_SOURCE_DIR "/examples/Office-Building.usr";
    const std::pair<std::string, std::string> cases[] = {
        {"./varokconfig-cli read --port 3 --port 4 -o x.usr", "varokconfig-cli: --port given twice\n"},
        {"./varokconfig-cli build c.json -o a.usr -o b.usr", "varokconfig-cli: -o given twice\n"},
        {"./varokconfig-cli show " + example + " --json --json", "varokconfig-cli: --json given twice\n"},
        {"./varokconfig-cli report " + example + " -o", "varokconfig-cli: -o needs a file name\n"},
        {"./varokconfig-cli write " + example + " --port",
         "varokconfig-cli: --port needs a port number from 1 to 255\n"},
        {"./varokconfig-cli probe --bogus", "varokconfig-cli: unknown option: --bogus\n"},
        {"./varokconfig-cli probe --port 3 -- --baud", "varokconfig-cli: unexpected argument: --baud\n"},
        {"./varokconfig-cli show " + example + " --json=false", "varokconfig-cli: --json takes no value\n"},
        {"./varokconfig-cli probe --port -3",
         "varokconfig-cli: --port: -3 is not a port number from 1 to 255\n"},
        {"./varokconfig-cli probe --timeout -0.5", "--timeout: -0.5 is not a number of seconds above 0"},
        {"./varokconfig-cli probe --parity weird",
         "--parity: weird is not one of none, odd, even, mark, space\n"},
        {"./varokconfig-cli report ''", "varokconfig-cli: PROJECT.usr: an empty file name\n"},
        {"./verda-sim --ports p --com 3 --com 4", "verda-sim: --com given twice\n"},
        {"./verda-sim --ports p --com 3 --silent --silent", "verda-sim: --silent given twice\n"},
        {"./verda-sim --ports p --com", "verda-sim: --com needs a port number from 1 to 255\n"},
        {"./verda-sim --ports p --com 3 --frobnicate", "verda-sim: unknown option: --frobnicate\n"},
        {"./verda-sim --ports p --com 3 --stuck-block 0x0010",
         "--stuck-block: 0x0010 is not the hexadecimal"},
        {"./verda-sim --com 3", "verda-sim: --ports is required\n"},
    };
    for (const auto& [command, message] : cases) {
        SCOPED_TRACE(command);
        TChildProcess run;
        ASSERT_TRUE(run.Start({"/bin/sh", "-c", "cd " VAROK_BIN_DIR " && " + command}));
        EXPECT_EQ(run.Finish(), 2);
        EXPECT_EQ(run.StdOut, "");
        EXPECT_NE(run.StdErr.find(message), std::string::npos) << run.StdErr;
    }
    // A fractional value is a value, a leading zero no octal number, and -- ends the options of
    // a link command too: each of these reaches the port it names.
    const std::pair<std::string, std::string> reached[] = {
        {"--timeout 0.5 --port 7 --", "7"}, {"--port 010", "10"}, {"--port=9", "9"}};
    for (const auto& [options, port] : reached) {
        SCOPED_TRACE(options);
        TChildProcess run;
        ASSERT_TRUE(run.Start(
            {"/bin/sh", "-c",
             "cd " VAROK_BIN_DIR " && VAROKCONFIG_PORTS=/nonexistent ./varokconfig-cli probe " + options}));
        EXPECT_EQ(run.Finish(), 1);
        EXPECT_EQ(run.StdErr, "Ошибка открытия COM " + port + " !\n");
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
