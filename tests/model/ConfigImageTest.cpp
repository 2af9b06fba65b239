#include "model/ConfigImage.h"
#include <gtest/gtest.h>

TEST(ConfigImage, RunningBitIndexCountsFromTheTopBitOfByteZero) {
    ConfigImage image;
    image.SetBit(0, 1);
    image.SetBit(7, 1);
    image.SetBit(8, 1);
    EXPECT_EQ(image[0], 0x81);
    EXPECT_EQ(image[1], 0x80);
    EXPECT_EQ(image.GetBit(7), 1);
    EXPECT_EQ(image.GetBit(6), 0);
    image.SetBit(0, 0);
    EXPECT_EQ(image[0], 0x01);
    // Any value other than 1 clears.
    image.SetBit(7, 2);
    EXPECT_EQ(image[0], 0x00);
}

TEST(ConfigImage, PutBitsWritesOnlyItsFieldMostSignificantFirst) {
    ConfigImage image;
    image[0] = 0xFF;
    image.PutBits(Layout::CountWidth, 0, Layout::SplitterCountBit);
    EXPECT_EQ(image[0], 0xCF);
    image.PutBits(Layout::CountWidth, 2, Layout::SplitterCountBit);
    EXPECT_EQ(image[0], 0xEF);
    // Only the low `width` bits of the value are used.
    image[2] = 0xF0;
    image.PutBits(Layout::ModuleCountWidth, 0xF8, Layout::ModuleCountBit);
    EXPECT_EQ(image[2], 0xF8);
    image.PutBits(Layout::ModuleCountWidth, 8, Layout::ModuleCountBit);
    EXPECT_EQ(image[2], 0xF8);
    image.PutBits(Layout::ModuleCountWidth, 0, Layout::ModuleCountBit);
    EXPECT_EQ(image[2], 0xF0);
    EXPECT_EQ(image[1], 0);
    EXPECT_EQ(image[3], 0);
}

TEST(ConfigImage, UnitCountsAndStageFieldsLandWhereTheControllerExpectsThem) {
    ConfigImage image;
    image.PutBits(2, 2, Layout::AmplifierCountBit);
    image.PutBits(2, 1, Layout::SplitterCountBit);
    image.PutBits(2, 0, Layout::AnnouncerCountBit);
    image.PutBits(2, 2, Layout::FireCountBit);
    EXPECT_EQ(image[0], 0x92);

    // Input 2 stage 3, enabled, pause index 3.
    const size_t r = Layout::StageOffset(1, 2);
    EXPECT_EQ(r, 64u);
    uint8_t* rec = image.Data() + r;
    SetBit(rec, Layout::StageEnabledBit, 1);
    PutBits(Layout::PauseWidth, 3, rec, Layout::PauseBit);
    EXPECT_EQ(image[64], 0x98);

    EXPECT_EQ(Layout::StageOffset(0, 7), 46u);
    EXPECT_EQ(Layout::StageOffset(7, 7), 382u);
    EXPECT_EQ(Layout::MusicZoneBit(1), 15);
    EXPECT_EQ(Layout::MusicZoneBit(8), 8);
}
