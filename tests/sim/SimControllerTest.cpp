#include "SimController.h"
#include "link/LinkProtocol.h"
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {
using namespace LinkProtocol;

TBytes Data(uint8_t salt) {
    TBytes data;
    for (int i = 0; i < 32; ++i)
        data.push_back(static_cast<uint8_t>(salt + i));
    return data;
}
TBytes Patterned(uint16_t address) {
    TBytes data;
    for (size_t i = address; i < address + 32u; ++i)
        data.push_back(static_cast<uint8_t>(i * 7 + 3));
    return data;
}
TBytes Join(std::initializer_list<TBytes> parts) {
    TBytes all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TSimController PatternedController(const TSimFaults& faults = {}) {
    TSimController controller(faults);
    for (size_t i = 0; i < TSimController::MemorySize; ++i)
        controller.Memory()[i] = static_cast<uint8_t>(i * 7 + 3);
    return controller;
}

std::vector<TBytes> FeedAll(TSimController& controller, const TBytes& bytes) {
    return controller.Feed(bytes.data(), bytes.size());
}

struct TExchange {
    std::string Meaning;
    TSimFaults Faults;
    TBytes Input;
    std::vector<TBytes> Replies;
};

TSimFaults StuckAt(uint16_t address) {
    TSimFaults faults;
    faults.StuckBlock = address;
    return faults;
}

const std::vector<TExchange>& Exchanges() {
    static const std::vector<TExchange> rows = [] {
        TSimFaults probe55, badCrc, silent, stopAfter2, replyAddress;
        probe55.ProbeAnswer = 0x55;
        badCrc.BadCrc = true;
        silent.Silent = true;
        stopAfter2.StopAfter = 2;
        replyAddress.ReplyAddress = 0x07E0;
        TBytes wrongCrc = ReadRequestPacket(0x0020);
        wrongCrc.back() ^= 0x01;
        return std::vector<TExchange>{
            {"probe answered AA", {}, ProbePacket(), {{0x00, 0x01, 0x04, 0xAA, 0x41}}},
            {"probe answer set to 55", probe55, ProbePacket(), {ProbeReplyPacket(0x55)}},
            {"reply for block 0x07E0",
             {},
             ReadRequestPacket(0x07E0),
             {BlockReplyPacket(0x33, 0x07E0, Patterned(0x07E0))}},
            {"write echoes what it stored",
             {},
             WriteRequestPacket(0x0040, Data(0x90)),
             {BlockReplyPacket(0x44, 0x0040, Data(0x90))}},
            {"write to a stuck block echoes the old data",
             StuckAt(0x0040),
             WriteRequestPacket(0x0040, Data(0x90)),
             {BlockReplyPacket(0x44, 0x0040, Patterned(0x0040))}},
            {"stuck block does not hold other blocks",
             StuckAt(0x0040),
             WriteRequestPacket(0x0060, Data(0x90)),
             {BlockReplyPacket(0x44, 0x0060, Data(0x90))}},
            {"wrong CRC ignored", {}, wrongCrc, {}},
            {"address inside a block ignored", {}, ReadRequestPacket(0x0010), {}},
            {"address past the memory ignored", {}, ReadRequestPacket(0x0800), {}},
            {"highest address ignored", {}, ReadRequestPacket(0xFFE0), {}},
            {"write past the memory ignored", {}, WriteRequestPacket(0x0800, Data(1)), {}},
            {"garbage before a request skipped",
             {},
             Join({{0xFF, 0x01, 0x00, 0x00, 0x02, 0x00, 0x01, 0x05, 0x00, 0x01, 0x06, 0x44},
                   ReadRequestPacket(0x0020)}),
             {BlockReplyPacket(0x33, 0x0020, Patterned(0x0020))}},
            {"request cut short, then a whole one",
             {},
             Join({{0x00, 0x01, 0x06, 0x33, 0x00}, ReadRequestPacket(0x0020)}),
             {BlockReplyPacket(0x33, 0x0020, Patterned(0x0020))}},
            {"request hidden in a packet with a wrong CRC",
             {},
             Join({{0x00, 0x01, 0x04, 0x55}, ProbePacket()}),
             {{0x00, 0x01, 0x04, 0xAA, 0x41}}},
            {"bad-crc inverts the last byte", badCrc, ProbePacket(), {{0x00, 0x01, 0x04, 0xAA, 0xBE}}},
            {"silent never answers",
             silent,
             Join({ProbePacket(), ReadRequestPacket(0), WriteRequestPacket(0, Data(1))}),
             {}},
            {"stop-after 2 answers twice",
             stopAfter2,
             Join({ProbePacket(), ReadRequestPacket(0), ReadRequestPacket(0x20), ProbePacket()}),
             {{0x00, 0x01, 0x04, 0xAA, 0x41}, BlockReplyPacket(0x33, 0, Patterned(0))}},
            {"reply-address on the first block reply only",
             replyAddress,
             Join({ProbePacket(), ReadRequestPacket(0), ReadRequestPacket(0x20)}),
             {{0x00, 0x01, 0x04, 0xAA, 0x41},
              BlockReplyPacket(0x33, 0x07E0, Patterned(0)),
              BlockReplyPacket(0x33, 0x0020, Patterned(0x20))}},
            {"several requests in one chunk",
             {},
             Join({ReadRequestPacket(0x20), ProbePacket(), ReadRequestPacket(0x40)}),
             {BlockReplyPacket(0x33, 0x20, Patterned(0x20)),
              {0x00, 0x01, 0x04, 0xAA, 0x41},
              BlockReplyPacket(0x33, 0x40, Patterned(0x40))}},
        };
    }();
    return rows;
}
} // namespace

TEST(SimController, AnswersInOneChunk) {
    for (const TExchange& row : Exchanges()) {
        TSimController controller = PatternedController(row.Faults);
        EXPECT_EQ(FeedAll(controller, row.Input), row.Replies) << row.Meaning;
    }
}

TEST(SimController, AnswersAlikeWhenFedByteByByte) {
    for (const TExchange& row : Exchanges()) {
        TSimController controller = PatternedController(row.Faults);
        std::vector<TBytes> replies;
        for (uint8_t byte : row.Input)
            for (auto& reply : controller.Feed(&byte, 1))
                replies.push_back(std::move(reply));
        EXPECT_EQ(replies, row.Replies) << row.Meaning;
    }
}

TEST(SimController, WriteChangesOnlyItsBlock) {
    TSimController controller = PatternedController();
    const auto before = controller.Memory();
    FeedAll(controller, WriteRequestPacket(0x07E0, Data(0x10)));
    for (size_t i = 0; i < TSimController::MemorySize; ++i) {
        const uint8_t expected = i >= 0x07E0 ? static_cast<uint8_t>(0x10 + i - 0x07E0) : before[i];
        ASSERT_EQ(controller.Memory()[i], expected) << "byte " << i;
    }
    // What was written is read back.
    EXPECT_EQ(FeedAll(controller, ReadRequestPacket(0x07E0)),
              std::vector<TBytes>{BlockReplyPacket(0x33, 0x07E0, Data(0x10))});
}

TEST(SimController, StoppedControllerStoresNothing) {
    TSimFaults faults;
    faults.StopAfter = 1;
    TSimController controller(faults);
    FeedAll(controller, Join({ProbePacket(), WriteRequestPacket(0, Data(0x55))}));
    EXPECT_EQ(controller.Memory()[0], 0);
}

TEST(SimController, EveryTruncatedRequestIsUnansweredUntilCompleted) {
    const TBytes requests[] = {ProbePacket(), ReadRequestPacket(0x07E0),
                               WriteRequestPacket(0x0020, Data(0x33))};
    for (const TBytes& request : requests) {
        for (size_t cut = 0; cut < request.size(); ++cut) {
            TSimController controller = PatternedController();
            EXPECT_TRUE(controller.Feed(request.data(), cut).empty()) << "prefix " << cut;
            const auto replies = controller.Feed(request.data() + cut, request.size() - cut);
            EXPECT_EQ(replies.size(), 1u) << "prefix " << cut;
        }
    }
}

TEST(SimController, ImageIsZeroFilledAndCutTo2048) {
    TSimController controller = PatternedController();
    const TBytes shortImage{1, 2, 3};
    controller.LoadImage(shortImage.data(), shortImage.size());
    EXPECT_EQ(controller.Memory()[2], 3);
    EXPECT_EQ(controller.Memory()[3], 0);
    EXPECT_EQ(controller.Memory()[2047], 0);
    const TBytes longImage(3000, 0xEE);
    controller.LoadImage(longImage.data(), longImage.size());
    EXPECT_EQ(controller.Memory()[2047], 0xEE);
}

TEST(SimController, SurvivesRandomBytesAndStillAnswers) {
    TSimController controller;
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int round = 0; round < 2000; ++round) {
        // Biased towards request-like bytes so the parser goes deep, not only through skipping.
        TBytes chunk(static_cast<size_t>(length(random)));
        for (auto& b : chunk) {
            const int pick = byte(random);
            b = pick < 64 ? 0x00 : pick < 128 ? 0x01 : pick < 144 ? 0x26 : static_cast<uint8_t>(byte(random));
        }
        for (const TBytes& reply : FeedAll(controller, chunk)) {
            ASSERT_TRUE(reply.size() == 5 || reply.size() == 39);
            ASSERT_TRUE(ChecksumMatches(reply.data(), reply.size()));
        }
    }
    // A run of non-zero bytes flushes any partial request; then a probe is answered.
    const auto replies = FeedAll(controller, Join({TBytes(39, 0xFF), ProbePacket()}));
    ASSERT_FALSE(replies.empty());
    EXPECT_EQ(replies.back(), (TBytes{0x00, 0x01, 0x04, 0xAA, 0x41}));
}

TEST(SimController, SplitPieceSizes) {
    struct Row {
        size_t Split;
        size_t ReplySize;
        std::vector<size_t> Pieces;
    };
    const Row rows[] = {
        {0, 39, {39}},  {10, 39, {10, 10, 10, 9}}, {13, 39, {13, 13, 13}}, {38, 39, {38, 1}},
        {39, 39, {39}}, {100, 39, {39}},           {2, 5, {2, 2, 1}},
    };
    for (const Row& row : rows) {
        TSimFaults faults;
        faults.Split = row.Split;
        const TSimController controller(faults);
        TBytes reply(row.ReplySize);
        for (size_t i = 0; i < reply.size(); ++i)
            reply[i] = static_cast<uint8_t>(i);
        std::vector<size_t> sizes;
        TBytes joined;
        for (const auto& piece : controller.Pieces(reply)) {
            sizes.push_back(piece.size());
            joined.insert(joined.end(), piece.begin(), piece.end());
        }
        EXPECT_EQ(sizes, row.Pieces) << "split " << row.Split << " of " << row.ReplySize;
        EXPECT_EQ(joined, reply) << "split " << row.Split;
    }
}
