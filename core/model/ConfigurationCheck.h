#pragma once
#include <string>
#include <vector>

struct TConfiguration;

// One thing the configuration check finds: how bad it is, where it is, and what it says in
// the editor (Russian) and on the command line (English).
struct TFinding {
    // An error: the controller would act on something impossible or unreachable. A note:
    // something unusual that the controller does not act on (message lengths live in the
    // side file only).
    enum class TSeverity { Error, Note };
    enum class TPlace { Composition, Stage, Length };

    TSeverity Severity = TSeverity::Error;
    TPlace Place = TPlace::Composition;
    int Input = 0;   // 0 … 7, for a stage
    int Stage = 0;   // 0 … 7, for a stage
    int Message = 0; // 1 … 72, for a message length
    std::string Russian;
    std::string English;

    bool IsError() const { return Severity == TSeverity::Error; }
    // "composition", "IN 1 stage 2", "message length 5"
    std::string EnglishPlace() const;
    // "Состав системы", "IN 1, этап 2", "Длительность сообщения 5"
    std::string RussianPlace() const;
    std::string EnglishText() const { return EnglishPlace() + ": " + English; }
    std::string RussianText() const { return RussianPlace() + ": " + Russian; }
};

// What is wrong or unusual in a decoded configuration: the composition, then the message
// lengths, then every input's switched-on stages in order. Content the editor's rules would
// not produce, bits of hardware that is not fitted and stages the controller never reaches
// are errors; message lengths that are no whole number, and stages whose message has no
// length (none above 0, or no side file at all), are notes.
std::vector<TFinding> CheckConfiguration(const TConfiguration& config);
