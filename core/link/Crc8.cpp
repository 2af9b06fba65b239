#include "link/Crc8.h"

uint8_t Crc8Update(uint8_t crc, uint8_t byte) {
    for (int bit = 0; bit < 8; ++bit) {
        if ((crc ^ byte) & 1)
            crc = static_cast<uint8_t>((crc >> 1) ^ 0x8C);
        else
            crc = static_cast<uint8_t>(crc >> 1);
        byte = static_cast<uint8_t>(byte >> 1);
    }
    return crc;
}

uint8_t Crc8(const uint8_t* data, size_t n) {
    uint8_t crc = 0;
    for (size_t i = 0; i < n; ++i)
        crc = Crc8Update(crc, data[i]);
    return crc;
}
