// A full read and a full write of the image against verda-sim --pace at 9600 and 115200 baud,
// through the real main window and serial component, each beside its time on the line; then a
// read with the image view shown against one with it hidden.
//
// link_transfer noise [TRANSFERS] [RATE ...]: reads and writes over a paced line that garbles
// bytes both ways at each rate (verda-sim --pace --noise --request-noise), counted by how they
// end: correct, a clear failure, or wrong (said to be done, yet the image read or the
// controller's memory differs, or a block said to differ that does not); and the median time of
// a correct one against the same transfer on a clean line. LINK_BENCH_SEED picks the first noise
// pattern (default 1), so that runs side by side see different noise; LINK_BENCH_BAUD the rate
// (default 9600); LINK_BENCH_FLIPS=1 makes the noise flip single bits only (verda-sim --bit-flips),
// as a line does that garbles bits but never loses a byte.
#include "forms/Debug.h"
#include "link/Connection.h"
#include "link/TimerRunner.h"
#include "support/ChildProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using TClock = std::chrono::steady_clock;

// A connection to the simulated controller on COM3 at the given speed.
class TBench {
public:
    explicit TBench(int baud, bool quiet = false) {
        TLineChoice line;
        line.Search = false;
        line.Port = 3;
        line.Baud = baud;
        Connection.Apply(line);
        if (!quiet) {
            Connection.OnConnectEnded = [](const TConnectResult& result) {
                if (result.Outcome != TConnectOutcome::Connected)
                    std::fprintf(stderr, "connect: %s\n", result.Text().c_str());
            };
            Connection.OnTransferEnded = [](const TTransferResult& result, bool) {
                if (!result.Verdict().empty())
                    std::fprintf(stderr, "transfer: %s\n", result.Verdict().c_str());
            };
        }
        Connection.OnBlock = [this](uint16_t, bool) {
            if (ImageView && Connection.LinkMode() == LinkProtocol::ModeRead)
                Dbg.RefillImageView(Connection.Link.Received);
        };
    }
    // False when no controller answered.
    bool Connect() {
        Connection.Disconnect(); // a probe that failed left the port open
        Connection.Connect();
        Timers.RunUntil([this] { return Connection.LinkMode() == 0; });
        return Connection.Link.Result.Outcome == TLinkOutcome::Done;
    }

    // Seconds for a whole read or write.
    double Transfer(bool read) {
        const auto start = TClock::now();
        if (read)
            Connection.StartRead(Image);
        else
            Connection.StartWrite(Image);
        Timers.RunUntil([this] { return Connection.LinkMode() == 0; });
        return std::chrono::duration<double>(TClock::now() - start).count();
    }

    THandOver HandOver;
    TConnection Connection{HandOver};
    TTimerRunner Timers{HandOver, {&Connection.SearchTimer, &Connection.Link.ReplyTimer}};
    ConfigImage Image;
    // The image view, refilled at every block read while ImageView holds.
    TDbg Dbg;
    bool ImageView = false;
};

void Row(const char* what, int baud, double seconds, double lineBytes) {
    const double line = lineBytes * 10 / baud;
    std::printf("%-6s %6d baud  %7.3f s   line %7.3f s   ratio %5.2f\n", what, baud, seconds, line,
                seconds / line);
}

