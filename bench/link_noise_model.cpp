// link_noise_model [TRANSFERS] [RATE ...]: reads and writes of the whole image over a modelled
// 9600-baud line that garbles bytes both ways, on the line's own clock: each byte takes its 10
// bits' time, the controller (the simulator's engine) answers 2 ms after a request, and the link's
// reply timer runs out when its interval has passed with nothing delivered. Noise patterns 1 … TRANSFERS
// are used, so two runs print the same figures; the paced benchmark (link_transfer noise)
// measures the same against verda-sim on a real pseudo-terminal. Each transfer ends correct, in a
// clear failure, or wrong (said to be done while the image differs); the median time of the
// correct ones is set against the clean line's. LINK_BENCH_FLIPS=1: the noise flips single bits
// only, no byte is lost and none comes stray.
#include "SimController.h"
#include "link/ControllerLink.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace {
using namespace LinkProtocol;
using TTime = TControllerLink::TClock::time_point;
using std::chrono::microseconds;

constexpr int Baud = 9600;
constexpr auto Answer = std::chrono::milliseconds(2);

struct TEnd {
    bool Done = false, Exact = false, Compared = false;
    double Seconds = 0;
    std::string Verdict;
};

ConfigImage Pattern(unsigned salt) {
    ConfigImage image;
    for (size_t i = 0; i < ImageSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + salt * 13 + (i >> 8));
    return image;
}

// One connection (probes until answered, three at most), then one read or write.
TEnd Transfer(double rate, bool flips, uint64_t pattern, bool read) {
    TSimFaults faults;
    faults.Noise = faults.RequestNoise = rate;
    faults.BitFlips = flips;
    faults.NoiseStart = pattern;
    TSimController controller(faults);
    const ConfigImage memory = Pattern(1), image = Pattern(2);
    controller.LoadImage(memory.Data(), ImageSize);

    uint8_t mode = ModeIdle;
    TControllerLink link(mode);
    link.SetLine(Baud, 10);
    const microseconds byteTime(10'000'000 / Baud);
    TTime now{}, lineFree{}, due = TTime::max();
    struct TDelivery {
        TTime At;
        LinkProtocol::TBytes Bytes;
    };
    std::deque<TDelivery> deliveries;
    link.Now = [&] { return now; };
    link.ReplyTimer.Watch([&] {
        due = link.ReplyTimer.Running() ? now + std::chrono::milliseconds(link.ReplyTimer.Interval)
                                        : TTime::max();
    });
    link.Send = [&](const uint8_t* data, size_t size) {
        const TTime heard = std::max(now, lineFree) + byteTime * static_cast<int>(size);
        for (auto& reply : controller.Feed(data, size)) {
            // A reply reaches the editor whole, once its last byte is on the line.
            lineFree = heard + Answer + byteTime * static_cast<int>(reply.size());
            deliveries.push_back({lineFree, std::move(reply)});
        }
    };
    const auto run = [&] {
        while (mode != ModeIdle) {
            if (deliveries.empty() || due <= deliveries.front().At) {
                if (due == TTime::max())
                    std::abort(); // the link waits for nothing
                now = due;
                // The line was idle for longer than a packet: the controller forgets a partial request.
                controller.DropPartial();
                due = TTime::max();
                link.ReplyTimer.Tick();
                continue;
            }
            const TDelivery delivery = std::move(deliveries.front());
            deliveries.pop_front();
            now = delivery.At;
            link.Receive(delivery.Bytes.data(), delivery.Bytes.size());
        }
    };
    for (int probe = 0; probe < 3 && link.ProbeAnswer != ControllerAnswer; ++probe) {
        link.StartProbe(true);
        run();
    }
    if (link.ProbeAnswer != ControllerAnswer)
        return {false, false, false, 0, "no connection"};
    const TTime start = now;
    if (read)
        link.StartRead(ConfigImage{});
    else
        link.StartWrite(image);
    run();
    TEnd end;
    end.Done = link.Result.Outcome == TLinkOutcome::Done;
    end.Compared = link.Result.Outcome == TLinkOutcome::Compare;
    end.Exact = read ? link.Received == memory
                     : std::equal(image.Data(), image.Data() + ImageSize, controller.Memory().begin());
    end.Seconds = std::chrono::duration<double>(now - start).count();
    end.Verdict = link.Result.Verdict();
    end.Verdict = end.Verdict.substr(0, end.Verdict.find('\n'));
    return end;
}
} // namespace

int main(int argc, char** argv) {
    const int transfers = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::vector<double> rates;
    for (int i = 2; i < argc; ++i)
        rates.push_back(std::atof(argv[i]));
    if (rates.empty())
        rates = {0.001, 0.01, 0.05};
    const char* flipsText = std::getenv("LINK_BENCH_FLIPS");
    const bool flips = flipsText && std::string(flipsText) == "1";
    std::printf("%d baud, noise both ways, %s\n", Baud,
                flips ? "single bits flipped" : "bytes garbled or lost, stray bytes before replies");
    for (const bool read : {true, false}) {
        const double clean = Transfer(0, flips, 1, read).Seconds;
        std::printf("%s: clean line %.2f s\n", read ? "reads" : "writes", clean);
        for (const double rate : rates) {
            std::vector<double> seconds;
            int failed = 0, wrong = 0;
            std::map<std::string, int> failures;
            double longestFailure = 0;
            for (int pattern = 1; pattern <= transfers; ++pattern) {
                const TEnd end = Transfer(rate, flips, static_cast<uint64_t>(pattern), read);
                if (end.Done && end.Exact) {
                    seconds.push_back(end.Seconds);
                } else if (end.Done || (end.Compared && end.Exact)) {
                    // Done with the image different, or a block said to differ that does not.
                    ++wrong;
                    if (std::getenv("LINK_BENCH_SHOW"))
                        std::printf("           wrong: noise pattern %d: %s\n", pattern, end.Verdict.c_str());
                } else {
                    ++failed;
                    // "блок 0040 не удалось передать" and the like count as one kind.
                    const size_t block = end.Verdict.find("блок ");
                    ++failures[block == std::string::npos ? end.Verdict
                                                          : end.Verdict.substr(0, block) + "блок …"];
                    longestFailure = std::max(longestFailure, end.Seconds);
                }
            }
            std::sort(seconds.begin(), seconds.end());
            const double median = seconds.empty() ? 0 : seconds[seconds.size() / 2];
            std::printf("  %5.1f %%  correct %3zu  clear failure %3d  wrong %d  median correct %6.2f s (%.2f "
                        "x clean)\n",
                        rate * 100, seconds.size(), failed, wrong, median, median / clean);
            for (const auto& [verdict, count] : failures)
                std::printf("           %3d x %s\n", count, verdict.c_str());
            if (failed > 0)
                std::printf("           the longest failure ended after %.1f s\n", longestFailure);
        }
    }
    return 0;
}
