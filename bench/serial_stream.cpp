// 4 MB through a pseudo-terminal pair: TCommPort on the slave side against a plain blocking
// read/write loop on the same pair, in both directions. Prints the throughputs and their ratio.
#include "serial/CommPort.h"
#include "ui/HandOver.h"
#include "ui/Ui.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using TClock = std::chrono::steady_clock;
constexpr std::size_t Total = 4u << 20;

class TQuietUi : public TUi {
public:
    TModalResult MessageBox(TBoxKind, const std::string& caption, const std::string& text,
                            TBoxButtons) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return TModalResult::Ok;
    }
    bool OpenFileDialog(const TFileDialog&, std::string&) override { return false; }
    bool SaveFileDialog(const TFileDialog&, std::string&) override { return false; }
    TModalResult ShowModal(TForm&) override { return TModalResult::Cancel; }
    bool OpenInTextEditor(const std::string&) override { return false; }
};

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
    port.OnDataReceived = [&](TCommPort& sender, std::uint32_t) {
        char buffer[65536];
        received += sender.GetBlock(buffer, sizeof buffer);
    };
    const auto start = TClock::now();
    std::size_t peerGot = 0;
    std::thread peer([&] {
        if (toPort)
            WriteAll(master, data.data(), data.size());
        else
            peerGot = ReadAll(master, data.size());
    });
    // The UI thread refills the output ring as soon as there is room, as the link does.
    const auto deadline = start + std::chrono::minutes(5);
    for (;;) {
        if (toPort ? received >= data.size() : sent == data.size() && port.GetOutBuffUsed() == 0)
            break;
        if (TClock::now() > deadline)
            break;
        if (!toPort)
            sent += port.PutBlock(data.data() + sent, static_cast<std::uint32_t>(data.size() - sent));
        handOver.WaitAndRun(TClock::now() + std::chrono::microseconds(toPort ? 5000 : 200));
    }
    peer.join();
    const auto time = TClock::now() - start;
    port.OnDataReceived = nullptr;
    return MBps(toPort ? received : peerGot, time);
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

    TQuietUi ui;
    THandOver handOver;
    TCommPort port(ui, handOver);
    port.SetComNumber(1);
    port.SetIBuffSize(65536);
    port.SetOBuffSize(65536);
    port.SetBaud(115200);
    port.SetOpen(true);
    if (!port.GetOpen())
        return 1;
    const double portIn = WithPort(port, handOver, master, data, true);
    const double portOut = WithPort(port, handOver, master, data, false);
    port.SetOpen(false);

    std::printf("4 MB through a pseudo-terminal pair (port rings 64 KB)\n");
    std::printf("  port sends:    TCommPort %8.1f MB/s  plain %8.1f MB/s  ratio %.2f\n", portOut, plainOut,
                portOut / plainOut);
    std::printf("  port receives: TCommPort %8.1f MB/s  plain %8.1f MB/s  ratio %.2f\n", portIn, plainIn,
                portIn / plainIn);
    const double both = (portIn + portOut) / (plainIn + plainOut);
    std::printf("  both ways:     ratio %.2f (goal >= 0.8)\n", both);
    ::unlink(link.c_str());
    ::rmdir(dir);
    return 0;
}
