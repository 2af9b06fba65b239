#include "SimOptions.h"
#include "CommandLine.h"
#include <CLI/CLI.hpp>
#include <functional>
#include <limits>

namespace {
const std::string Faults = "Faults, for testing (combinable; ADDR and HH are hexadecimal: 07E0, 0x07E0, AA)";

void DeclareSimOptions(CLI::App& app, TSimOptions& o) {
    PrepareCommandLine(
        app, "verda-sim --ports DIR --com N [--image FILE.usr] [--save FILE.usr] [--pace] [FAULTS]",
        "A simulated controller of the VERDA voice-alarm system on a pseudo-terminal: it links DIR/comN to\n"
        "its device, prints \"ready DEVICE\" and answers the probe, read and write requests over its\n"
        "2048-byte memory until SIGINT or SIGTERM.",
        "A request left half-received is dropped when the line has been idle for a packet's time, or when\n"
        "the editor clears its input (as it does on opening the port and before each transfer).");
    constexpr uint64_t Unlimited = std::numeric_limits<uint64_t>::max();
    // A number option whose value goes to its place through set.
    const auto number = [&app](const std::string& name, const std::string& shown, const CLI::Validator& rule,
                               std::function<void(uint64_t)> set, const std::string& help) {
        return Value(app.add_option_function<uint64_t>(
                         name, [set](const uint64_t& value) { set(value); }, help),
                     shown, rule);
    };
    Value(app.add_option("--ports", o.PortsDir,
                         "the ports folder (VAROKCONFIG_PORTS of the editor and varokconfig-cli)"),
          "DIR", FileName())
        ->required();
    number(
        "--com", "N", WholeNumber(10, 1, 255, "a port number from 1 to 255"),
        [&o](uint64_t n) { o.ComNumber = static_cast<int>(n); }, "serves as port N: DIR/comN")
        ->required();
    Value(app.add_option("--image", o.ImagePath,
                         "the memory at start (zero-filled to 2048 bytes); all zero without it"),
          "FILE.usr", FileName());
    Value(app.add_option("--save", o.SavePath, "writes the memory to FILE at the end"), "FILE.usr",
          FileName());
    app.add_flag("--pace", o.Pace, "every byte takes its time on the line at the speed the port is set to");
    app.add_flag("--version", o.Version, "prints the version and exits");
    app.add_flag("--help", o.Help, "prints this help and exits");

    TSimFaults& f = o.Faults;
    app.add_flag("--silent", f.Silent, "never answers")->group(Faults);
    number(
        "--probe-answer", "HH", WholeNumber(16, 0, 0xFF, "a hexadecimal byte"),
        [&f](uint64_t n) { f.ProbeAnswer = static_cast<uint8_t>(n); },
        "answers the probe with this byte instead of AA")
        ->group(Faults);
    number(
        "--probe-length", "N", WholeNumber(10, 1, 5, "a length from 1 to 5"),
        [&f](uint64_t n) { f.ProbeLength = static_cast<size_t>(n); },
        "sends only the first N bytes of its probe reply")
        ->group(Faults);
    number(
        "--split", "N", WholeNumber(10, 1, Unlimited, "a piece size of at least 1"),
        [&f](uint64_t n) { f.Split = static_cast<size_t>(n); },
        "sends each reply in pieces of N bytes, 5 ms apart")
        ->group(Faults);
    number(
        "--stuck-block", "ADDR",
        WholeNumber(16, 0, 0x07E0, "the hexadecimal address of a 32-byte block, 0000 to 07E0", 32),
        [&f](uint64_t n) { f.StuckBlock = static_cast<uint16_t>(n); }, "does not store writes to this block")
        ->group(Faults);
    const CLI::Validator address = WholeNumber(16, 0, 0xFFFF, "a hexadecimal address 0000 to FFFF");
    number(
        "--reply-address", "ADDR", address, [&f](uint64_t n) { f.ReplyAddress = static_cast<uint16_t>(n); },
        "names ADDR in its first block reply")
        ->group(Faults);
    number(
        "--fixed-reply-address", "ADDR", address,
        [&f](uint64_t n) { f.FixedReplyAddress = static_cast<uint16_t>(n); },
        "names ADDR in every block reply")
        ->group(Faults);
    number(
        "--stop-after", "N", WholeNumber(10, 0, Unlimited, "a count"), [&f](uint64_t n) { f.StopAfter = n; },
        "answers nothing after the N-th answer")
        ->group(Faults);
    app.add_flag("--bad-crc", f.BadCrc, "inverts the checksum of every reply")->group(Faults);
    number(
        "--hangup-after", "N", WholeNumber(10, 1, Unlimited, "a count of at least 1"),
        [&f](uint64_t n) { f.HangupAfter = n; },
        "closes its line after the N-th answer, as an unplugged adapter does")
        ->group(Faults);
    const CLI::Validator rate = RealNumber(0, true, 1, "a rate from 0 to 1");
    Value(app.add_option("--noise", f.Noise,
                         "a noisy line: each reply byte is corrupted or lost with this chance\n"
                         "(0 to 1), and as often per reply byte a stray byte comes before a reply"),
          "RATE", rate)
        ->group(Faults);
    Value(app.add_option("--request-noise", f.RequestNoise,
                         "each request byte is corrupted or lost with this chance on its way in"),
          "RATE", rate)
        ->group(Faults);
    app.add_flag("--bit-flips", f.BitFlips,
                 "the noise flips one bit of a byte: no byte is lost, none comes stray")
        ->group(Faults);
    number(
        "--seed", "N", WholeNumber(10, 0, Unlimited, "a number"), [&f](uint64_t n) { f.NoiseStart = n; },
        "where the noise starts: the same number gives the same noise")
        ->group(Faults);
}
} // namespace

std::optional<TSimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error) {
    TSimOptions options;
    // The version is asked for alone; the other options are needed only to serve.
    if (args == std::vector<std::string>{"--version"}) {
        options.Version = true;
        return options;
    }
    CLI::App app;
    DeclareSimOptions(app, options);
    bool help = false;
    error = ParseCommandLine(app, args, help);
    if (help) {
        TSimOptions asked;
        asked.Help = true;
        return asked;
    }
    if (error.empty() && options.Version)
        error = "--version takes no other arguments";
    if (!error.empty())
        return std::nullopt;
    return options;
}

std::string SimHelp() {
    TSimOptions options;
    CLI::App app;
    DeclareSimOptions(app, options);
    return app.help();
}

std::string SimUsage() {
    TSimOptions options;
    CLI::App app;
    DeclareSimOptions(app, options);
    return ShortUsage(app, "verda-sim");
}
