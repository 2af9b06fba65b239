#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// The controller's whole configuration: 2048 bytes. Bits are addressed by a running
// index from the most significant bit of byte 0 (index 0 = byte 0 mask 0x80).
namespace Layout {
constexpr size_t ImageSize = 2048;

constexpr size_t UnitCounts = 0;    // four 2-bit counts
constexpr size_t MusicZones = 1;    // bit z-1 = zone z
constexpr size_t ModuleOptions = 2; // gong, AUX priority, module count

// Running bit indexes inside bytes 0..2.
constexpr int AmplifierCountBit = 0; // byte 0 bits 7-6
constexpr int SplitterCountBit = 2;  // byte 0 bits 5-4
constexpr int AnnouncerCountBit = 4; // byte 0 bits 3-2
constexpr int FireCountBit = 6;      // byte 0 bits 1-0
constexpr int CountWidth = 2;
constexpr int GongBit = 16;        // byte 2 bit 7
constexpr int AuxPriorityBit = 17; // byte 2 bit 6
constexpr int ModuleCountBit = 20; // byte 2 bits 3-0
constexpr int ModuleCountWidth = 4;
// Music zone z (1..8) is byte 1 bit z-1.
constexpr int MusicZoneBit(int zone) {
    return 16 - zone;
}

constexpr size_t AlgorithmTable = 4;
constexpr int Inputs = 8;
constexpr int Stages = 8;
constexpr size_t InputRecordSize = 48;
constexpr size_t StageRecordSize = 6;
constexpr size_t StageOffset(int input, int stage) {
    return AlgorithmTable + InputRecordSize * static_cast<size_t>(input) +
           StageRecordSize * static_cast<size_t>(stage);
}
// Fields of a stage record, relative to its start.
constexpr size_t StageFlags = 0;    // bit 7 enabled, bits 5-3 pause index
constexpr size_t RepeatCount = 1;   // 0 = unlimited
constexpr size_t Zones = 2;         // bit z-1 = zone z
constexpr size_t Relays = 3;        // two bytes, module 1 K1 = bit 7 of the first
constexpr size_t MessageNumber = 5; // 1..72, 0 = none
constexpr int StageEnabledBit = 0;  // running index inside the flags byte
constexpr int PauseBit = 2;
constexpr int PauseWidth = 3;
constexpr int PauseStepSeconds = 5;
constexpr int Zone1Bit = 7; // zone z is running index 8 - z of the zones byte
constexpr int RelayIndex(int module, int relay) {
    return 2 * module + relay;
} // module 0..7, K1 = 0

constexpr size_t IdentityBlock = 480;
constexpr size_t MarkerS = 480;
constexpr size_t MarkerN = 481;
constexpr size_t SerialNumber = 483;
constexpr size_t SerialNumberSize = 4;
constexpr size_t Date1 = 488;
constexpr size_t Date2 = 491;
constexpr size_t Date3 = 494;
constexpr size_t DatePartSize = 2;
constexpr size_t MarkerV = 496;
constexpr size_t Version = 497;
constexpr size_t VersionSize = 2;
constexpr uint8_t MarkerSValue = 0x53;
constexpr uint8_t MarkerNValue = 0x4E;
constexpr uint8_t MarkerVValue = 0x56;
} // namespace Layout

// Bit helpers on any byte buffer.
int GetBit(const uint8_t* buffer, int index);
void SetBit(uint8_t* buffer, int index, int value);
// Copies the `width` low bits of value, most significant first, to indexes index..index+width-1.
void PutBits(int width, uint8_t value, uint8_t* buffer, int index);
// Reads `width` bits from index on, most significant first: the inverse of PutBits.
int GetBits(const uint8_t* buffer, int index, int width);

class ConfigImage {
public:
    ConfigImage() { Clear(); }
    void Clear() { Bytes.fill(0); }
    uint8_t* Data() { return Bytes.data(); }
    const uint8_t* Data() const { return Bytes.data(); }
    uint8_t& operator[](size_t offset) { return Bytes.at(offset); }
    uint8_t operator[](size_t offset) const { return Bytes.at(offset); }
    static constexpr size_t Size() { return Layout::ImageSize; }

    int GetBit(int index) const { return ::GetBit(Bytes.data(), index); }
    int GetBits(int index, int width) const { return ::GetBits(Bytes.data(), index, width); }
    void SetBit(int index, int value) { ::SetBit(Bytes.data(), index, value); }
    void PutBits(int width, uint8_t value, int index) { ::PutBits(width, value, Bytes.data(), index); }

    bool operator==(const ConfigImage&) const = default;

private:
    std::array<uint8_t, Layout::ImageSize> Bytes{};
};
