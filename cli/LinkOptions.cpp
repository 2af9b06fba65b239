#include "LinkOptions.h"
#include "link/LineRates.h"
#include "model/WholeNumber.h"
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {
// The index of text in choices, or -1.
int IndexOf(const std::vector<std::string>& choices, const std::string& text) {
    const auto found = std::find(choices.begin(), choices.end(), text);
    return found == choices.end() ? -1 : static_cast<int>(found - choices.begin());
}

// Plain digits only, at most nine of them (leading zeros count): no sign, no spaces.
bool WholeNumber(const std::string& text, int64_t low, int64_t high, int64_t& value) {
    if (text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9)
        return false;
    return ParseWholeNumber(text, value) && value >= low && value <= high;
}
} // namespace

std::optional<TLinkOptions> ParseLinkOptions(TLinkCommand command, const std::vector<std::string>& args,
                                             std::string& error) {
    static const std::vector<std::string> parities{"none", "odd", "even", "mark", "space"};
    static const std::vector<std::string> widths{"5", "6", "7", "8"};
    static const std::vector<std::string> stops{"1", "1.5", "2"};
    static const std::vector<std::string> flows{"none", "soft", "hard"};

    TLinkOptions options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        const bool isOption = name.rfind("-", 0) == 0 && name.size() > 1;
        if (!isOption) {
            const bool takesProject = command == TLinkCommand::Write || command == TLinkCommand::Verify;
            if (!takesProject || !options.Project.empty()) {
                error = "unexpected argument: " + name;
                return std::nullopt;
            }
            options.Project = name;
            continue;
        }
        if (name == "--no-readback" && command == TLinkCommand::Write) {
            options.NoReadback = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            error = name + " needs a value";
            return std::nullopt;
        }
        const std::string& value = args[++i];
        auto choose = [&](const std::vector<std::string>& choices, int& index) {
            index = IndexOf(choices, value);
            if (index < 0)
                error = "bad value for " + name + ": " + value;
            return index >= 0;
        };
        int64_t number = 0;
        if (name == "--port") {
            if (!WholeNumber(value, 1, 255, number)) {
                error = "--port takes a number from 1 to 255: " + value;
                return std::nullopt;
            }
            options.Port = static_cast<int>(number);
        } else if (name == "--baud") {
            if (IndexOf(LineRates, value) < 0) {
                error = "unsupported --baud: " + value;
                return std::nullopt;
            }
            options.Baud = value;
        } else if (name == "--parity") {
            if (!choose(parities, options.Parity))
                return std::nullopt;
        } else if (name == "--data") {
            if (!choose(widths, options.Data))
                return std::nullopt;
        } else if (name == "--stop") {
            if (!choose(stops, options.Stop))
                return std::nullopt;
        } else if (name == "--flow") {
            if (!choose(flows, options.Flow))
                return std::nullopt;
        } else if (name == "--timeout") {
            char* end = nullptr;
            errno = 0;
            const double seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(seconds) || seconds <= 0 ||
                seconds > 3600) {
                error = "--timeout takes seconds above 0 (at most 3600): " + value;
                return std::nullopt;
            }
            options.TimeoutSeconds = seconds;
        } else if (name == "-o" && command == TLinkCommand::Read) {
            options.Output = value;
        } else if (name == "--backup" && command == TLinkCommand::Write) {
            options.Backup = value;
        } else {
            error = "unknown option: " + name;
            return std::nullopt;
        }
    }
    if (command != TLinkCommand::Probe && options.Port == 0) {
        error = "--port is needed";
        return std::nullopt;
    }
    if (command == TLinkCommand::Read && options.Output.empty()) {
        error = "read needs -o OUT.usr";
        return std::nullopt;
    }
    if (command == TLinkCommand::Write && options.Project.empty()) {
        error = "write needs a project file";
        return std::nullopt;
    }
    if (command == TLinkCommand::Verify && options.Project.empty()) {
        error = "verify needs a project file";
        return std::nullopt;
    }
    return options;
}
