#pragma once
#include <cstddef>
#include <cstdint>

// The link's checksum: CRC-8 with the reflected constant 0x8C, start value 0 and no
// final inversion. Every packet ends in the CRC of all bytes before it.
uint8_t Crc8Update(uint8_t crc, uint8_t byte);
uint8_t Crc8(const uint8_t* data, size_t n);
