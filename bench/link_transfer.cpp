// A full read and a full write of the image against verda-sim --pace at 9600 and 115200 baud,
// through the real main window and serial component, each beside its time on the line; then a
// read with the image view shown against one with it hidden.
#include "app/UnitMain.h"
#include "support/ChildProcess.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto ReplyWait = std::chrono::seconds(10);

class TQuietUi : public TUi {
public:
    TModalResult MessageBox(TBoxKind kind, const std::string&, const std::string& text,
                            TBoxButtons) override {
        if (kind == TBoxKind::Error || kind == TBoxKind::Warning)
            std::fprintf(stderr, "box: %s\n", text.c_str());
        return TModalResult::Ok;
    }
    bool OpenFileDialog(const TFileDialog&, std::string&) override { return false; }
    bool SaveFileDialog(const TFileDialog&, std::string&) override { return false; }
    TModalResult ShowModal(TForm& form) override {
        auto& dialog = static_cast<TSetComPort&>(form);
        dialog.Button1.Click();
        return dialog.ModalResult;
    }
    bool OpenInTextEditor(const std::string&) override { return false; }
};

// One editor connected to the simulated controller on COM3 at the given speed.
class TBench {
public:
    explicit TBench(int baud) : Main(Ui, "") {
        TSetComPort& dialog = Main.SetComPort;
        dialog.CheckBox1.Click();
        dialog.ComboBoxPort.Select(2);
        dialog.ComboBoxSpeed.Type(std::to_string(baud));
        Main.TBFind.Click();
        if (!PumpUntil(
                Main.HandOver, [this] { return Main.LinkMode == 0; }, ReplyWait) ||
            !Main.TBRead.Enabled()) {
            std::fprintf(stderr, "no connection at %d baud\n", baud);
            std::exit(1);
        }
    }

    // Seconds for a whole read (mode 3) or write (mode 2).
    double Transfer(bool read) {
        const auto start = TClock::now();
        if (read)
            Main.TBReadClick();
        else
            Main.TBWriteClick();
        if (!PumpUntil(
                Main.HandOver, [this] { return Main.LinkMode == 0; }, 64 * ReplyWait)) {
            std::fprintf(stderr, "transfer did not end\n");
            std::exit(1);
        }
        return std::chrono::duration<double>(TClock::now() - start).count();
    }

    TQuietUi Ui;
    TMain Main;
};

void Row(const char* what, int baud, double seconds, double lineBytes) {
    const double line = lineBytes * 10 / baud;
    std::printf("%-6s %6d baud  %7.3f s   line %7.3f s   ratio %5.2f\n", what, baud, seconds, line,
                seconds / line);
}

} // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path self = fs::absolute(argv[0]).parent_path();
    char pattern[] = "/tmp/link-transfer-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string dir = pattern;
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    TChildProcess sim;
    if (!sim.Start({(self / "verda-sim").string(), "--ports", dir, "--com", "3", "--pace"}) ||
        sim.ReadLine().rfind("ready ", 0) != 0) {
        std::fprintf(stderr, "verda-sim did not start\n");
        return 1;
    }
    setenv("VAROKCONFIG_PORTS", dir.c_str(), 1);

    // A read is 64 × (7 + 39) bytes on the line, a write 64 × (39 + 39).
    for (const int baud : {9600, 115200}) {
        TBench bench(baud);
        for (int r = 0; r < rounds; ++r) {
            Row("read", baud, bench.Transfer(true), 64 * 46);
            Row("write", baud, bench.Transfer(false), 64 * 78);
        }
    }

    TBench bench(115200);
    double hidden = 0, shown = 0;
    for (int r = 0; r < rounds; ++r) {
        hidden += bench.Transfer(true);
        bench.Main.TBDebugClick();
        shown += bench.Transfer(true);
        bench.Main.Dbg.Hide();
        bench.Main.FormPort.Hide();
    }
    std::printf("image view at 115200 baud: read hidden %.3f s, shown %.3f s, ratio %.3f\n", hidden / rounds,
                shown / rounds, shown / hidden);

    sim.Finish(SIGTERM);
    fs::remove_all(dir);
    return 0;
}
