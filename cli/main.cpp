// varokconfig-cli: the editor's core for batch use.
#include "Arguments.h"
#include "BatchUi.h"
#include "BuildCommand.h"
#include "CommandLine.h"
#include "ConfigCommands.h"
#include "EscapingBuffer.h"
#include "ExitStatus.h"
#include "FileErrors.h"
#include "LinkOptions.h"
#include "LinkSession.h"
#include "app/ReportCommand.h"
#include "base/StandardStreams.h"
#include "base/Version.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include "project/StagedFile.h"
#include "report/HtmlReport.h"
#include "report/ProjectReport.h"
#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {
using TArgs = std::vector<std::string>;

const char* const ExitHelp =
    "Exit status:\n"
    "  0  done\n"
    "  1  link failure\n"
    "  2  usage or file error\n"
    "  3  a written block compared differently, diff / verify found a difference, or check\n"
    "     found notes only\n"
    "  4  check found at least one error";

// What runs a command once its command line parsed. It returns the exit status; on a usage error
// it returns ExitUsage and sets usageError, and the caller adds the hint to the command's help.
using TRunner = std::function<int(std::string& usageError)>;

struct TCommand {
    const char* Name;
    const char* Synopsis;    // the arguments after the name
    const char* Summary;     // for the overview, aligned under the name
    const char* Description; // the command's own help, after its synopsis and before its options
    // Declares the command's options and operands on app, bound to what the runner takes.
    TRunner (*Declare)(CLI::App& app);
};

struct TReportOptions {
    std::string Project, Output;
    bool Html = false;
};

int Report(const TReportOptions& options, std::string& usageError) {
    if (options.Project.empty()) {
        usageError = "report needs a project file";
        return ExitUsage;
    }
    const std::string& project = options.Project;
    const bool html = options.Html;
    const std::string output = !options.Output.empty() ? options.Output
                               : html                  ? "VarokConfig.html"
                                                       : "VarokConfig.txt";
    usageError = OutputIsAnInput(output, {project});
    if (!usageError.empty())
        return ExitUsage;
    // As the editor opens the project and writes its report, without the editor's window.
    ProjectFile::TProject loaded;
    if (const TFileResult opened = ProjectFile::Load(project, loaded); !opened) {
        std::cerr << opened.Explained("Не удалось открыть файл " + project) << std::endl;
        return ExitFile;
    }
    if (const std::string note = ProjectFile::SizeNote(project, loaded.Size); !note.empty())
        std::cerr << note << std::endl;
    if (loaded.Side.State == ProjectFile::TSide::TState::Unusable)
        std::cerr << loaded.Side.Problem.Message() << "; the message lengths are taken as 0" << std::endl;
    // The stage times and totals come from the side file's lengths: without it they are no times.
    if (loaded.Side.State == ProjectFile::TSide::TState::Missing)
        std::cerr << "no side file " << ProjectFile::SideFileName(project)
                  << ": the message lengths are taken as 0, so stage times and totals are not real times"
                  << std::endl;
    TReportFacts facts = ProjectReportFacts(loaded.Image, loaded.Side.Lengths);
    facts.ProjectName = TReportCommand::ProjectName(project);
    facts.MadeAt = TReportCommand::MadeAt();
    const std::string bytes = html ? THtmlReport::Render(facts) : TReport::Render(TReport::Lines(facts));
    if (const TFileResult written = WriteFileAtomically(output, bytes); !written) {
        // Standard output is no file to create: its own message says what failed.
        std::cerr << (output == "-" ? written.Message() : written.Explained("Cannot create file " + output))
                  << std::endl;
        return ExitFile;
    }
    return ExitDone;
}

// write --backup: the controller read into the backup first, by a session of its own.
int Backup(const TLinkOptions& options, std::string& usageError) {
    // A backup over the project itself would write the controller's old configuration back.
    if (const std::string clash = OutputIsAnInput(options.Backup, {options.Project}); !clash.empty()) {
        usageError = "--backup: " + clash;
        return ExitUsage;
    }
    std::string bytes;
    if (const TFileResult read = ReadFileBytes(options.Project, bytes, 0); !read) {
        std::cerr << FileError(read) << std::endl;
        return ExitFile;
    }
    TLinkOptions read = options;
    read.Output = options.Backup;
    return TLinkSession(read, std::cerr).Read();
}

// probe, read, write and verify: the session, once the options are complete.
int LinkCommand(TLinkCommand command, const TLinkOptions& options, std::string& usageError) {
    usageError = MissingLinkOption(command, options);
    if (!usageError.empty())
        return ExitUsage;
    if (command == TLinkCommand::Verify)
        return VerifyCommand(options);
    if (!options.Backup.empty())
        if (const int status = Backup(options, usageError); status != ExitDone)
            return status;
    TLinkSession session(options, std::cerr);
    if (command == TLinkCommand::Probe)
        return session.Probe();
    return command == TLinkCommand::Read ? session.Read() : session.Write();
}

