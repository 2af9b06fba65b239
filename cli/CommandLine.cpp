#include "CommandLine.h"
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {
// The help of one program or command: the usage line first, the options of each group aligned
// at column 25; no list of operands (the usage line and description name them).
class THelpFormatter : public CLI::Formatter {
public:
    explicit THelpFormatter(std::string usage) : Usage(std::move(usage)) { column_width(25); }

    // The usage line, the description, then the groups and the footer, a blank line before each.
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
        return make_usage(app, "") + make_description(app) + "\n" + make_groups(app, mode) + "\n" +
               make_footer(app);
    }
    std::string make_usage(const CLI::App*, std::string) const override { return "Usage: " + Usage + "\n"; }
    // The library puts the blank line between groups itself: a heading needs none of its own.
    std::string make_group(std::string group, bool positional,
                           std::vector<const CLI::Option*> options) const override {
        std::string text = group + ":\n";
        for (const CLI::Option* option : options)
            text += make_option(option, positional);
        return text;
    }

private:
    std::string Usage;
};

std::string Refused(const std::string& value, const std::string& what) {
    return (value.empty() ? std::string("an empty value") : value) + " is not " + what;
}
} // namespace

void PrepareCommandLine(CLI::App& app, const std::string& usage, const std::string& description,
                        const std::string& footer) {
    app.description(description);
    app.footer(footer);
    app.formatter(std::make_shared<THelpFormatter>(usage));
    app.set_help_flag();
    // Whatever is left over is named by ParseCommandLine, in the programs' words.
    app.allow_extras();
    // A flag is given or not: --json=false is no way to leave it out.
    app.option_defaults()->disable_flag_override();
}

std::string HelpGroup(const CLI::App& app, const std::string& group) {
    return THelpFormatter("").make_group(group, false, app.get_options([&group](const CLI::Option* option) {
        return option->get_group() == group && option->nonpositional();
    }));
}

std::string ShortUsage(const CLI::App& app, const std::string& program) {
    const std::string first = "usage: " + program;
    std::string text, line = first;
    for (const CLI::Option* option : app.get_options()) {
        const std::string name = option->get_name();
        if (option->get_positional() || name == "--help" || name == "--version")
            continue;
        std::string word = name + (option->get_option_text().empty() ? "" : " " + option->get_option_text());
        if (!option->get_required())
            word = "[" + word + "]";
        if (line.size() + 1 + word.size() > 100 && line.size() > first.size()) {
            text += line + "\n";
            line = std::string(first.size(), ' ');
        }
        line += " " + word;
    }
    return text + line + "\n";
}

CLI::Option* Value(CLI::Option* option, const std::string& shown, const CLI::Validator& rule) {
    return option->option_text(shown)->type_name(rule.get_name())->transform(rule);
}

CLI::Validator FileName() {
    return CLI::Validator(
        [](std::string& value) { return value.empty() ? std::string("an empty file name") : std::string(); },
        "", "a file name");
}

CLI::Validator WholeNumber(int base, uint64_t least, uint64_t most, const std::string& what, uint64_t step) {
    return CLI::Validator(
        [=](std::string& value) {
            std::string digits = value;
            if (base == 16 && digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
                digits.erase(0, 2);
            uint64_t number = 0;
            const char* const end = digits.data() + digits.size();
            const auto [stop, code] = std::from_chars(digits.data(), end, number, base);
            if (digits.empty() || code != std::errc() || stop != end || number < least || number > most ||
                number % step != 0)
                return Refused(value, what);
            // The library would read a leading 0 as octal: it gets the number in plain decimal.
            value = std::to_string(number);
            return std::string();
        },
        "", what);
}

CLI::Validator RealNumber(double least, bool leastIncluded, double most, const std::string& what) {
    return CLI::Validator(
        [=](std::string& value) {
            char* end = nullptr;
            errno = 0;
            const double number = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(number) || number < least ||
                (number == least && !leastIncluded) || number > most)
                return Refused(value, what);
            return std::string();
        },
        "", what);
}

CLI::Validator Choice(const std::vector<std::string>& words) {
    std::string what = "one of ";
    for (size_t k = 0; k < words.size(); ++k)
        what += (k == 0 ? "" : ", ") + words[k];
    return CLI::Validator(
        [words, what](std::string& value) {
            const auto found = std::find(words.begin(), words.end(), value);
            if (found == words.end())
                return Refused(value, what);
            value = std::to_string(found - words.begin());
            return std::string();
        },
        "", what);
}

std::string ParseCommandLine(CLI::App& app, const std::vector<std::string>& args, bool& help) {
    const auto operands = std::find(args.begin(), args.end(), "--");
    help = std::any_of(args.begin(), operands,
                       [](const std::string& arg) { return arg == "-h" || arg == "--help"; });
    if (help)
        return "";
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    std::string problem;
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& error) {
        problem = error.what();
        // A value missing at the end, or one given to a flag: the library's words name what it
        // found (a type it lacks one of, the flag's bare name), ours what the option takes.
        for (const CLI::Option* option : app.get_options()) {
            const std::string name = option->get_name();
            if (option->get_expected_min() > 0 &&
                problem == CLI::ArgumentMismatch::TypedAtLeast(name, 1, option->get_type_name()).what())
                problem = name + " needs " + option->get_type_name();
            if (option->get_expected_max() == 0 &&
                problem ==
                    CLI::ArgumentMismatch::FlagOverride(name.substr(name.find_first_not_of('-'))).what())
                problem = name + " takes no value";
        }
    }
    // Given twice is a fault whatever else is: the library may have checked the first value only.
    for (const CLI::Option* option : app.get_options())
        if (option->count() > 1)
            return option->get_name() + " given twice";
    if (!problem.empty())
        return problem;
    // What is left: unknown options, and operands no declaration took. The library keeps the "--"
    // that ended the options among them; anything after it is an operand, whatever it looks like.
    const std::vector<std::string> left = app.remaining();
    const auto mark = operands == args.end() ? left.end() : std::find(left.begin(), left.end(), "--");
    for (auto at = left.begin(); at != left.end(); ++at)
        if (at != mark)
            return (at < mark && at->size() > 1 && (*at)[0] == '-' ? "unknown option: "
                                                                   : "unexpected argument: ") +
                   *at;
    return "";
}
