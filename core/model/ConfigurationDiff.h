#pragma once
#include "model/Configuration.h"
#include <cstdint>
#include <string>
#include <vector>

// One difference by meaning: "IN 3 stage 2: zone 5 on → off", "message 12 length: 20 → 25".
struct TDifference {
    // What the values are, for outputs that keep types: numbers, on/off, or texts.
    enum class TKind { Number, OnOff, Text };
    std::string Where; // "IN 3 stage 2", "composition", "identity", "message 12 length"
    std::string What;  // "zone 5", "splitters"; empty when Where says it all
    std::string From;  // as the text shows it, unquoted
    std::string To;
    TKind Kind = TKind::Text;
    int64_t FromValue = 0; // the number, or 1 for on, for Number and OnOff
    int64_t ToValue = 0;
    bool Quoted = false; // identity texts are shown in quotes, so that blanks show
    std::string Text() const;
};

// A differing byte the editor does not (wholly) interpret: "byte 0x05A0: 12 → 00".
struct TByteDifference {
    size_t Offset = 0;
    uint8_t From = 0;
    uint8_t To = 0;
    std::string Text() const;
};

struct TConfigurationDiff {
    std::vector<TDifference> Meaning;
    std::vector<TByteDifference> Bytes;
    bool Equal() const { return Meaning.empty() && Bytes.empty(); }
};

// From a to b. Message lengths are compared only when both sides have them, byte for byte; a
// byte of one that makes no UTF-8 character shows as \xNN.
TConfigurationDiff DiffConfigurations(const ConfigImage& a, const std::vector<std::string>* lengthsA,
                                      const ConfigImage& b, const std::vector<std::string>* lengthsB);
