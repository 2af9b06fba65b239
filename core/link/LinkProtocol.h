#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The controller's wire format. Every packet is 00 01, a length byte (the packet's length
// minus one), a command, a body and the CRC-8 of all bytes before it; addresses are
// big-endian. Replies are read at the same positions: byte 3 of a probe reply is the answer,
// a block reply carries its address in bytes 4 and 5 and the block in bytes 6 … 37.
namespace LinkProtocol {
// The connection's LinkMode.
constexpr uint8_t ModeIdle = 0;
constexpr uint8_t ModeProbe = 1;
constexpr uint8_t ModeWrite = 2;
constexpr uint8_t ModeRead = 3;

constexpr uint8_t ProbeCommand = 0x55;
constexpr uint8_t ReadCommand = 0x33;
constexpr uint8_t WriteCommand = 0x44;
// Byte 3 of the probe reply when a controller answers.
constexpr uint8_t ControllerAnswer = 0xAA;

constexpr size_t LengthAt = 2;
constexpr size_t CommandAt = 3;
constexpr size_t AnswerAt = 3;
constexpr size_t AddressAt = 4;
constexpr size_t DataAt = 6;

constexpr size_t ImageSize = 2048;
constexpr size_t BlockSize = 32;
constexpr size_t Blocks = ImageSize / BlockSize;
// The probe and its reply.
constexpr size_t ProbeSize = 5;
constexpr size_t ReadRequestSize = DataAt + 1;
// A write packet and every block reply.
constexpr size_t BlockPacketSize = DataAt + BlockSize + 1;

using TBytes = std::vector<uint8_t>;

bool ChecksumMatches(const uint8_t* packet, size_t size);
uint16_t Address(const uint8_t* packet);
// The address of a block wholly inside the image.
bool IsBlockAddress(unsigned address);

// Four upper-case hexadecimal digits, as addresses and counts are shown.
std::string Hex4(unsigned value);

// Whole packets, sealed. `block`: the block's 32 bytes (its first 32).
TBytes Packet(uint8_t command, const TBytes& body);
TBytes ProbePacket();
TBytes ReadRequestPacket(uint16_t address);
TBytes WriteRequestPacket(uint16_t address, std::span<const uint8_t> block);
TBytes ProbeReplyPacket(uint8_t answer);
TBytes BlockReplyPacket(uint8_t command, uint16_t address, std::span<const uint8_t> block);
} // namespace LinkProtocol
