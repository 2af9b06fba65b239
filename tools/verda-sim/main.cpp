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
    std::string error;
    const auto options = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "verda-sim: %s\n%s", error.c_str(), SimUsage().c_str());
        return 2;
    }
    if (options->Help || options->Version) {
        std::fputs(options->Help ? SimHelp().c_str() : (VersionLine("verda-sim") + "\n").c_str(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
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
