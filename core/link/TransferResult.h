#pragma once
#include "link/LinkProtocol.h"
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How a link operation ended.
enum class TLinkOutcome {
    Running,
    // Probe: 0xAA came back. Read or write: every block moved once and compared equal.
    Done,
    // Nothing came back, even to the requests sent again.
    NoReply,
    // The port hung up or vanished.
    PortLost,
    // The probe reply was not 0xAA, or no reply to it could be trusted.
    WrongAnswer,
    // The controller answered only with other blocks than the one asked for, or with an address
    // outside the image.
    Incomplete,
    // A block had no reply whose checksum held after all its tries, the same wrong sum each time.
    Checksum,
    // The line garbled the replies until a block ran out of tries or the operation out of time.
    Noise,
    // A write moved every block but the controller holds some differently.
    Compare,
};

// What one probe, read or write did. A block counts as moved only when a reply named the block
// that was asked for.
class TTransferResult {
public:
    void Moved(uint16_t address);
    // Times each of the 64 blocks moved, in address order.
    const std::array<int, LinkProtocol::Blocks>& Moves() const { return FMoves; }
    // Addresses of the blocks that never moved, that moved at all.
    std::vector<uint16_t> Missing() const;
    std::vector<uint16_t> MovedBlocks() const;
    // Every block moved exactly once.
    bool Complete() const;
    // The transfer went through to its last block: done, or done with blocks that compared differently.
    bool Whole() const { return Outcome == TLinkOutcome::Done || Outcome == TLinkOutcome::Compare; }
    // Adds a block the controller holds differently from the project, once.
    void Differs(uint16_t address);

    // The connection's LinkMode of the operation.
    uint8_t Mode = LinkProtocol::ModeIdle;
    TLinkOutcome Outcome = TLinkOutcome::Running;
    // Block replies taken, whatever they named.
    int Replies = 0;
    // Written blocks the controller reported differently.
    std::vector<uint16_t> CompareFailures;
    // The block asked for when the operation failed, and an address outside the image that a
    // reply named.
    std::optional<uint16_t> Unconfirmed;
    std::optional<uint16_t> BadAddress;
    // The controller's checksums do not hold, and replies were taken as identical pairs.
    bool PairsTaken = false;
    // Requests sent again for the block they asked for before.
    int Resent = 0;
    // The line garbled bytes: wrong sums that vary, stray or broken replies, checked replies that
    // disagree.
    bool Noisy = false;
    // The operation ran out of its time.
    bool OutOfTime = false;
    // A write read every block back: it failed while doing so, or it ended with all compared.
    bool ReadingBack = false;

    // The failed operation's message for the user (the first line names the failure, the rest
    // what became of the image or the controller); the compare summary after a write with
    // differing blocks; empty after a probe or a transfer that is done.
    std::string Verdict() const;
    // How a read or write ended, in a few words for the status bar.
    std::string Status() const;
    // "Линия с помехами: 212 ответов повторено" when the line garbled bytes; empty otherwise.
    std::string NoiseNote() const;

    // "0000-00E0, 0140": sorted, each address once, runs of neighbouring blocks joined.
    static std::string BlockList(std::vector<uint16_t> addresses);

private:
    std::vector<uint16_t> Blocks(bool (*pick)(int moves)) const;
    std::array<int, LinkProtocol::Blocks> FMoves{};
};