template <TLinkCommand Command> TRunner DeclareLink(CLI::App& app) {
    const auto options = std::make_shared<TLinkOptions>();
    DeclareLinkOptions(app, Command, *options);
    return [options](std::string& usageError) { return LinkCommand(Command, *options, usageError); };
}

TRunner DeclareReport(CLI::App& app) {
    const auto options = std::make_shared<TReportOptions>();
    Value(app.add_option("PROJECT.usr", options->Project), "", FileName());
    Value(app.add_option("-o", options->Output,
                         "the report's file, by default VarokConfig.txt in the working\n"
                         "directory (VarokConfig.html with --html); -o - writes it to\n"
                         "standard output"),
          "FILE", FileName());
    app.add_flag("--html", options->Html,
                 "the printable report instead: one HTML page for A4 with each\ninput's timeline");
    return [options](std::string& usageError) { return Report(*options, usageError); };
}

// show, check (one project) and diff (two), each with --json.
template <int Files>
TRunner DeclareConfig(CLI::App& app, const char* json, int (*command)(const TConfigOptions&),
                      const char* needs) {
    const auto options = std::make_shared<TConfigOptions>();
    options->Files.resize(Files);
    for (int k = 0; k < Files; ++k)
        Value(app.add_option(Files == 1 ? "PROJECT.usr"
                             : k == 0   ? "A.usr"
                                        : "B.usr",
                             options->Files[k]),
              "", FileName());
    app.add_flag("--json", options->Json, json);
    return [options, command, needs](std::string& usageError) {
        for (const std::string& file : options->Files)
            if (file.empty()) {
                usageError = needs;
                return ExitUsage;
            }
        return command(*options);
    };
}

TRunner DeclareBuild(CLI::App& app) {
    const auto files = std::make_shared<std::pair<std::string, std::string>>();
    Value(app.add_option("CONFIG.json", files->first), "", FileName());
    Value(app.add_option("-o", files->second, "the project file to write; its side file goes beside it"),
          "PROJECT", FileName());
    return [files](std::string& usageError) { return BuildCommand(files->first, files->second, usageError); };
}

const TCommand Commands[] = {
    {"report", "PROJECT.usr [--html] [-o FILE|-]", "writes the report of PROJECT (and its side file) to FILE",
     "Opens PROJECT as the editor's Open does (the image and its side file PROJECT.ini) and writes\n"
     "the report exactly as the editor's Report command does (Windows-1251, CRLF).",
     DeclareReport},
    {"probe", "[--port N] [LINE] [--timeout SECONDS]",
     "finds the controller (on port N, or on ports 1 to 255)",
     "Probes port N, or without --port every port from 1 to 255 that exists, in order; a controller\n"
     "that answers is named on standard error (\"Подключено на COM 3\").",
     DeclareLink<TLinkCommand::Probe>},
    {"read", "--port N [LINE] [--timeout SECONDS] -o OUT.usr",
     "reads the controller's configuration into OUT.usr",
     "Probes port N, reads the controller's whole configuration block by block and writes the 2048\n"
     "bytes as received to OUT.usr. A read that did not move every block writes no file.",
     DeclareLink<TLinkCommand::Read>},
    {"write", "--port N [LINE] [--timeout SECONDS] [--backup FILE.usr] PROJECT.usr",
     "writes PROJECT.usr into the controller and compares every block",
     "Probes port N and writes the 2048 bytes of PROJECT.usr as they are in the file (a shorter file\n"
     "zero-filled) block by block, then reads every block back and compares it with the file; every\n"
     "block the controller reports back or holds differently is named.",
     DeclareLink<TLinkCommand::Write>},
    {"show", "PROJECT.usr [--json]", "prints the configuration of PROJECT by meaning",
     "Prints the configuration by meaning: composition, identity, message lengths from the side file,\n"
     "each input in use with its stages, zones, relays, stage times and total, the bytes the editor\n"
     "does not interpret, then warnings: what check finds in it.",
     [](CLI::App& app) {
         return DeclareConfig<1>(app, "the same as one JSON object, lossless", ShowCommand,
                                 "show needs one project file");
     }},
    {"diff", "A.usr B.usr [--json]", "prints the differences between A and B by meaning",
     "Prints the differences between two projects by meaning, one per line, then the differing bytes\n"
     "the editor does not interpret. Exit status 0 when they are equal, 3 when they differ.",
     [](CLI::App& app) {
         return DeclareConfig<2>(app, "the differences as one JSON object", DiffCommand,
                                 "diff needs two project files");
     }},
    {"verify", "--port N [LINE] [--timeout SECONDS] PROJECT.usr",
     "compares the controller with PROJECT like diff",
     "Reads the controller as read does and prints its differences from PROJECT as diff does\n"
     "(the project on the left). Exit status 0 when they are equal, 3 when they differ.",
     DeclareLink<TLinkCommand::Verify>},
    {"build", "CONFIG.json -o PROJECT.usr", "makes PROJECT.usr and its side file from show --json",
     "Makes the project (PROJECT.usr and its side file PROJECT.ini) from the JSON that show --json\n"
     "prints, byte for byte the project it came from. Keys left out take the values of an empty\n"
     "project. Invalid JSON, an unknown key or a value out of range is a usage error naming the key.\n"
     "What check finds in the project written is printed on standard error; the exit status stays 0.",
     DeclareBuild},
    {"check", "PROJECT.usr [--json]", "checks the configuration of PROJECT for errors and notes",
     "Prints what the configuration check finds in PROJECT (and its side file), one finding a line,\n"
     "errors before notes: \"error: IN 1 stage 2: no message\". An error is something the\n"
     "controller would act on that is impossible or unreachable (bits of hardware that is not\n"
     "fitted, a stage after one that never ends); a note is something unusual (a message length\n"
     "that is no whole number, a stage whose message has no length). Exit status 0 without\n"
     "findings, 3 with notes only, 4 with at least one error.",
     [](CLI::App& app) {
         return DeclareConfig<1>(app, "the findings as a JSON array", CheckCommand,
                                 "check needs one project file");
     }},
};

