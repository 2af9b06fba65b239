// The link alone against the simulated controller's engine, without threads or clocks: the
// replies are handed over as they come and the reply timer is ticked by hand whenever the line
// is quiet. Whatever the line does, a transfer that says it is done moved the image exactly.
#include "link/ControllerLink.h"
#include "SimController.h"
#include "link/Crc8.h"
#include <deque>
#include <gtest/gtest.h>
#include <map>

namespace {
using namespace LinkProtocol;
using namespace std::chrono_literals;

ConfigImage Pattern(unsigned salt) {
    ConfigImage image;
    for (size_t i = 0; i < ImageSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + salt * 13 + (i >> 8));
    return image;
}

// The reply with two data bytes changed and its checksum made to fit: an error it cannot see.
TBytes Undetectable(TBytes reply) {
    reply[DataAt + 3] ^= 0x21;
    reply[DataAt + 17] ^= 0x84;
    reply.back() = Crc8(reply.data(), reply.size() - 1);
    return reply;
}

// The link on a line to the controller's engine, which may change each request and each answer
// (counted from 1) on its way. Time passes only on the line: 50 ms an answer, a tick its wait.
class TLine {
public:
    explicit TLine(const TSimFaults& faults = {}) : Controller(faults) {
        Link.Now = [this] { return Clock; };
        Link.Send = [this](const uint8_t* data, size_t size) {
            const TBytes request =
                OnRequest ? OnRequest(TBytes(data, data + size)) : TBytes(data, data + size);
            for (auto& reply : Controller.Feed(request.data(), request.size()))
                Replies.push_back(std::move(reply));
        };
    }
    void Run() {
        for (int step = 0; Mode != ModeIdle && step < 100000; ++step) {
            if (Replies.empty()) {
                ASSERT_TRUE(Link.ReplyTimer.Running()) << "waits for nothing";
                // The line has been idle: a request the controller got in part is over.
                Controller.DropPartial();
                Clock += std::chrono::milliseconds(Link.ReplyTimer.Interval);
                Link.ReplyTimer.Tick();
                continue;
            }
            const TBytes reply = OnReply ? OnReply(++Answers, Replies.front()) : Replies.front();
            Replies.pop_front();
            Clock += 50ms;
            Link.Receive(reply.data(), reply.size());
        }
        ASSERT_EQ(Mode, ModeIdle);
    }

