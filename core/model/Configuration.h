#pragma once
#include "model/ConfigImage.h"
#include "model/ConfigurationCheck.h"
#include "model/EvacuationPlan.h"
#include "model/StageSettings.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A configuration by meaning, decoded from an image with the same offsets the editor uses,
// without any control: what an installer reads in `show` and compares in `diff`.
struct TInputSettings {
    TStages Stages{};
    // The stage times and the total; nothing without message lengths.
    std::optional<TInputPlan> Plan;
    // The report's rule: an input is in use when its first stage is switched on.
    bool InUse() const { return Stages[0].On; }
};

struct TCompositionSettings {
    int Amplifiers = 0;
    int Splitters = 0;
    int Modules = 0;
    int FireConsoles = 0;
    int AnnouncerConsoles = 0;
    bool Gong = false;
    bool AuxPriority = false;
    std::array<bool, 8> MusicZones{};
};

// The identity texts, every byte of their fields kept: the text stops at trailing zero
// bytes; other control bytes and backslashes read \xNN, bytes from 0x80 as Windows-1251.
// So two fields hold the same bytes exactly when their texts are equal.
struct TIdentity {
    std::string SerialNumber;
    std::array<std::string, 3> Date;
    std::string Version;
};

// A run of bytes (or bits of bytes) the editor does not interpret that are not zero.
struct TRawRange {
    size_t Offset = 0;
    std::vector<uint8_t> Bytes;
};

struct TConfiguration {
    TCompositionSettings Composition;
    TIdentity Identity;
    std::array<TInputSettings, Layout::Inputs> Inputs{};
    // The 72 message lengths as typed (an empty one reads "0"); nothing without a side file.
    std::optional<std::vector<std::string>> Lengths;
    std::vector<TRawRange> Raw;
    // What the configuration check finds in it.
    std::vector<TFinding> Findings;
};

// The zones a splitter count provides and the modules a module count provides, as the
// editor offers them: a count its choices do not hold (3 splitters, 9 to 15 modules)
// provides nothing.
int ZonesProvided(int splitters);
int ModulesProvided(int modules);

// The bits of the byte at offset that the editor does not interpret (0xFF for a whole byte).
uint8_t UninterpretedBits(size_t offset);

// lengths: the 72 values of the side file, or null when there is none.
// Texts of the side file that are no valid UTF-8 have the bad sequences replaced by U+FFFD.
TConfiguration DecodeConfiguration(const ConfigImage& image, const std::vector<std::string>* lengths);

// The inverse of DecodeConfiguration for the image: every field in its place and the raw
// ranges over the rest. Values are cut to their fields; the caller checks their ranges (and
// the identity texts with IdentityBytes) first. Times, totals and findings are not read.
ConfigImage EncodeConfiguration(const TConfiguration& config);

// Sets the identity markers, as the editor does whenever it shows a configuration.
void MarkIdentity(ConfigImage& image);

// An identity field as the editor's edit box shows it: its bytes up to the first zero byte, read
// as Windows-1251.
std::string IdentityFieldText(const ConfigImage& image, size_t offset, size_t size);

// The bytes of an identity text as DecodeConfiguration gives it, padded with zero bytes to
// `size`; false when the text needs more than `size` bytes, holds a character that
// Windows-1251 lacks, or a backslash that starts no \xNN.
bool IdentityBytes(const std::string& text, size_t size, std::string& bytes);