std::string Pattern(unsigned salt) {
    std::string bytes(2048, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7 + salt * 13 + (i >> 8));
    return bytes;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// verda-sim on DIR/com3; false when it did not start.
bool StartSim(TChildProcess& sim, const fs::path& self, const std::string& dir,
              std::vector<std::string> extra) {
    std::vector<std::string> args{(self / "verda-sim").string(), "--ports", dir, "--com", "3"};
    args.insert(args.end(), extra.begin(), extra.end());
    const char* flips = std::getenv("LINK_BENCH_FLIPS");
    if (flips && std::string(flips) == "1" && std::find(extra.begin(), extra.end(), "--noise") != extra.end())
        args.push_back("--bit-flips");
    if (!sim.Start(args) || sim.ReadLine().rfind("ready ", 0) != 0) {
        std::fprintf(stderr, "verda-sim did not start\n");
        return false;
    }
    return true;
}

struct TCount {
    int Correct = 0, Failed = 0, Wrong = 0;
    std::vector<double> Seconds; // of the correct ones
    // Clear failures by kind: no connection, no reply, noisy line (out of tries or of time), other.
    int NoConnection = 0, NoReply = 0, Noise = 0, OutOfTime = 0, Other = 0;
    double Median() const {
        if (Seconds.empty())
            return 0;
        std::vector<double> sorted = Seconds;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
    double Longest() const { return Seconds.empty() ? 0 : *std::max_element(Seconds.begin(), Seconds.end()); }
    void Done(double seconds) {
        ++Correct;
        Seconds.push_back(seconds);
    }
    void Fail(bool connected, const TTransferResult& result) {
        ++Failed;
        (!connected                                ? NoConnection
         : result.Outcome == TLinkOutcome::NoReply ? NoReply
         : result.OutOfTime                        ? OutOfTime
         : result.Outcome == TLinkOutcome::Noise   ? Noise
                                                   : Other)++;
    }
};

// `transfers` reads, then as many writes (each against a fresh controller, whose memory is
// checked afterwards), over a line with this noise rate.
bool Noisy(const fs::path& self, const std::string& dir, int baud, double rate, int transfers, TCount& reads,
           TCount& writes) {
    const std::string noise = std::to_string(rate);
    const char* patternText = std::getenv("LINK_BENCH_SEED");
    const unsigned long long pattern = patternText ? std::strtoull(patternText, nullptr, 10) : 1;
    const std::string memory = Pattern(1);
    std::ofstream(fs::path(dir) / "memory.usr", std::ios::binary) << memory;
    TChildProcess sim;
    if (!StartSim(sim, self, dir,
                  {"--pace", "--image", dir + "/memory.usr", "--noise", noise, "--request-noise", noise,
                   "--seed", std::to_string(pattern)}))
        return false;
    TBench bench(baud, true);
    bool connected = false;
    for (int i = 0; i < transfers; ++i) {
        if (!connected && !(connected = bench.Connect())) {
            reads.Fail(false, bench.Connection.Link.Result);
            continue;
        }
        const double seconds = bench.Transfer(true);
        const TTransferResult& result = bench.Connection.Link.Result;
        const bool same = std::equal(memory.begin(), memory.end(),
                                     reinterpret_cast<const char*>(bench.Connection.Link.Received.Data()));
        // A failed read may have lost the port: the next one connects again.
        if (result.Outcome != TLinkOutcome::Done) {
            reads.Fail(true, result);
            connected = false;
        } else if (same) {
            reads.Done(seconds);
        } else {
            ++reads.Wrong;
        }
    }
    sim.Finish(SIGTERM);
    for (int i = 0; i < transfers; ++i) {
        TChildProcess writer;
        if (!StartSim(writer, self, dir,
                      {"--pace", "--save", dir + "/saved.usr", "--noise", noise, "--request-noise", noise,
                       "--seed", std::to_string(pattern + 100 + static_cast<unsigned>(i))}))
            return false;
        TBench one(baud, true);
        const std::string image = Pattern(static_cast<unsigned>(i + 2));
        std::copy(image.begin(), image.end(), reinterpret_cast<char*>(one.Image.Data()));
        bool connected = false;
        for (int attempt = 0; attempt < 3 && !connected; ++attempt)
            connected = one.Connect();
        const double seconds = connected ? one.Transfer(false) : 0;
        const TTransferResult result = one.Connection.Link.Result;
        writer.Finish(SIGTERM);
        const bool same = ReadFile(fs::path(dir) / "saved.usr") == image;
        // Done with the memory different, or a compare failure when every block was stored right.
        const bool compared = result.Outcome == TLinkOutcome::Compare;
        if (connected && ((result.Outcome == TLinkOutcome::Done && !same) || (compared && same)))
            ++writes.Wrong;
        else if (connected && result.Outcome == TLinkOutcome::Done)
            writes.Done(seconds);
        else
            writes.Fail(connected, result);
    }
    return true;
}

int NoiseBench(const fs::path& self, const std::string& dir, int transfers, std::vector<double> rates) {
    const char* baudText = std::getenv("LINK_BENCH_BAUD");
    const int baud = baudText ? std::atoi(baudText) : 9600;
    TCount cleanReads, cleanWrites;
    if (!Noisy(self, dir, baud, 0, std::max(3, transfers / 10), cleanReads, cleanWrites))
        return 1;
    std::printf("clean line, %d baud, paced: read %.3f s, write %.3f s (medians)\n", baud,
                cleanReads.Median(), cleanWrites.Median());
    for (const double rate : rates) {
        TCount reads, writes;
        if (!Noisy(self, dir, baud, rate, transfers, reads, writes))
            return 1;
        for (const auto& [what, count, clean] : {std::tuple{"reads", reads, cleanReads.Median()},
                                                 std::tuple{"writes", writes, cleanWrites.Median()}})
            std::printf(
                "noise %4.1f %% both ways  %3d %-6s  correct %3d  clear failure %3d (no connection %d, "
                "no reply %d, noisy line %d, out of time %d, other %d)  wrong %d   median correct %.2f s "
                "(%.2f x clean), longest %.2f s\n",
                rate * 100, transfers, what, count.Correct, count.Failed, count.NoConnection, count.NoReply,
                count.Noise, count.OutOfTime, count.Other, count.Wrong, count.Median(),
                clean > 0 ? count.Median() / clean : 0.0, count.Longest());
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const fs::path self = fs::absolute(argv[0]).parent_path();
    char pattern[] = "/tmp/link-transfer-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    setenv("VAROKCONFIG_PORTS", dir.c_str(), 1);

    if (argc > 1 && std::string(argv[1]) == "noise") {
        const int transfers = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
        std::vector<double> rates;
        for (int i = 3; i < argc; ++i)
            rates.push_back(std::atof(argv[i]));
        if (rates.empty())
            rates = {0.001, 0.01, 0.05};
        const int status = NoiseBench(self, dir, transfers, rates);
        fs::remove_all(dir);
        return status;
    }

    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    TChildProcess sim;
    if (!StartSim(sim, self, dir, {"--pace"}))
        return 1;
    // A read is 64 × (7 + 39) bytes on the line, a write 64 × (39 + 39).
    for (const int baud : {9600, 115200}) {
        TBench bench(baud);
        if (!bench.Connect()) {
            std::fprintf(stderr, "no connection at %d baud\n", baud);
            return 1;
        }
        for (int r = 0; r < rounds; ++r) {
            Row("read", baud, bench.Transfer(true), 64 * 46);
            Row("write", baud, bench.Transfer(false), 64 * 78);
        }
    }

    TBench bench(115200);
    if (!bench.Connect())
        return 1;
    double hidden = 0, shown = 0;
    for (int r = 0; r < rounds; ++r) {
        hidden += bench.Transfer(true);
        bench.ImageView = true;
        shown += bench.Transfer(true);
        bench.ImageView = false;
    }
    std::printf("image view at 115200 baud: read hidden %.3f s, shown %.3f s, ratio %.3f\n", hidden / rounds,
                shown / rounds, shown / hidden);

    sim.Finish(SIGTERM);
    fs::remove_all(dir);
    return 0;
}
