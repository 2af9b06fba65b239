// The link alone against the simulated controller's engine over a noisy line, without threads or
// clocks: the replies are handed over as they come and the reply timer is ticked whenever the
// line is quiet. Whatever the noise, a transfer that says it is done moved the image exactly.
#include "link/ControllerLink.h"
#include "SimController.h"
#include <deque>
#include <gtest/gtest.h>

namespace {
using namespace LinkProtocol;

ConfigImage Pattern(unsigned salt) {
    ConfigImage image;
    for (size_t i = 0; i < ImageSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + salt * 13 + (i >> 8));
    return image;
}

TEST(ControllerLinkOverNoise, DoneMeansTheImageMovedExactly) {
    int done = 0, failed = 0;
    for (const double rate : {0.01, 0.05})
        for (uint64_t seed = 1; seed <= 50; ++seed)
            for (const bool read : {true, false}) {
                SCOPED_TRACE("noise " + std::to_string(rate) + " seed " + std::to_string(seed) +
                             (read ? " read" : " write"));
                TSimFaults faults;
                faults.Noise = rate;
                faults.Seed = seed;
                TSimController controller(faults);
                const ConfigImage memory = Pattern(1), image = Pattern(2);
                controller.LoadImage(memory.Data(), ImageSize);
                uint8_t mode = ModeIdle;
                TControllerLink link(mode);
                std::deque<TBytes> line;
                link.Send = [&](const uint8_t* data, size_t size) {
                    for (auto& reply : controller.Feed(data, size))
                        line.push_back(std::move(reply));
                };
                bool ended = false;
                link.OnEnd = [&] { ended = true; };
                if (read)
                    link.StartRead(image);
                else
                    link.StartWrite(image);
                for (int step = 0; !ended && step < 10000; ++step) {
                    if (line.empty()) {
                        ASSERT_TRUE(link.ReplyTimer.Running()) << "waits for nothing";
                        link.ReplyTimer.Tick();
                        continue;
                    }
                    link.Receive(line.front().data(), line.front().size());
                    line.pop_front();
                }
                ASSERT_TRUE(ended);
                const TLinkOutcome outcome = link.Result.Outcome;
                if (outcome == TLinkOutcome::Done) {
                    ++done;
                    if (read)
                        EXPECT_TRUE(link.Received == memory);
                    else
                        EXPECT_TRUE(
                            std::equal(image.Data(), image.Data() + ImageSize, controller.Memory().begin()));
                } else {
                    ++failed;
                    EXPECT_TRUE(outcome == TLinkOutcome::Checksum || outcome == TLinkOutcome::NoReply)
                        << "noise is no reason for a compare failure or a block moved twice";
                }
            }
    // Most transfers get through at 1 %, and none is left undecided.
    EXPECT_EQ(done + failed, 200);
    EXPECT_GT(done, 0);
}

} // namespace
