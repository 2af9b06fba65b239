#include "model/ConfigImage.h"

int GetBit(const uint8_t* buffer, int index) {
    return (buffer[index / 8] & (0x80 >> (index % 8))) ? 1 : 0;
}

void SetBit(uint8_t* buffer, int index, int value) {
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (index % 8));
    if (value == 1)
        buffer[index / 8] |= mask;
    else
        buffer[index / 8] &= static_cast<uint8_t>(~mask);
}

void PutBits(int width, uint8_t value, uint8_t* buffer, int index) {
    for (int i = 0; i < width; ++i)
        SetBit(buffer, index + i, (value >> (width - 1 - i)) & 1);
}

int GetBits(const uint8_t* buffer, int index, int width) {
    int value = 0;
    for (int i = 0; i < width; ++i)
        value = 2 * value + GetBit(buffer, index + i);
    return value;
}
