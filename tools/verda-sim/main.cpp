#include "SimController.h"
#include "SimLink.h"
#include "SimOptions.h"
#include "SimPty.h"
#include "SimServer.h"
#include "base/StandardStreams.h"
#include "base/Version.h"
#include "project/FileUtil.h"
#include "serial/SerialDevice.h"
#include <csignal>
#include <cstdio>
#include <string>
#include <sys/signalfd.h>
#include <unistd.h>
#include <vector>

namespace {
const char* const SimHelp =
    "Usage: verda-sim --ports DIR --com N [--image FILE.usr] [--save FILE.usr] [--pace] [FAULTS]\n"
    "A simulated controller of the VERDA voice-alarm system on a pseudo-terminal: it links DIR/comN to\n"
    "its device, prints \"ready DEVICE\" and answers the probe, read and write requests over its\n"
    "2048-byte memory until SIGINT or SIGTERM.\n"
    "\n"
    "Options:\n"
    "  --ports DIR            the ports folder (VAROKCONFIG_PORTS of the editor and varokconfig-cli)\n"
    "  --com N                serves as port N: DIR/comN\n"
    "  --image FILE.usr       the memory at start (zero-filled to 2048 bytes); all zero without it\n"
    "  --save FILE.usr        writes the memory to FILE at the end\n"
    "  --pace                 every byte takes its time on the line at the speed the port is set to\n"
    "  --version              prints the version and exits\n"
    "  --help                 prints this help and exits\n"
    "\n"
    "Faults, for testing (combinable; ADDR and HH are hexadecimal: 07E0, 0x07E0, AA):\n"
    "  --silent               never answers\n"
    "  --probe-answer HH      answers the probe with this byte instead of AA\n"
    "  --probe-length N       sends only the first N bytes of its probe reply\n"
    "  --split N              sends each reply in pieces of N bytes, 5 ms apart\n"
    "  --stuck-block ADDR     does not store writes to this block\n"
    "  --reply-address ADDR   names ADDR in its first block reply\n"
    "  --fixed-reply-address ADDR\n"
    "                         names ADDR in every block reply\n"
    "  --stop-after N         answers nothing after the N-th answer\n"
    "  --bad-crc              inverts the checksum of every reply\n"
    "  --hangup-after N       closes its line after the N-th answer, as an unplugged adapter does\n"
    "  --noise RATE           a noisy line: each reply byte is corrupted or lost with this chance\n"
    "                         (0 to 1), and as often per reply byte a stray byte comes before a reply\n"
    "  --request-noise RATE   each request byte is corrupted or lost with this chance on its way in\n"
    "  --bit-flips            the noise flips one bit of a byte: no byte is lost, none comes stray\n"
    "  --seed N               the seed of the noise: the same seed gives the same noise\n"
    "\n"
    "A request left half-received is dropped when the line has been idle for a packet's time, or when\n"
    "the editor clears its input (as it does on opening the port and before each transfer).\n";

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "verda-sim: %s\n", message.c_str());
    return status;
}

bool LoadImage(const std::string& path, TSimController& controller) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes, TSimController::MemorySize))
        return false;
    controller.LoadImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

// Atomic, so a failed save leaves the previous image file whole.
bool SaveImage(const std::string& path, const TSimController& controller) {
    const auto& memory = controller.Memory();
    return static_cast<bool>(WriteFileAtomically(path, std::string(memory.begin(), memory.end())));
}
} // namespace

int main(int argc, char** argv) {
    OpenStandardStreams();
    if (argc == 2 && (std::string(argv[1]) == "--version" || std::string(argv[1]) == "--help")) {
        if (std::string(argv[1]) == "--version")
            std::printf("%s\n", VersionLine("verda-sim").c_str());
        else
            std::fputs(SimHelp, stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    std::string error;
    const auto options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "verda-sim: %s\n%s", error.c_str(), SimUsage);
        return 2;
    }

    // The stop signals are blocked from the start and taken through a descriptor, so one
    // that arrives at any moment, even before serving begins, is seen by the serving loop.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &stopSignals, nullptr) != 0)
        return Fail("cannot block signals", 1);
    const int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (stopFd < 0)
        return Fail("signalfd failed", 1);
    std::signal(SIGPIPE, SIG_IGN);

    TSimController controller(options->Faults);
    if (!options->ImagePath.empty() && !LoadImage(options->ImagePath, controller))
        return Fail("cannot read image " + options->ImagePath, 2);

    TSimPty pty;
    if (!pty.Open(error))
        return Fail(error, 1);
    TSimLink link;
    if (!link.Create(PortsDirDeviceName(options->PortsDir, options->ComNumber), pty.DeviceName(), error))
        return Fail(error, 1);
    std::printf("ready %s\n", pty.DeviceName().c_str());
    std::fflush(stdout);

    TSimServer(controller, pty, *options).Run(stopFd);

    link.Remove();
    close(stopFd);
    if (!options->SavePath.empty() && !SaveImage(options->SavePath, controller))
        return Fail("cannot write " + options->SavePath, 1);
    return 0;
}
