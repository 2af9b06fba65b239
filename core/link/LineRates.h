#pragma once
#include <string>
#include <vector>

// The line rates the connection dialog offers and the command line accepts, slowest first; the
// port keeps its rate for any other number typed into the dialog.
inline const std::vector<std::string> LineRates{"110",   "300",   "600",    "1200",   "2400",
                                                "4800",  "9600",  "14400",  "19200",  "38400",
                                                "56000", "57600", "115200", "128000", "256000"};
