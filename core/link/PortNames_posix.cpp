#include "link/PortNames.h"
#include "serial/SerialDevice.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

namespace {

const std::filesystem::path ByIdDir = "/dev/serial/by-id";

// The kernel makes /dev/ttyS0 … ttyS31 whether a UART is fitted or not; one that is not has
// the type 0 ("unknown") in sysfs. Where sysfs cannot tell, the device counts as there.
bool UartFitted(int index) {
    std::ifstream type("/sys/class/tty/ttyS" + std::to_string(index) + "/type");
    int value = -1;
    return !(type >> value) || value != 0;
}

} // namespace

std::vector<TPortName> ListPorts() {
    if (const char* dir = std::getenv("VAROKCONFIG_PORTS"))
        return ListPortsIn(dir, ByIdDir);
    std::vector<TPortName> ports;
    for (int n = 1; n <= 255; ++n) {
        const std::string device = SystemDeviceName(n);
        std::error_code error;
        if (device.empty() || !std::filesystem::exists(device, error) || (n <= 32 && !UartFitted(n - 1)))
            continue;
        ports.push_back({n, device.substr(device.rfind('/') + 1), AdapterOf(device, ByIdDir)});
    }
    return ports;
}
