// The link alone against the simulated controller's engine, without threads or clocks: the
// replies are handed over as they come and the reply timer is ticked by hand whenever the line
// is quiet. Whatever the line does, a transfer that says it is done moved the image exactly.
#include "link/ControllerLink.h"
#include "SimController.h"
#include <deque>
#include <gtest/gtest.h>

namespace {
using namespace LinkProtocol;
using namespace std::chrono_literals;

ConfigImage Pattern(unsigned salt) {
    ConfigImage image;
    for (size_t i = 0; i < ImageSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + salt * 13 + (i >> 8));
    return image;
}

// The reply with two of its data bytes changed and its checksum made to fit: an error the
// checksum cannot see.
TBytes Undetectable(TBytes reply) {
    reply[DataAt + 3] ^= 0x21;
    reply[DataAt + 17] ^= 0x84;
    uint8_t checksum = 0;
    Seal(reply.data(), reply.size(), checksum);
    return reply;
}

// The link on a line to the controller's engine. Time passes only on the line: each answer
// takes 50 ms, each tick of the reply timer its whole wait.
class TLine {
public:
    explicit TLine(const TSimFaults& faults = {}) : Controller(faults) {
        Link.Now = [this] { return Clock; };
        Link.Send = [this](const uint8_t* data, size_t size) {
            TBytes request(data, data + size);
            if (OnRequest)
                request = OnRequest(request);
            for (auto& reply : Controller.Feed(request.data(), request.size()))
                Replies.push_back(std::move(reply));
        };
        Link.OnEnd = [this] { Ended = true; };
    }
    // Hands the answers over and ticks the timer when the line is quiet, until the operation ends.
    void Run() {
        for (int step = 0; !Ended && step < 100000; ++step) {
            if (Replies.empty()) {
                ASSERT_TRUE(Link.ReplyTimer.Running()) << "waits for nothing";
                // The line has been idle: a request the controller got in part is over.
                Controller.DropPartial();
                Clock += std::chrono::milliseconds(Link.ReplyTimer.Interval);
                Link.ReplyTimer.Tick();
                continue;
            }
            TBytes reply = std::move(Replies.front());
            Replies.pop_front();
            if (OnReply)
                reply = OnReply(reply);
            Clock += 50ms;
            Link.Receive(reply.data(), reply.size());
        }
        ASSERT_TRUE(Ended);
    }

    uint8_t Mode = ModeIdle;
    TControllerLink Link{Mode};
    TSimController Controller;
    // What the line does to each request and each answer on its way.
    std::function<TBytes(const TBytes&)> OnRequest;
    std::function<TBytes(const TBytes&)> OnReply;
    std::deque<TBytes> Replies;
    TControllerLink::TClock::time_point Clock{};
    bool Ended = false;
};

TEST(ControllerLinkOverNoise, DoneMeansTheImageMovedExactly) {
    for (const double rate : {0.01, 0.05})
        for (uint64_t seed = 1; seed <= 50; ++seed)
            for (const bool read : {true, false}) {
                SCOPED_TRACE("noise " + std::to_string(rate) + " seed " + std::to_string(seed) +
                             (read ? " read" : " write"));
                TSimFaults faults;
                faults.Noise = rate;
                faults.RequestNoise = rate;
                faults.Seed = seed;
                TLine line(faults);
                const ConfigImage memory = Pattern(1), image = Pattern(2);
                line.Controller.LoadImage(memory.Data(), ImageSize);
                // Connected first: the probe tells how soon this controller answers.
                for (int probe = 0; probe < 3 && line.Link.ProbeAnswer != ControllerAnswer; ++probe) {
                    line.Link.StartProbe(true);
                    line.Run();
                }
                line.Ended = false;
                if (line.Link.ProbeAnswer != ControllerAnswer) {
                    EXPECT_GE(rate, 0.05) << "no connection";
                    continue;
                }
                if (read)
                    line.Link.StartRead(image);
                else
                    line.Link.StartWrite(image);
                line.Run();
                const TTransferResult& result = line.Link.Result;
                // At 1 % both ways every transfer gets through.
                if (rate < 0.05) {
                    EXPECT_EQ(result.Outcome, TLinkOutcome::Done);
                }
                if (result.Outcome == TLinkOutcome::Done) {
                    if (read)
                        EXPECT_TRUE(line.Link.Received == memory);
                    else
                        EXPECT_TRUE(std::equal(image.Data(), image.Data() + ImageSize,
                                               line.Controller.Memory().begin()));
                } else {
                    // A line that lost every request is silent; one that garbled bytes is named.
                    EXPECT_TRUE(result.Outcome == TLinkOutcome::Noise ||
                                result.Outcome == TLinkOutcome::NoReply)
                        << "noise is no reason for a compare failure or a block refused";
                    EXPECT_TRUE(result.Noisy || result.Outcome == TLinkOutcome::NoReply);
                }
            }
}

// A pause inside a reply: the link asks again, then the rest of the first reply comes right
// before the answer to the request sent again. The block holds 00 01 26 33 00 00 at byte 4, so
// the first reply turned at that point is a whole reply for block 0000 whose checksum holds.
TEST(ControllerLinkTrust, LateTailNeverSplicesWithTheNextReply) {
    TBytes block(BlockSize);
    for (size_t i = 0; i < BlockSize; ++i)
        block[i] = static_cast<uint8_t>(0x40 + i);
    const uint8_t trap[] = {0x00, 0x77, 0x42, 0x43, 0x00, 0x01, 0x26, 0x33, 0x00, 0x00};
    std::copy(std::begin(trap), std::end(trap), block.begin());
    const TBytes reply = BlockReplyPacket(ReadCommand, 0x0000, block);
    const size_t cut = DataAt + 4;
    TBytes spliced(reply.begin() + cut, reply.end());
    spliced.insert(spliced.end(), reply.begin(), reply.begin() + cut);
    ASSERT_TRUE(ChecksumMatches(spliced.data(), spliced.size()));

    uint8_t mode = ModeIdle;
    TControllerLink link(mode);
    std::vector<TBytes> requests;
    link.Send = [&](const uint8_t* data, size_t size) { requests.emplace_back(data, data + size); };
    auto deliver = [&](TBytes bytes) { link.Receive(bytes.data(), bytes.size()); };
    link.StartRead(ConfigImage{});
    deliver(TBytes(reply.begin(), reply.begin() + cut));
    link.ReplyTimer.Tick();
    TBytes late(reply.begin() + cut, reply.end());
    late.insert(late.end(), reply.begin(), reply.end());
    deliver(late);
    // Every request after this one gets the true reply, which the line no longer breaks.
    while (requests.back() == ReadRequestPacket(0x0000) && requests.size() < 10)
        deliver(reply);
    EXPECT_EQ(requests.back(), ReadRequestPacket(0x0020));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), link.Received.Data()));
}

