#include "LinkOptions.h"
#include "CommandLine.h"
#include "link/LineRates.h"
#include <CLI/CLI.hpp>

void DeclareLinkOptions(CLI::App& app, TLinkCommand command, TLinkOptions& options) {
    if (command == TLinkCommand::Write || command == TLinkCommand::Verify)
        Value(app.add_option("PROJECT.usr", options.Project), "", FileName());
    Value(app.add_option("--port", options.Port, "the port number (1 to 255)"), "N",
          WholeNumber(10, 1, 255, "a port number from 1 to 255"));
    if (command == TLinkCommand::Read)
        Value(app.add_option("-o", options.Output, "the file to write"), "OUT", FileName());
    if (command == TLinkCommand::Write) {
        Value(app.add_option("--backup", options.Backup,
                             "first reads the controller into FILE; if that read fails,\nnothing is written"),
              "FILE", FileName());
        app.add_flag("--no-readback", options.NoReadback,
                     "does not read every block back after the last one to compare it\nwith PROJECT");
    }
    const auto line = [](CLI::Option* option) { option->group(LineOptionsGroup); };
    line(Value(app.add_option_function<size_t>(
                   "--baud", [&options](const size_t& rate) { options.Baud = LineRates[rate]; },
                   "the rate: " + LineRates.front() + " ... " + LineRates.back() + " (9600)"),
               "N", Choice(LineRates)));
    line(Value(app.add_option("--parity", options.Parity, "none, odd, even, mark or space (none)"), "P",
               Choice({"none", "odd", "even", "mark", "space"})));
    line(Value(app.add_option("--data", options.Data, "data bits: 5, 6, 7 or 8 (8)"), "N",
               Choice({"5", "6", "7", "8"})));
    line(Value(app.add_option("--stop", options.Stop, "stop bits: 1, 1.5 or 2 (1)"), "N",
               Choice({"1", "1.5", "2"})));
    line(Value(app.add_option("--flow", options.Flow, "flow control: none, soft or hard (none)"), "F",
               Choice({"none", "soft", "hard"})));
    line(Value(app.add_option_function<double>(
                   "--timeout", [&options](const double& seconds) { options.TimeoutSeconds = seconds; },
                   "the longest wait for one reply (by default three times the reply's\n"
                   "line time at the chosen rate plus one second)"),
               "SECONDS", RealNumber(0, false, 3600, "a number of seconds above 0 and at most 3600")));
}

std::string MissingLinkOption(TLinkCommand command, const TLinkOptions& options) {
    if (command != TLinkCommand::Probe && options.Port == 0)
        return "--port is needed";
    if (command == TLinkCommand::Read && options.Output.empty())
        return "read needs -o OUT.usr";
    if (command == TLinkCommand::Write && options.Project.empty())
        return "write needs a project file";
    if (command == TLinkCommand::Verify && options.Project.empty())
        return "verify needs a project file";
    return "";
}
