#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
class Validator;
} // namespace CLI

// The command lines of varokconfig-cli and verda-sim, declared once with CLI11 for parsing and
// help alike. The help reads as help2man expects it for the manual pages: the usage line, the
// description, the options by group aligned in one column, then the footer.

// Readies app for one program or command. -h and --help are not options: see ParseCommandLine.
void PrepareCommandLine(CLI::App& app, const std::string& usage, const std::string& description,
                        const std::string& footer);

// The options of one group as the help lists them ("Line options (LINE):\n  --baud N ...\n").
std::string HelpGroup(const CLI::App& app, const std::string& group);

// "usage: PROGRAM --ports DIR [--image FILE.usr] ..." from the declarations, at most 100 columns wide.
std::string ShortUsage(const CLI::App& app, const std::string& program);

// Gives option its value: `shown` names it in the help ("--port N"), rule checks it and turns it
// into what the option's variable takes. The rule's name says what the value must be; it names
// the value a missing one ("--port needs a port number from 1 to 255").
CLI::Option* Value(CLI::Option* option, const std::string& shown, const CLI::Validator& rule);

// Rules for Value. Each refuses a value with "VALUE is not WHAT".
// A file name: anything but empty.
CLI::Validator FileName();
// A whole number from least to most, a multiple of step, in decimal or (base 16) hexadecimal with
// or without 0x; it becomes decimal.
CLI::Validator WholeNumber(int base, uint64_t least, uint64_t most, const std::string& what,
                           uint64_t step = 1);
// A number above least (or from least, when included) and at most most.
CLI::Validator RealNumber(double least, bool leastIncluded, double most, const std::string& what);
// One of the words; it becomes its index.
CLI::Validator Choice(const std::vector<std::string>& words);

// Parses args (those after the program or command name) by app's declarations. Returns the usage
// error in the programs' words ("--port given twice", "-o needs a file name", "unknown option: --x",
// "unexpected argument: x", "--port: 0 is not a port number from 1 to 255"), or "" when they parsed.
// When -h or --help comes before any "--", sets help and parses nothing.
std::string ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, bool& help);
