#pragma once
#include "link/Crc8.h"
#include <cstdint>
#include <string>
#include <vector>

// The link's packets as the editor and the controller send them: each ends in the CRC of the
// bytes before it.
using TBytes = std::vector<uint8_t>;

inline uint8_t Crc8(const std::string& bytes) {
    return Crc8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

inline std::string AsString(const TBytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

inline TBytes Sealed(TBytes bytes) {
    bytes.push_back(Crc8(bytes.data(), bytes.size()));
    return bytes;
}

inline TBytes Probe() {
    return {0x00, 0x01, 0x04, 0x55, 0x74};
}

inline TBytes Read(uint16_t address) {
    return Sealed(
        {0x00, 0x01, 0x06, 0x33, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)});
}

inline TBytes Write(uint16_t address, const TBytes& data) {
    TBytes packet{0x00, 0x01, 0x26, 0x44, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address)};
    packet.insert(packet.end(), data.begin(), data.end());
    return Sealed(packet);
}

// The controller's block reply: command, the address it names, the 32 bytes it carries.
inline TBytes BlockReply(uint8_t command, uint16_t named, const TBytes& data) {
    TBytes reply{0x00, 0x01, 0x26, command, static_cast<uint8_t>(named >> 8), static_cast<uint8_t>(named)};
    reply.insert(reply.end(), data.begin(), data.end());
    return Sealed(reply);
}
