#include "link/Crc8.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Crc8, KnownPacketsAndCheckValue) {
    struct Row {
        const char* Meaning;
        std::vector<uint8_t> Bytes;
        uint8_t Crc;
    };
    const std::string digits = "123456789";
    const Row rows[] = {
        {"probe header", {0x00, 0x01, 0x04, 0x55}, 0x74},
        {"read request for block 0", {0x00, 0x01, 0x06, 0x33, 0x00, 0x00}, 0xFE},
        {"probe answer AA", {0x00, 0x01, 0x04, 0xAA}, 0x41},
        {"nine ASCII digits", std::vector<uint8_t>(digits.begin(), digits.end()), 0xA1},
        {"nothing", {}, 0x00},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Crc8(row.Bytes.data(), row.Bytes.size()), row.Crc) << row.Meaning;
        uint8_t running = 0;
        for (uint8_t byte : row.Bytes)
            running = Crc8Update(running, byte);
        EXPECT_EQ(running, row.Crc) << row.Meaning;
    }
}