const TCommand* FindCommand(const std::string& name) {
    const auto found = std::find_if(std::begin(Commands), std::end(Commands),
                                    [&](const TCommand& c) { return name == c.Name; });
    return found == std::end(Commands) ? nullptr : found;
}

std::string Synopsis(const TCommand& command) {
    return std::string("varokconfig-cli ") + command.Name + " " + command.Synopsis;
}

// One command's declarations and what runs it.
struct TCommandLine {
    CLI::App App;
    TRunner Run;
};

std::unique_ptr<TCommandLine> CommandLine(const TCommand& command) {
    auto line = std::make_unique<TCommandLine>();
    PrepareCommandLine(line->App, Synopsis(command), command.Description, ExitHelp);
    line->Run = command.Declare(line->App);
    return line;
}

std::string OverviewHelp() {
    std::string text;
    for (const TCommand& command : Commands)
        text += (text.empty() ? "Usage: " : "  or:  ") + Synopsis(command) + "\n";
    text += "  or:  varokconfig-cli --version\n"
            "  or:  varokconfig-cli COMMAND --help\n"
            "The configuration editor of the VERDA voice-alarm controller for batch use: its reports,\n"
            "the controller's configuration read and written over a serial line, and projects by meaning.\n"
            "Standard output carries only what was asked for; messages and progress go to standard error.\n"
            "\n"
            "Commands:\n";
    for (const TCommand& command : Commands) {
        std::string name = command.Name;
        name.resize(23, ' ');
        text += "  " + name + command.Summary + "\n";
    }
    // The line options as the link commands declare them.
    text += "\n" + HelpGroup(CommandLine(*FindCommand("probe"))->App, LineOptionsGroup) + "\n" + ExitHelp +
            "\n"
            "\n"
            "Environment:\n"
            "  VAROKCONFIG_PORTS      a folder: port N is its entry comN and nothing else\n"
            "\n"
            "See 'varokconfig-cli COMMAND --help' for the options of one command.\n";
    return text;
}

// Help and version go to standard output; a failed write there is an error, not a success.
int PrintOut(const std::string& text) {
    const TFileResult written = WriteStandardOutput(text);
    if (written)
        return ExitDone;
    std::cerr << written.Message() << std::endl;
    return ExitFile;
}

int UsageError(const std::string& text, const std::string& helpCommand) {
    std::cerr << "varokconfig-cli: " << text << "\n"
              << "see 'varokconfig-cli " << helpCommand << (helpCommand.empty() ? "" : " ") << "--help'"
              << std::endl;
    return ExitUsage;
}

bool IsHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

int Run(const TArgs& args) {
    if (args.empty())
        return UsageError("no command given", "");
    if (args[0] == "--version")
        return args.size() == 1 ? PrintOut(VersionLine("varokconfig-cli") + "\n")
                                : UsageError("unexpected argument: " + args[1], "");
    if (IsHelp(args[0]) || args[0] == "help") {
        if (args.size() == 1)
            return PrintOut(OverviewHelp());
        const TCommand* command = FindCommand(args[1]);
        return command ? PrintOut(CommandLine(*command)->App.help())
                       : UsageError("unknown command: " + args[1], "");
    }
    const TCommand* command = FindCommand(args[0]);
    if (!command)
        return UsageError("unknown command: " + args[0], "");
    const std::unique_ptr<TCommandLine> line = CommandLine(*command);
    bool help = false;
    std::string usageError = ParseCommandLine(line->App, TArgs(args.begin() + 1, args.end()), help);
    if (help)
        return PrintOut(line->App.help());
    const int status = usageError.empty() ? line->Run(usageError) : ExitUsage;
    return usageError.empty() ? status : UsageError(usageError, command->Name);
}
} // namespace

int main(int argc, char** argv) {
    OpenStandardStreams();
    // What reaches the terminal from files and JSON cannot steer it.
    std::streambuf* const terminal = std::cerr.rdbuf();
    TEscapingBuffer errors(*terminal);
    std::cerr.rdbuf(&errors);
    RemoveTemporariesOnSignal();
    const int status = Run(CommandArguments(argc, argv));
    std::cerr.flush();
    std::cerr.rdbuf(terminal);
    return status;
}
