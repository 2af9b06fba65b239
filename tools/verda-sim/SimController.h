#pragma once
#include "SimFaults.h"
#include "link/LinkProtocol.h"
#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// The controller's side of the link: a 2048-byte memory that answers probe, read and
// write requests. Fed any byte chunks; keeps at most one partial request between calls.
class TSimController {
public:
    static constexpr size_t MemorySize = LinkProtocol::ImageSize;

    using TBytes = LinkProtocol::TBytes;

    explicit TSimController(const TSimFaults& faults = {});

    std::array<uint8_t, MemorySize>& Memory() { return Mem; }
    const std::array<uint8_t, MemorySize>& Memory() const { return Mem; }
    // Loads an image: shorter is zero-filled, bytes past 2048 are ignored.
    void LoadImage(const uint8_t* data, size_t n);

    // Takes received bytes; returns the replies to every request they complete, in order.
    std::vector<TBytes> Feed(const uint8_t* data, size_t n);
    // Forgets a request received in part: the line went idle, or the editor started afresh.
    void DropPartial() { Pending.clear(); }
    // The pieces a reply goes out in: one, or pieces of the --split size.
    std::vector<TBytes> Pieces(const TBytes& reply) const;

private:
    // Length of a request with this length byte and command, or 0 if no request looks so.
    static size_t RequestLength(uint8_t lengthByte, uint8_t command);
    void Answer(const uint8_t* request, std::vector<TBytes>& replies);
    TBytes BlockReply(uint8_t command, uint16_t address);
    // The --bad-crc fault: the reply's checksum inverted.
    void Spoil(TBytes& reply) const;
    // The --noise fault: stray bytes before the reply, bytes of it corrupted or lost.
    TBytes Garble(const TBytes& reply);
    // The --request-noise fault: request bytes corrupted or lost on their way in.
    void GarbleRequest(const uint8_t* data, size_t n);
    bool Chance(double rate);
    // A byte the noise changed: one bit, or any bits.
    uint8_t Spoilt(uint8_t byte);
    bool Answering() const;

    TSimFaults Faults;
    std::array<uint8_t, MemorySize> Mem{};
    TBytes Pending;
    uint64_t Answers = 0;
    bool BlockReplied = false;
    std::mt19937_64 Random;
};