// A write request for block 0020 whose address turned into 0000 past the controller's check: the
// controller stores the data at 0000 and says so. Block 0000 is written again before the end,
// with or without the read-back.
TEST(ControllerLinkTrust, MisaddressedWriteIsRepaired) {
    for (const bool readBack : {true, false}) {
        SCOPED_TRACE(readBack ? "read back" : "no read-back");
        TLine line;
        const ConfigImage image = Pattern(3);
        bool astray = false;
        line.OnRequest = [&](const TBytes& request) {
            if (astray || request != WriteRequestPacket(0x0020, {image.Data() + 0x0020, BlockSize}))
                return request;
            astray = true;
            return WriteRequestPacket(0x0000, {image.Data() + 0x0020, BlockSize});
        };
        line.Link.ReadBack = readBack;
        line.Link.StartWrite(image);
        line.Run();
        EXPECT_TRUE(astray);
        EXPECT_EQ(line.Link.Result.Outcome, TLinkOutcome::Done);
        EXPECT_TRUE(std::equal(image.Data(), image.Data() + ImageSize, line.Controller.Memory().begin()));
    }
}

// The first reply of a read, and a reply taken on its checksum alone once the line had proved
// clean, carry an error their checksum cannot see: the first is never taken alone, the second is
// asked again when the line shows noise after all.
TEST(ControllerLinkTrust, RepliesWithUnseenErrorsAreAskedAgain) {
    TLine line;
    const ConfigImage memory = Pattern(4);
    line.Controller.LoadImage(memory.Data(), ImageSize);
    int answers = 0, taken = 0;
    bool laterSent = false, spoilNext = false;
    line.OnReply = [&](const TBytes& reply) {
        ++answers;
        if (std::exchange(spoilNext, false)) {
            TBytes spoilt = reply;
            spoilt.back() ^= 0xFF;
            return spoilt;
        }
        const bool later = Address(reply.data()) == 0x0100 && !laterSent;
        laterSent = spoilNext = laterSent || later;
        return answers == 1 || later ? Undetectable(reply) : reply;
    };
    line.Link.OnBlock = [&](uint16_t address, bool) { taken += address == 0x0100; };
    line.Link.StartRead(ConfigImage{});
    line.Run();
    EXPECT_EQ(line.Link.Result.Outcome, TLinkOutcome::Done);
    EXPECT_TRUE(line.Link.Received == memory);
    EXPECT_EQ(taken, 2) << "block 0100 taken alone, then asked again";
}

} // namespace
