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
};

inline constexpr const char* SimUsage =
    "usage: verda-sim --ports DIR --com N [--image FILE.usr] [--save FILE.usr] [--pace]\n"
    "                 [--silent] [--probe-answer HH] [--split N] [--stuck-block ADDR]\n"
    "                 [--reply-address ADDR] [--fixed-reply-address ADDR] [--probe-length N]\n"
    "                 [--stop-after N] [--bad-crc] [--hangup-after N] [--noise RATE]\n"
    "                 [--request-noise RATE] [--seed N]\n";

// Parses the arguments after the program name; on a usage error returns nothing and sets error.
std::optional<TSimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error);
