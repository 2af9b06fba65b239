#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

// Misbehaviours the simulated controller can be told to show; all off by default.
struct TSimFaults {
    bool Silent = false;
    uint8_t ProbeAnswer = 0xAA;
    size_t Split = 0; // 0: each reply in one piece
    std::optional<uint16_t> StuckBlock;
    std::optional<uint16_t> ReplyAddress;      // the first block reply only
    std::optional<uint16_t> FixedReplyAddress; // every block reply
    size_t ProbeLength = 5;                    // bytes of the probe reply sent
    std::optional<uint64_t> StopAfter;
    bool BadCrc = false;
    std::optional<uint64_t> HangupAfter;
    // A noisy line: the chance of each reply byte being corrupted or dropped (half each), and of
    // a stray byte before a reply for each byte of it; the noise repeats with its seed.
    double Noise = 0;
    // The same for each request byte on its way in: corrupted or lost, half each.
    double RequestNoise = 0;
    // The noise flips one bit of a byte and nothing more: no byte lost, none stray.
    bool BitFlips = false;
    // Where the noise's random numbers start: the same start gives the same noise.
    uint64_t NoiseStart = 1;
};
