// varokconfig-cli: the editor's core for batch use.
#include "BatchUi.h"
#include "LinkOptions.h"
#include "LinkSession.h"
#include "app/UnitMain.h"
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {
const char* const Usage =
    "usage:\n"
    "  varokconfig-cli report PROJECT.usr [-o FILE]\n"
    "  varokconfig-cli probe  [--port N] [LINE] [--timeout SECONDS]\n"
    "  varokconfig-cli read   --port N [LINE] [--timeout SECONDS] -o OUT.usr\n"
    "  varokconfig-cli write  --port N [LINE] [--timeout SECONDS] PROJECT.usr\n"
    "\n"
    "LINE: --baud N (9600)  --parity none|odd|even|mark|space (none)  --data 5|6|7|8 (8)\n"
    "      --stop 1|1.5|2 (1)  --flow none|soft|hard (none)\n"
    "--timeout: the longest wait for one reply in seconds (2)\n"
    "\n"
    "report  writes the report of PROJECT (and its side file) to FILE, by default\n"
    "        VarokConfig.txt in the working directory\n"
    "probe   finds the controller (on port N, or searching ports 1 to 255)\n"
    "read    reads the controller's configuration into OUT.usr\n"
    "write   writes PROJECT.usr into the controller and compares every block\n"
    "\n"
    "exit status: 0 done, 1 link failure, 2 usage or file error, 3 a written block compared differently\n";

constexpr int ExitUsage = 2;

int UsageError(const std::string& text) {
    std::cerr << "varokconfig-cli: " << text << "\n\n" << Usage;
    return ExitUsage;
}

int Report(const std::vector<std::string>& args) {
    std::string project, output = "VarokConfig.txt";
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size())
            output = args[++i];
        else if (project.empty() && !args[i].empty() && args[i][0] != '-')
            project = args[i];
        else
            return UsageError("unexpected argument: " + args[i]);
    }
    if (project.empty())
        return UsageError("report needs a project file");
    TBatchUi ui(std::cerr);
    TMain main(ui, "");
    ui.FileNames.push_back(project);
    main.TBOpenClick();
    if (!ui.Errors.empty())
        return ExitUsage;
    main.ReportFileName = output;
    main.TBReportClick();
    return ui.Errors.empty() ? 0 : ExitUsage;
}

// probe, read and write: the options, then the session.
std::function<int(const std::vector<std::string>&)> LinkCommand(TLinkCommand command,
                                                                int (TLinkSession::*run)()) {
    return [command, run](const std::vector<std::string>& args) {
        std::string error;
        const auto options = ParseLinkOptions(command, args, error);
        if (!options)
            return UsageError(error);
        TLinkSession session(*options, std::cout, std::cerr);
        return (session.*run)();
    };
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << Usage;
        return 0;
    }
    const std::map<std::string, std::function<int(const std::vector<std::string>&)>> commands = {
        {"report", Report},
        {"probe", LinkCommand(TLinkCommand::Probe, &TLinkSession::Probe)},
        {"read", LinkCommand(TLinkCommand::Read, &TLinkSession::Read)},
        {"write", LinkCommand(TLinkCommand::Write, &TLinkSession::Write)},
    };
    auto command = commands.find(args[0]);
    if (command == commands.end())
        return UsageError("unknown command: " + args[0]);
    return command->second(std::vector<std::string>(args.begin() + 1, args.end()));
}
