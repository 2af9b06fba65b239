#include "SimController.h"
#include <algorithm>

using namespace LinkProtocol;

namespace {
// The three requests; a request's length byte counts its bytes before the CRC.
struct TRequestKind {
    uint8_t LengthByte;
    uint8_t Command;
};
constexpr TRequestKind RequestKinds[] = {
    {ProbeSize - 1, ProbeCommand}, {ReadRequestSize - 1, ReadCommand}, {BlockPacketSize - 1, WriteCommand}};

bool KnownLengthByte(uint8_t lengthByte) {
    return std::any_of(std::begin(RequestKinds), std::end(RequestKinds),
                       [lengthByte](const TRequestKind& kind) { return kind.LengthByte == lengthByte; });
}
} // namespace

TSimController::TSimController(const TSimFaults& faults) : Faults(faults), Random(faults.NoiseStart) {}

void TSimController::LoadImage(const uint8_t* data, size_t n) {
    Mem.fill(0);
    std::copy_n(data, std::min(n, MemorySize), Mem.begin());
}

size_t TSimController::RequestLength(uint8_t lengthByte, uint8_t command) {
    for (const TRequestKind& kind : RequestKinds)
        if (kind.LengthByte == lengthByte && kind.Command == command)
            return lengthByte + 1u;
    return 0;
}

std::vector<TSimController::TBytes> TSimController::Feed(const uint8_t* data, size_t n) {
    std::vector<TBytes> replies;
    GarbleRequest(data, n);
    // Scan by offset and erase once, so a large chunk of garbage costs linear time.
    size_t pos = 0;
    while (pos < Pending.size()) {
        const uint8_t* p = Pending.data() + pos;
        const size_t available = Pending.size() - pos;
        // Every request starts 00 01, then a length byte that fits its command.
        if (p[0] != 0x00 || (available >= 2 && p[1] != 0x01) || (available >= 3 && !KnownLengthByte(p[2]))) {
            ++pos;
            continue;
        }
        if (available < 4)
            break;
        const size_t length = RequestLength(p[2], p[3]);
        if (length == 0) {
            ++pos;
            continue;
        }
        if (available < length)
            break;
        // A request with a wrong CRC may have been garbage that looked like a header:
        // look for the next 00 01 inside it rather than skipping it whole.
        if (!ChecksumMatches(p, length)) {
            ++pos;
            continue;
        }
        Answer(p, replies);
        pos += length;
    }
    Pending.erase(Pending.begin(), Pending.begin() + static_cast<std::ptrdiff_t>(pos));
    return replies;
}

bool TSimController::Answering() const {
    return !Faults.Silent && !(Faults.StopAfter && Answers >= *Faults.StopAfter);
}

void TSimController::Answer(const uint8_t* request, std::vector<TBytes>& replies) {
    // A controller that has stopped answering takes nothing in either.
    if (!Answering())
        return;
    const uint8_t command = request[CommandAt];
    if (command == ProbeCommand) {
        TBytes reply = ProbeReplyPacket(Faults.ProbeAnswer);
        Spoil(reply);
        reply.resize(std::min(reply.size(), Faults.ProbeLength));
        replies.push_back(Garble(reply));
        ++Answers;
        return;
    }
    const uint16_t address = Address(request);
    if (!IsBlockAddress(address))
        return;
    if (command == WriteCommand && !(Faults.StuckBlock && *Faults.StuckBlock == address))
        std::copy_n(request + DataAt, BlockSize, Mem.begin() + address);
    replies.push_back(Garble(BlockReply(command, address)));
    ++Answers;
}

TSimController::TBytes TSimController::BlockReply(uint8_t command, uint16_t address) {
    // Only the address field is falsified: the data are still those of the block asked for.
    uint16_t named = address;
    if (Faults.FixedReplyAddress)
        named = *Faults.FixedReplyAddress;
    else if (!BlockReplied && Faults.ReplyAddress)
        named = *Faults.ReplyAddress;
    BlockReplied = true;
    TBytes reply = BlockReplyPacket(command, named, std::span(Mem).subspan(address, BlockSize));
    Spoil(reply);
    return reply;
}

void TSimController::Spoil(TBytes& reply) const {
    if (Faults.BadCrc)
        reply.back() = static_cast<uint8_t>(~reply.back());
}

bool TSimController::Chance(double rate) {
    return std::uniform_real_distribution<double>(0, 1)(Random) < rate;
}

void TSimController::GarbleRequest(const uint8_t* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (Faults.RequestNoise <= 0 || !Chance(Faults.RequestNoise))
            Pending.push_back(data[i]);
        else if (Faults.BitFlips || Random() % 2 == 0)
            Pending.push_back(Spoilt(data[i]));
    }
}

uint8_t TSimController::Spoilt(uint8_t byte) {
    return static_cast<uint8_t>(byte ^ (Faults.BitFlips ? 1 << Random() % 8 : 1 + Random() % 255));
}

TSimController::TBytes TSimController::Garble(const TBytes& reply) {
    if (Faults.Noise <= 0)
        return reply;
    TBytes noisy;
    // Stray bytes are as often 00 and 01 as anything else: they must look like a header.
    for (size_t i = 0; i < reply.size() && !Faults.BitFlips; ++i)
        if (Chance(Faults.Noise)) {
            const auto kind = Random() % 3;
            noisy.push_back(kind == 2 ? static_cast<uint8_t>(Random()) : static_cast<uint8_t>(kind));
        }
    for (const uint8_t byte : reply) {
        if (!Chance(Faults.Noise))
            noisy.push_back(byte);
        else if (Faults.BitFlips || Random() % 2 == 0)
            noisy.push_back(Spoilt(byte));
    }
    return noisy;
}

std::vector<TSimController::TBytes> TSimController::Pieces(const TBytes& reply) const {
    if (Faults.Split == 0 || Faults.Split >= reply.size())
        return {reply};
    std::vector<TBytes> pieces;
    for (size_t at = 0; at < reply.size(); at += Faults.Split) {
        const size_t size = std::min(Faults.Split, reply.size() - at);
        pieces.emplace_back(reply.begin() + static_cast<std::ptrdiff_t>(at),
                            reply.begin() + static_cast<std::ptrdiff_t>(at + size));
    }
    return pieces;
}
