// TCommPort on the slave side of a pseudo-terminal pair. Unpaced: 4 MB each way against a plain
// blocking read/write loop on the same pair. Paced: a writer of line speed at 9600, 115200 and
// 256000 baud, what arrives and how fast. And the delay from the first byte of a reply on a
// quiet line to the OnDataReceived that carries it.
#include "base/HandOver.h"
#include "serial/CommPort.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;
constexpr std::size_t Total = 4u << 20;
constexpr std::uint32_t Ring = 1u << 20;

void WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n <= 0)
            std::exit(2);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::size_t ReadAll(int fd, std::size_t size) {
    static char buffer[65536];
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, buffer, std::min(sizeof buffer, size - got));
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    return got;
}

// Everything the ring holds: the port raises OnDataReceived again only when more bytes come, so
// a handler that left some would not see them once the line fell quiet.
std::size_t TakeAll(TCommPort& port) {
    static char buffer[65536];
    std::size_t taken = 0;
    while (const std::uint32_t n = port.GetBlock(buffer, sizeof buffer))
        taken += n;
    return taken;
}

double MBps(std::size_t bytes, TClock::duration time) {
    return double(bytes) / (1 << 20) / std::chrono::duration<double>(time).count();
}

// The plain loop: one thread writes the master, the other reads the raw slave.
double Plain(int master, int slave, const std::string& data, bool toSlave) {
    const auto start = TClock::now();
    std::thread writer([&] { WriteAll(toSlave ? master : slave, data.data(), data.size()); });
    const std::size_t got = ReadAll(toSlave ? slave : master, data.size());
    writer.join();
    return MBps(got, TClock::now() - start);
}

double WithPort(TCommPort& port, THandOver& handOver, int master, const std::string& data, bool toPort) {
    std::size_t received = 0, sent = 0;
    port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) { received += TakeAll(sender); };
    const auto start = TClock::now();
    std::size_t peerGot = 0;
    std::thread peer([&] {
        if (toPort)
            WriteAll(master, data.data(), data.size());
        else
            peerGot = ReadAll(master, data.size());
    });
    const auto deadline = start + std::chrono::minutes(5);
    for (;;) {
        if (toPort ? received >= data.size() : sent == data.size() && port.GetOutBuffUsed() == 0)
            break;
        if (TClock::now() > deadline)
            break;
        if (toPort) {
            handOver.WaitAndRun(TClock::now() + std::chrono::milliseconds(5));
            continue;
        }
        // The UI thread refills the output ring when there is room; nothing tells it when, so it
        // looks again after a short wait (large rings make that wait count for little).
        sent += port.PutBlock(data.data() + sent, static_cast<std::uint32_t>(data.size() - sent));
        handOver.WaitAndRun(TClock::now() + std::chrono::microseconds(200));
    }
    peer.join();
    const auto time = TClock::now() - start;
    port.OnDataReceived = nullptr;
    return MBps(toPort ? received : peerGot, time);
}

