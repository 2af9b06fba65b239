#pragma once
#include "support/ChildProcess.h"
#include <string>
#include <vector>

// Starts verda-sim with these arguments and waits for its "ready DEVICE" line; returns the
// device it serves, or "" if it did not start or did not get ready in time.
inline std::string StartVerdaSim(TChildProcess& sim, std::vector<std::string> args) {
    args.insert(args.begin(), VAROK_BIN_DIR "/verda-sim");
    if (!sim.Start(args))
        return "";
    const std::string line = sim.ReadLine();
    return line.rfind("ready ", 0) == 0 ? line.substr(6) : "";
}
