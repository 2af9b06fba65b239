#include "link/Crc8.h"
#include <array>

namespace {
// The bitwise step: for each of the byte's eight bits, least significant first, shift the
// register right and add 0x8C when the bit and the register's bit 0 differ.
constexpr uint8_t Step(uint8_t crc, uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) {
        if ((crc ^ byte) & 1)
            crc = static_cast<uint8_t>((crc >> 1) ^ 0x8C);
        else
            crc = static_cast<uint8_t>(crc >> 1);
        byte = static_cast<uint8_t>(byte >> 1);
    }
    return crc;
}

// The step depends only on register XOR byte, so it is looked up.
constexpr std::array<uint8_t, 256> Table = [] {
    std::array<uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = Step(static_cast<uint8_t>(i), 0);
    return table;
}();
} // namespace

uint8_t Crc8Update(uint8_t crc, uint8_t byte) {
    return Table[static_cast<uint8_t>(crc ^ byte)];
}

uint8_t Crc8(const uint8_t* data, size_t n) {
    uint8_t crc = 0;
    for (size_t i = 0; i < n; ++i)
        crc = Crc8Update(crc, data[i]);
    return crc;
}