    uint8_t Mode = ModeIdle;
    TControllerLink Link{Mode};
    TSimController Controller;
    std::function<TBytes(const TBytes& request)> OnRequest;
    std::function<TBytes(int answer, const TBytes& reply)> OnReply;
    int Answers = 0;
    std::deque<TBytes> Replies;
    TControllerLink::TClock::time_point Clock{};
};

// A copy of the reply with one data byte changed: its checksum fails.
TBytes OneByteOff(TBytes reply) {
    reply[DataAt + 9] ^= 0x10;
    return reply;
}

TEST(ControllerLinkOverNoise, DoneMeansTheImageMovedExactly) {
    for (const double rate : {0.01, 0.05})
        for (uint64_t pattern = 1; pattern <= 50; ++pattern)
            for (const bool read : {true, false}) {
                const bool flips = pattern % 2 == 0;
                SCOPED_TRACE("noise " + std::to_string(rate) + " pattern " + std::to_string(pattern) +
                             (read ? " read" : " write") + (flips ? " bit flips" : ""));
                TSimFaults faults;
                faults.Noise = faults.RequestNoise = rate;
                faults.BitFlips = flips;
                faults.NoiseStart = pattern;
                TLine line(faults);
                const ConfigImage memory = Pattern(1), image = Pattern(2);
                line.Controller.LoadImage(memory.Data(), ImageSize);
                // Connected first: the probe tells how soon this controller answers.
                for (int probe = 0; probe < 3 && line.Link.ProbeAnswer != ControllerAnswer; ++probe) {
                    line.Link.StartProbe(true);
                    line.Run();
                }
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
                    EXPECT_TRUE(read ? line.Link.Received == memory
                                     : std::equal(image.Data(), image.Data() + ImageSize,
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

// A pause inside the first reply: the link asks again, then the rest of that reply comes right
// before the answer to the request sent again. Block 0000 holds 00 01 26 33 00 00 at byte 4, so
// its reply turned at that point is a whole reply for block 0000 whose checksum holds.
TEST(ControllerLinkTrust, LateTailNeverSplicesWithTheNextReply) {
    ConfigImage memory;
    for (size_t i = 0; i < BlockSize; ++i)
        memory[i] = static_cast<uint8_t>(0x40 + i);
    const uint8_t trap[] = {0x00, 0x77, 0x42, 0x43, 0x00, 0x01, 0x26, 0x33, 0x00, 0x00};
    std::copy(std::begin(trap), std::end(trap), memory.Data());
    const size_t cut = DataAt + 4;
    TLine line;
    line.Controller.LoadImage(memory.Data(), ImageSize);
    line.OnReply = [&](int answer, const TBytes& reply) {
        TBytes turned(reply.begin() + cut, reply.end());
        turned.insert(turned.end(), reply.begin(), answer == 2 ? reply.end() : reply.begin() + cut);
        if (answer == 2) {
            EXPECT_TRUE(ChecksumMatches(turned.data(), BlockPacketSize));
        }
        return answer == 1 ? TBytes(reply.begin(), reply.begin() + cut) : answer == 2 ? turned : reply;
    };
    line.Link.StartRead(ConfigImage{});
    line.Run();
    EXPECT_EQ(line.Link.Result.Outcome, TLinkOutcome::Done);
    EXPECT_TRUE(line.Link.Received == memory);
}

// A write request for block 0020 whose address turned into 0000 past the controller's check: the
// controller stores the data at 0000 and says so. Block 0000 is written again before the end,
// with or without the read-back.
TEST(ControllerLinkTrust, MisaddressedWriteIsRepaired) {
    for (const bool readBack : {true, false}) {
        TLine line;
        const ConfigImage image = Pattern(3);
        const TBytes astray = WriteRequestPacket(0x0020, {image.Data() + 0x0020, BlockSize});
        int strays = 0;
        line.OnRequest = [&](const TBytes& request) {
            return request == astray && strays++ == 0
                       ? WriteRequestPacket(0x0000, {image.Data() + 0x0020, BlockSize})
                       : request;
        };
        line.Link.ReadBack = readBack;
        line.Link.StartWrite(image);
        line.Run();
        EXPECT_EQ(line.Link.Result.Outcome, TLinkOutcome::Done);
        EXPECT_TRUE(std::equal(image.Data(), image.Data() + ImageSize, line.Controller.Memory().begin()));
    }
}

// The first reply of a read, and a reply for block 0100 taken on its checksum alone once the line
// had proved clean, carry an error their checksum cannot see: the first is never taken alone, the
// second is asked again when the line shows noise right after it.
TEST(ControllerLinkTrust, RepliesWithUnseenErrorsAreAskedAgain) {
    TLine line;
    const ConfigImage memory = Pattern(4);
    line.Controller.LoadImage(memory.Data(), ImageSize);
    int later = 0;
    std::map<uint16_t, int> taken;
    line.OnReply = [&](int answer, const TBytes& reply) {
        later += later > 0 || Address(reply.data()) == 0x0100;
        TBytes changed = answer == 1 || later == 1 ? Undetectable(reply) : reply;
        changed.back() ^= later == 2 ? 0xFF : 0x00;
        return changed;
    };
    line.Link.OnBlock = [&](uint16_t address, bool) { ++taken[address]; };
    line.Link.StartRead(ConfigImage{});
    line.Run();
    EXPECT_EQ(line.Link.Result.Outcome, TLinkOutcome::Done);
    EXPECT_TRUE(line.Link.Received == memory);
    EXPECT_EQ(taken[0x0000], 1) << "the first block taken once it came right twice";
    EXPECT_EQ(taken[0x0100], 2) << "block 0100 taken alone, then asked again";
}

// The checksum sees any error confined to one byte, so a checked reply and a copy one byte off it
// make a pair, whichever came first; a reply with an error the checksum cannot see is three bytes
// off a copy with one garbled byte, and is not taken: the next right reply pairs with that copy.
TEST(ControllerLinkTrust, CopyOneByteOffConfirmsACheckedReply) {
    // What became of the first two answers: - nothing, o one byte off, u an error the checksum cannot see.
    for (const auto& [turns, takenAt] : {std::pair{"-o", 2}, {"o-", 2}, {"uo", 3}}) {
        TLine line;
        line.Controller.LoadImage(Pattern(5).Data(), ImageSize);
        line.OnReply = [turns](int answer, const TBytes& reply) {
            const char turn = answer <= 2 ? turns[answer - 1] : '-';
            return turn == 'o' ? OneByteOff(reply) : turn == 'u' ? Undetectable(reply) : reply;
        };
        int at = 0;
        line.Link.OnBlock = [&](uint16_t address, bool) { at = address == 0 ? line.Answers : at; };
        line.Link.StartRead(ConfigImage{});
        line.Run();
        EXPECT_TRUE(line.Link.Result.Outcome == TLinkOutcome::Done && line.Link.Received == Pattern(5))
            << turns;
        EXPECT_EQ(at, takenAt) << turns;
    }
}

// Write requests that never arrive, while probes do: the controller is there and the line is
// named; a controller that answers nothing any more is silent.
TEST(ControllerLinkOverNoise, LostWriteRequestsAreNotASilentController) {
    for (const bool answersProbes : {true, false}) {
        TLine line;
        line.Link.StartProbe(true);
        line.Run();
        ASSERT_EQ(line.Link.ProbeAnswer, ControllerAnswer);
        line.OnRequest = [&](const TBytes& request) {
            return request.size() == ProbeSize && answersProbes ? request : TBytes{};
        };
        line.Link.StartWrite(Pattern(6));
        line.Run();
        EXPECT_EQ(line.Link.Result.Outcome, answersProbes ? TLinkOutcome::Noise : TLinkOutcome::NoReply);
    }
}

} // namespace
