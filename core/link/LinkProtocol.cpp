#include "link/LinkProtocol.h"
#include "link/Crc8.h"
#include <algorithm>

namespace LinkProtocol {

bool ChecksumMatches(const uint8_t* packet, size_t size) {
    return size > 0 && Crc8(packet, size - 1) == packet[size - 1];
}

uint16_t Address(const uint8_t* packet) {
    return static_cast<uint16_t>(packet[AddressAt] << 8 | packet[AddressAt + 1]);
}

bool IsBlockAddress(unsigned address) {
    return address % BlockSize == 0 && address + BlockSize <= ImageSize;
}

std::string Hex4(unsigned value) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = Digits[value & 0xF];
    return text;
}

TBytes Packet(uint8_t command, const TBytes& body) {
    TBytes packet(AddressAt + body.size() + 1);
    packet[0] = 0x00;
    packet[1] = 0x01;
    packet[LengthAt] = static_cast<uint8_t>(packet.size() - 1);
    packet[CommandAt] = command;
    std::copy(body.begin(), body.end(), packet.begin() + AddressAt);
    packet.back() = Crc8(packet.data(), packet.size() - 1);
    return packet;
}

namespace {
TBytes AddressAndBlock(uint16_t address, std::span<const uint8_t> block) {
    TBytes body(2 + std::min(block.size(), BlockSize));
    body[0] = static_cast<uint8_t>(address >> 8);
    body[1] = static_cast<uint8_t>(address & 0xFF);
    std::copy_n(block.begin(), body.size() - 2, body.begin() + 2);
    return body;
}
} // namespace

TBytes ProbePacket() {
    return Packet(ProbeCommand, {});
}

TBytes ReadRequestPacket(uint16_t address) {
    return Packet(ReadCommand, AddressAndBlock(address, {}));
}

TBytes WriteRequestPacket(uint16_t address, std::span<const uint8_t> block) {
    return Packet(WriteCommand, AddressAndBlock(address, block));
}

// A reply has the layout of a request: the answer stands where a command does.
TBytes ProbeReplyPacket(uint8_t answer) {
    return Packet(answer, {});
}

// A block reply has the write packet's layout whichever request it answers.
TBytes BlockReplyPacket(uint8_t command, uint16_t address, std::span<const uint8_t> block) {
    return Packet(command, AddressAndBlock(address, block));
}

} // namespace LinkProtocol
