#include "SimOptions.h"
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {
const std::string ValueOptions[] = {"--ports",        "--com",           "--image",
                                    "--save",         "--probe-answer",  "--split",
                                    "--stuck-block",  "--reply-address", "--fixed-reply-address",
                                    "--probe-length", "--stop-after",    "--hangup-after",
                                    "--noise",        "--request-noise", "--seed"};

// Parses the whole text as a number in [min, max]; hexadecimal may carry 0x.
std::optional<uint64_t> ParseNumber(std::string text, int base, uint64_t min, uint64_t max) {
    if (base == 16 && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<TSimOptions> ParseSimOptions(const std::vector<std::string>& args, std::string& error) {
    TSimOptions options;
    constexpr uint64_t Unlimited = std::numeric_limits<uint64_t>::max();
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--pace") {
            options.Pace = true;
            continue;
        }
        if (name == "--silent") {
            options.Faults.Silent = true;
            continue;
        }
        if (name == "--bad-crc") {
            options.Faults.BadCrc = true;
            continue;
        }
        if (name == "--bit-flips") {
            options.Faults.BitFlips = true;
            continue;
        }
        if (std::find(std::begin(ValueOptions), std::end(ValueOptions), name) == std::end(ValueOptions)) {
            error = name.rfind("--", 0) == 0 ? "unknown option " + name : "unexpected argument " + name;
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        // Each option with a value: its parser, or a message naming what it accepts.
        auto number = [&](int base, uint64_t min, uint64_t max, const char* what) {
            auto parsed = ParseNumber(value, base, min, max);
            if (!parsed)
                error = name + " " + value + ": expected " + what;
            return parsed;
        };
        std::optional<uint64_t> parsed;
        if (name == "--ports") {
            options.PortsDir = value;
            continue;
        }
        if (name == "--image") {
            options.ImagePath = value;
            continue;
        }
        if (name == "--save") {
            options.SavePath = value;
            continue;
        }
        if (name == "--noise" || name == "--request-noise") {
            char* end = nullptr;
            const double rate = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !std::isfinite(rate) || rate < 0 || rate > 1) {
                error = name + " " + value + ": expected a rate from 0 to 1";
                return std::nullopt;
            }
            (name == "--noise" ? options.Faults.Noise : options.Faults.RequestNoise) = rate;
            continue;
        }
        if (name == "--com") {
            if (!(parsed = number(10, 1, 255, "a port number 1 to 255")))
                return std::nullopt;
            options.ComNumber = static_cast<int>(*parsed);
        } else if (name == "--probe-answer") {
            if (!(parsed = number(16, 0, 0xFF, "a hexadecimal byte")))
                return std::nullopt;
            options.Faults.ProbeAnswer = static_cast<uint8_t>(*parsed);
        } else if (name == "--split") {
            if (!(parsed = number(10, 1, Unlimited, "a piece size of at least 1")))
                return std::nullopt;
            options.Faults.Split = static_cast<size_t>(*parsed);
        } else if (name == "--stuck-block") {
            if (!(parsed = number(16, 0, 0x07E0, "a hexadecimal block address 0000 to 07E0")))
                return std::nullopt;
            if (*parsed % 32 != 0) {
                error = name + " " + value + ": not the address of a 32-byte block";
                return std::nullopt;
            }
            options.Faults.StuckBlock = static_cast<uint16_t>(*parsed);
        } else if (name == "--reply-address" || name == "--fixed-reply-address") {
            if (!(parsed = number(16, 0, 0xFFFF, "a hexadecimal address 0000 to FFFF")))
                return std::nullopt;
            (name == "--reply-address" ? options.Faults.ReplyAddress : options.Faults.FixedReplyAddress) =
                static_cast<uint16_t>(*parsed);
        } else if (name == "--probe-length") {
            if (!(parsed = number(10, 1, 5, "a length 1 to 5")))
                return std::nullopt;
            options.Faults.ProbeLength = static_cast<size_t>(*parsed);
        } else if (name == "--stop-after") {
            if (!(parsed = number(10, 0, Unlimited, "a count")))
                return std::nullopt;
            options.Faults.StopAfter = *parsed;
        } else if (name == "--seed") {
            if (!(parsed = number(10, 0, Unlimited, "a number")))
                return std::nullopt;
            options.Faults.NoiseStart = *parsed;
        } else { // --hangup-after
            if (!(parsed = number(10, 1, Unlimited, "a count of at least 1")))
                return std::nullopt;
            options.Faults.HangupAfter = *parsed;
        }
    }
    if (options.PortsDir.empty() || options.ComNumber == 0) {
        error = "--ports and --com are required";
        return std::nullopt;
    }
    return options;
}
