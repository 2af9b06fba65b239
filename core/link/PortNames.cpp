#include "link/PortNames.h"
#include "model/WholeNumber.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Devices are named as in /dev, without it: "ttyUSB0", "pts/4".
std::string ShortDeviceName(const std::string& path) {
    const std::string dev = "/dev/";
    return path.rfind(dev, 0) == 0 ? path.substr(dev.size()) : path;
}

// N of "comN" as the port naming writes it (no sign, no leading zero), or 0.
int PortNumberOfEntry(const std::string& name) {
    if (name.size() < 4 || name.rfind("com", 0) != 0 || name[3] == '0' || name[3] == '+' || name[3] == '-')
        return 0;
    const int64_t n = WholeNumberOr(name.substr(3), 0);
    return n >= 1 && n <= 255 ? static_cast<int>(n) : 0;
}

} // namespace

std::vector<TPortName> ListPortsIn(const fs::path& dir, const fs::path& byIdDir) {
    std::vector<TPortName> ports;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const int number = PortNumberOfEntry(it->path().filename().string());
        // A link whose device is gone (a simulator that ended, an adapter pulled out) is no port.
        if (number == 0 || !fs::exists(it->path(), error))
            continue;
        TPortName port{number, {}, AdapterOf(it->path(), byIdDir)};
        if (it->is_symlink(error))
            port.Device = ShortDeviceName(fs::read_symlink(it->path(), error).string());
        ports.push_back(std::move(port));
    }
    std::sort(ports.begin(), ports.end(),
              [](const TPortName& a, const TPortName& b) { return a.Number < b.Number; });
    return ports;
}

std::string AdapterNameOfLink(const std::string& linkName) {
    std::string name = linkName;
    // The bus comes first ("usb-", "pci-"); the adapter's interface and port last ("-if00-port0").
    if (const size_t dash = name.find('-'); dash != std::string::npos && dash <= 4)
        name.erase(0, dash + 1);
    for (const std::string suffix : {"-port", "-if"}) {
        const size_t at = name.rfind(suffix);
        if (at != std::string::npos && at + suffix.size() < name.size() &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(at + suffix.size()), name.end(),
                        [](char c) { return c >= '0' && c <= '9'; }))
            name.erase(at);
    }
    // Spaces are written as underscores, several in a row where the adapter pads its name.
    std::string text;
    for (const char c : name) {
        const char shown = c == '_' ? ' ' : c;
        if (shown != ' ' || (!text.empty() && text.back() != ' '))
            text += shown;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string AdapterOf(const fs::path& device, const fs::path& byIdDir) {
    std::error_code error;
    if (byIdDir.empty())
        return {};
    const fs::path target = fs::canonical(device, error);
    if (error)
        return {};
    for (fs::directory_iterator it(byIdDir, error), end; !error && it != end; it.increment(error)) {
        std::error_code same;
        if (fs::canonical(it->path(), same) == target && !same)
            return AdapterNameOfLink(it->path().filename().string());
    }
    return {};
}

std::string PortItemText(const TPortName& port) {
    std::string text = "COM " + std::to_string(port.Number);
    if (!port.Device.empty() || !port.Adapter.empty())
        text += " —";
    if (!port.Device.empty())
        text += " " + port.Device;
    if (!port.Adapter.empty())
        text += port.Device.empty() ? " " + port.Adapter : " (" + port.Adapter + ")";
    return text;
}
