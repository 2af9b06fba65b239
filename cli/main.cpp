// varokconfig-cli: the editor's core for batch use.
#include "Arguments.h"
#include "BatchUi.h"
#include "ExitStatus.h"
#include "LinkOptions.h"
#include "LinkSession.h"
#include "app/UnitMain.h"
#include <iostream>
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
        return ExitFile;
    main.ReportFileName = output;
    main.TBReportClick();
    return ui.Errors.empty() ? ExitDone : ExitFile;
}

// probe, read and write: the options, then the session.
int LinkCommand(TLinkCommand command, const std::vector<std::string>& args) {
    std::string error;
    const auto options = ParseLinkOptions(command, args, error);
    if (!options)
        return UsageError(error);
    TLinkSession session(*options, std::cout, std::cerr);
    if (command == TLinkCommand::Probe)
        return session.Probe();
    return command == TLinkCommand::Read ? session.Read() : session.Write();
}
} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args = CommandArguments(argc, argv);
    if (args.empty())
        return UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << Usage;
        return ExitDone;
    }
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "report")
        return Report(rest);
    if (args[0] == "probe")
        return LinkCommand(TLinkCommand::Probe, rest);
    if (args[0] == "read")
        return LinkCommand(TLinkCommand::Read, rest);
    if (args[0] == "write")
        return LinkCommand(TLinkCommand::Write, rest);
    return UsageError("unknown command: " + args[0]);
}
