#pragma once
#include "SimFaults.h"
#include <optional>
#include <string>
#include <vector>

// The command line of verda-sim.
struct TSimOptions {
    std::string PortsDir;
    int ComNumber = 0;
    std::string ImagePath;
    std::string SavePath;
    bool Pace = false;
    TSimFaults Faults;
    // --help or --version was asked for: nothing else is set.
    bool Help = false;
    bool Version = false;
};

// Parses the arguments after the program name; on a usage error returns nothing and sets error.
std::optional<TSimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error);

// The help (--help), and the short usage printed after a usage error, both from the options the
// parser takes.
std::string SimHelp();
std::string SimUsage();
