#pragma once
#include <cstddef>
#include <string>

// Bytes that differ from block to block and from one call to the next (by `salt`), so a
// shifted, lost or repeated byte shows in a comparison.
inline std::string PatternBytes(std::size_t size, unsigned salt) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + salt + i / 251) & 0xFF);
    return bytes;
}
