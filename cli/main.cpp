// varokconfig-cli: the editor's core for batch use.
#include "Arguments.h"
#include "BatchUi.h"
#include "ConfigCommands.h"
#include "ExitStatus.h"
#include "LinkOptions.h"
#include "LinkSession.h"
#include "app/UnitMain.h"
#include "project/FileUtil.h"
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace {
const char* const Usage =
    "usage:\n"
    "  varokconfig-cli report PROJECT.usr [-o FILE]\n"
    "  varokconfig-cli probe  [--port N] [LINE] [--timeout SECONDS]\n"
    "  varokconfig-cli read   --port N [LINE] [--timeout SECONDS] -o OUT.usr\n"
    "  varokconfig-cli write  --port N [LINE] [--timeout SECONDS] [--backup FILE.usr] PROJECT.usr\n"
    "  varokconfig-cli show   PROJECT.usr [--json]\n"
    "  varokconfig-cli diff   A.usr B.usr [--json]\n"
    "  varokconfig-cli verify --port N [LINE] [--timeout SECONDS] PROJECT.usr\n"
    "\n"
    "LINE: --baud N (9600)  --parity none|odd|even|mark|space (none)  --data 5|6|7|8 (8)\n"
    "      --stop 1|1.5|2 (1)  --flow none|soft|hard (none)\n"
    "--timeout: the longest wait for one reply in seconds (2)\n"
    "\n"
    "report  writes the report of PROJECT (and its side file) to FILE, by default\n"
    "        VarokConfig.txt in the working directory\n"
    "probe   finds the controller (on port N, or searching ports 1 to 255)\n"
    "read    reads the controller's configuration into OUT.usr\n"
    "write   writes PROJECT.usr into the controller and compares every block; with --backup it\n"
    "        first reads the controller into FILE.usr and writes nothing if that fails\n"
    "show    prints the configuration of PROJECT by meaning (--json: as one JSON object)\n"
    "diff    prints the differences between A and B by meaning, then differing bytes\n"
    "verify  reads the controller and prints its differences from PROJECT like diff\n"
    "\n"
    "exit status: 0 done, 1 link failure, 2 usage or file error, 3 a written block compared\n"
    "differently, or diff / verify found a difference\n";

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

// write --backup: the controller read into the backup first, by a session of its own.
int Backup(const TLinkOptions& options) {
    // A backup over the project itself would write the controller's old configuration back.
    std::error_code ignored;
    if (options.Backup == options.Project ||
        std::filesystem::equivalent(options.Backup, options.Project, ignored))
        return UsageError("--backup must not name the project itself: " + options.Backup);
    std::string bytes, error;
    if (ReadFileBytes(options.Project, bytes, error, 0) != TReadStatus::Read) {
        std::cerr << (error.empty() ? "Не найден файл " + options.Project : error) << std::endl;
        return ExitFile;
    }
    TLinkOptions read = options;
    read.Output = options.Backup;
    return TLinkSession(read, std::cout, std::cerr).Read();
}

// probe, read, write and verify: the options, then the session.
int LinkCommand(TLinkCommand command, const std::vector<std::string>& args) {
    std::string error;
    const auto options = ParseLinkOptions(command, args, error);
    if (!options)
        return UsageError(error);
    if (command == TLinkCommand::Verify)
        return VerifyCommand(*options);
    if (!options->Backup.empty())
        if (const int status = Backup(*options); status != ExitDone)
            return status;
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
    if (args[0] == "verify")
        return LinkCommand(TLinkCommand::Verify, rest);
    if (args[0] == "show" || args[0] == "diff") {
        std::string error;
        const auto options = ParseConfigOptions(rest, args[0] == "show" ? 1 : 2, error);
        if (!options)
            return UsageError(error);
        return args[0] == "show" ? ShowCommand(*options) : DiffCommand(*options);
    }
    return UsageError("unknown command: " + args[0]);
}
