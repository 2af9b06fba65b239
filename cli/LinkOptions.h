#pragma once
#include <optional>
#include <string>

namespace CLI {
class App;
}

// The options of the link commands (probe, read, write, verify), as the connection dialog's choices:
// the indexes are those of its choice boxes and radio groups.
struct TLinkOptions {
    int Port = 0; // 0: search ports 1 … 255
    std::string Baud = "9600";
    int Parity = 0; // None, Odd, Even, Mark, Space
    int Data = 3;   // 5, 6, 7, 8 bits
    int Stop = 0;   // 1, 1.5, 2
    int Flow = 0;   // None, Soft, Hard
    // The longest wait for one reply; nothing: three times its line time plus a second.
    std::optional<double> TimeoutSeconds;
    std::string Output;
    std::string Project;
    std::string Backup;      // write: the controller's configuration saved here first
    bool NoReadback = false; // write: the blocks are not read back and compared afterwards
};

enum class TLinkCommand { Probe, Read, Write, Verify };

// The heading of the line options (LINE) in the help.
inline constexpr const char* LineOptionsGroup = "Line options (LINE)";

// Declares the options and operand of the command on app, each bound to its place in options.
void DeclareLinkOptions(CLI::App& app, TLinkCommand command, TLinkOptions& options);
// What parsed options still lack for the command ("--port is needed"); empty when nothing.
std::string MissingLinkOption(TLinkCommand command, const TLinkOptions& options);
