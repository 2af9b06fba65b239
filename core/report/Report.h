#pragma once
#include "model/ConfigImage.h"
#include "model/ConfigurationCheck.h"
#include "model/Timeline.h"
#include <array>
#include <string>
#include <utility>
#include <vector>

// One activation input in use, as the report prints it.
struct TReportInput {
    int Input = 0; // 0 … 7
    std::array<bool, 8> StageOn{};
    // The texts the stage controls show, by stage.
    std::array<std::string, 8> Message, Repeats, Pause;
    // The stage times and the total as the editor shows them, and which times are unknown.
    std::array<std::string, 8> Time;
    std::array<bool, 8> TimeUnknown{};
    std::string Total;
    // Zone cells by zone, then stage: ' ' not available, '+' the zone hears the stage, '-' not.
    int ZoneRows = 0; // 0, 4 or 8
    std::array<std::array<char, 8>, 8> Zones{};
    // Relay cells by module, then stage: empty when not available, else the K1 and K2 marks.
    int ModuleRows = 0;
    std::array<std::array<std::string, 8>, 8> Relays{};
    TTimeline Timeline;
};

// Everything the report says, read once from the configuration and its plan; the text and the
// HTML report are both written from it.
struct TReportFacts {
    std::string CompositionHeading, AlgorithmsHeading;
    // label (as the composition panel names it) and value
    std::vector<std::pair<std::string, std::string>> Composition;
    // music zones whose box is available: zone 1 … 8 and checked
    std::vector<std::pair<int, bool>> MusicZones;
    std::string SerialNumber, Date, Version;
    // messages whose length is a number of seconds other than 0, with the length as typed
    std::vector<std::pair<int, std::string>> Lengths;
    std::vector<TReportInput> Inputs;
    // What the configuration check finds, errors first.
    std::vector<TFinding> Findings;
    // An input in use plays a message without a length above 0, so its times are no real times.
    bool LengthsMissing = false;
    // What the printed pages say of themselves: the project's file name (or that the project is
    // new) and when the report was made.
    std::string ProjectName, MadeAt;
};

// The text report of the configuration, as the editor shows it.
class TReport {
public:
    static inline const std::string FileName = "VarokConfig.txt";

    // The facts of an image and its 72 message lengths as typed; the findings, the project's
    // name and the time are the caller's to add.
    static TReportFacts Collect(const ConfigImage& image, const std::vector<std::string>& lengths);
    // The report's lines, UTF-8, without line ends.
    static std::vector<std::string> Lines(const TReportFacts& facts);
    // The file's bytes: every line in Windows-1251 followed by CR LF.
    static std::string Render(const std::vector<std::string>& lines);

    // A stage cell: the text centred in a 7-character column, then "|".
    static std::string Cell(const std::string& text);
};
