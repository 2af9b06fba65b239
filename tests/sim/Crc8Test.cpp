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

TEST(Crc8, AppendingTheCrcGivesZero) {
    // The property a receiver can check a whole packet with.
    std::vector<uint8_t> packet = {0x00, 0x01, 0x26, 0x44, 0x07, 0xE0};
    for (int i = 0; i < 32; ++i)
        packet.push_back(static_cast<uint8_t>(i * 37));
    packet.push_back(Crc8(packet.data(), packet.size()));
    EXPECT_EQ(Crc8(packet.data(), packet.size()), 0);
}
