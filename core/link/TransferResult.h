#pragma once
#include "link/LinkProtocol.h"
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What one read or write moved. The controller's replies steer the transfer, so a block
// counts as moved only when a reply named the block that was asked for.
class TTransferResult {
public:
    void Moved(uint16_t address);
    // Times each of the 64 blocks moved, in address order.
    const std::array<int, LinkProtocol::Blocks>& Moves() const { return FMoves; }
    // Addresses of the blocks that never moved, and of those that moved more than once.
    std::vector<uint16_t> Missing() const;
    std::vector<uint16_t> Repeated() const;
    // Every block moved exactly once.
    bool Complete() const;

    // Block replies taken, whatever they named.
    int Replies = 0;
    // Written blocks the controller reported differently.
    std::vector<uint16_t> CompareFailures;
    // Addresses named by replies whose last byte was not their CRC-8.
    std::vector<uint16_t> BadChecksums;

    // "0000-00E0, 0140": sorted, each address once, runs of neighbouring blocks joined.
    static std::string BlockList(std::vector<uint16_t> addresses);

private:
    std::vector<uint16_t> Blocks(bool (*pick)(int moves)) const;
    std::array<int, LinkProtocol::Blocks> FMoves{};
};