// Writes `size` bytes to the master at the line's pace (8N1: 10 bits a byte), by a schedule so
// that late wake-ups catch up; returns when the last byte is written, with the time of the first.
TClock::time_point PacedWrite(int master, const std::string& data, std::size_t size, int baud) {
    const auto start = TClock::now();
    const double bytesPerSecond = baud / 10.0;
    std::size_t written = 0;
    while (written < size) {
        const double due = std::chrono::duration<double>(TClock::now() - start).count() * bytesPerSecond;
        const std::size_t upTo = std::min(size, static_cast<std::size_t>(due) + 1);
        if (upTo > written) {
            WriteAll(master, data.data() + written, upTo - written);
            written = upTo;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return start;
}

struct TPaced {
    double Received; // bytes received / bytes sent
    double Rate;     // achieved rate / line rate
};

// A paced stream of about `seconds` into the port: what came, and how fast, from the first byte
// on the line to the last one delivered.
TPaced PacedReceive(TCommPort& port, THandOver& handOver, int master, const std::string& data, int baud,
                    double seconds) {
    port.SetBaud(baud);
    const auto size = static_cast<std::size_t>(seconds * baud / 10.0);
    std::size_t received = 0;
    TClock::time_point last{};
    port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        received += TakeAll(sender);
        last = TClock::now();
    };
    TClock::time_point start{};
    std::thread peer([&] { start = PacedWrite(master, data, size, baud); });
    const auto deadline = TClock::now() + std::chrono::duration<double>(seconds * 2 + 2);
    while (received < size && TClock::now() < deadline)
        handOver.WaitAndRun(TClock::now() + std::chrono::milliseconds(5));
    peer.join();
    // What may still come after the deadline is lost by this count.
    PumpUntil(
        handOver, [&] { return received >= size; }, std::chrono::milliseconds(200));
    port.OnDataReceived = nullptr;
    const double took = std::chrono::duration<double>(last - start).count();
    return {double(received) / size, (received / took) / (baud / 10.0)};
}

// Bursts of a 39-byte reply at 9600 baud on a quiet line: from the first byte written to the
// first OnDataReceived that carries it. Returns the delays in milliseconds.
std::vector<double> FirstByteDelays(TCommPort& port, THandOver& handOver, int master, const std::string& data,
                                    int bursts) {
    port.SetBaud(9600);
    std::size_t received = 0;
    TClock::time_point delivered{};
    port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        const std::size_t n = TakeAll(sender);
        if (n > 0 && received == 0)
            delivered = TClock::now();
        received += n;
    };
    std::vector<double> delays;
    for (int i = 0; i < bursts; ++i) {
        received = 0;
        TClock::time_point start{};
        std::thread peer([&] { start = PacedWrite(master, data, 39, 9600); });
        PumpUntil(
            handOver, [&] { return received >= 39; }, std::chrono::seconds(2));
        peer.join();
        if (received > 0)
            delays.push_back(std::chrono::duration<double, std::milli>(delivered - start).count());
        // A quiet line before the next burst.
        PumpUntil(
            handOver, [] { return false; }, std::chrono::milliseconds(120));
    }
    port.OnDataReceived = nullptr;
    return delays;
}

} // namespace

int main() {
    int master, slave;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return 1;
    termios raw{};
    ::tcgetattr(slave, &raw);
    cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    char dir[] = "/tmp/varok-bench-XXXXXX";
    if (!::mkdtemp(dir))
        return 1;
    const std::string link = std::string(dir) + "/com1";
    if (::symlink(::ttyname(slave), link.c_str()) != 0)
        return 1;
    ::setenv("VAROKCONFIG_PORTS", dir, 1);

    std::string data(Total, '\0');
    for (std::size_t i = 0; i < Total; ++i)
        data[i] = static_cast<char>(i * 131 + i / 977);

    const double plainIn = Plain(master, slave, data, true);
    const double plainOut = Plain(master, slave, data, false);

    THandOver handOver;
    TCommPort port(handOver);
    port.SetComNumber(1);
    port.SetIBuffSize(Ring);
    port.SetOBuffSize(Ring);
    port.SetBaud(115200);
    port.SetOpen(true);
    if (!port.GetOpen()) {
        std::fprintf(stderr, "%s: %s\n", TCommPort::CantOpenText.c_str(), port.GetOpenError().Text.c_str());
        return 1;
    }
    const double portIn = WithPort(port, handOver, master, data, true);
    const double portOut = WithPort(port, handOver, master, data, false);

    std::printf("4 MB through a pseudo-terminal pair, unpaced (port rings 1 MB)\n");
    std::printf("  port receives: TCommPort %8.1f MB/s  plain %8.1f MB/s  ratio %.2f  (goal >= 10 MB/s)\n",
                portIn, plainIn, portIn / plainIn);
    std::printf("  port sends:    TCommPort %8.1f MB/s  plain %8.1f MB/s  ratio %.2f  (goal ratio >= 0.8)\n",
                portOut, plainOut, portOut / plainOut);

    // The main window's ring sizes for the paced runs, as the link uses the port.
    port.SetIBuffSize(2048);
    port.SetOBuffSize(4096);
    std::printf("paced into the port, 8N1, about 3 s each (goal: received 1.000, rate >= 0.98)\n");
    for (int baud : {9600, 115200, 256000}) {
        const TPaced paced = PacedReceive(port, handOver, master, data, baud, 3.0);
        std::printf("  %6d baud: received/sent %.3f  achieved/line rate %.3f\n", baud, paced.Received,
                    paced.Rate);
    }
    std::vector<double> delays = FirstByteDelays(port, handOver, master, data, 30);
    port.SetOpen(false);
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        std::printf(
            "first byte on the line -> OnDataReceived (9600 baud, %zu quiet-line bursts): median %.1f ms, "
            "90%% %.1f ms, worst %.1f ms (design: up to about 50 ms)\n",
            delays.size(), delays[delays.size() / 2], delays[delays.size() * 9 / 10], delays.back());
    }
    ::unlink(link.c_str());
    ::rmdir(dir);
    return 0;
}
