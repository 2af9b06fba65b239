// The system's serial ports on Windows: the registry's list of serial devices, and the names
// the device manager gives the ports.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <setupapi.h>

#include "base/WideText.h"
#include "link/PortNames.h"
#include "model/WholeNumber.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <map>

namespace {

// The device class of serial and parallel ports.
const GUID PortsClass = {0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

// n of "COMn" (any case), or 0.
int PortNumberOfName(const std::wstring& name) {
    if (name.size() < 4 || _wcsnicmp(name.c_str(), L"COM", 3) != 0)
        return 0;
    const int64_t n = WholeNumberOr(Utf8Text(name.substr(3)), 0);
    return n >= 1 && n <= 255 ? static_cast<int>(n) : 0;
}

// HARDWARE\DEVICEMAP\SERIALCOMM: one value per port, "\Device\Serial0" = "COM1".
void AddRegisteredPorts(std::map<int, TPortName>& ports) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        wchar_t data[256];
        DWORD nameLength = 256;
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = ::RegEnumValueW(key, i, name, &nameLength, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS || type != REG_SZ)
            continue;
        data[dataSize / sizeof(wchar_t)] = L'\0';
        const int number = PortNumberOfName(data);
        if (number == 0)
            continue;
        std::wstring device(name, nameLength);
        if (const size_t slash = device.rfind(L'\\'); slash != std::wstring::npos)
            device.erase(0, slash + 1);
        ports[number].Device = Utf8Text(device);
    }
    ::RegCloseKey(key);
}

// The device manager's present ports: "USB Serial Port (COM3)" and the like.
void AddFriendlyNames(std::map<int, TPortName>& ports) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(&PortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        const HKEY key = ::SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        wchar_t portName[64] = {};
        DWORD size = sizeof portName - sizeof(wchar_t);
        DWORD type = 0;
        const bool named = ::RegQueryValueExW(key, L"PortName", nullptr, &type,
                                              reinterpret_cast<BYTE*>(portName), &size) == ERROR_SUCCESS &&
                           type == REG_SZ;
        ::RegCloseKey(key);
        const int number = named ? PortNumberOfName(portName) : 0;
        if (number == 0)
            continue;
        wchar_t friendly[256] = {};
        if (!::SetupDiGetDeviceRegistryPropertyW(set, &info, SPDRP_FRIENDLYNAME, nullptr,
                                                 reinterpret_cast<BYTE*>(friendly),
                                                 sizeof friendly - sizeof(wchar_t), nullptr))
            continue;
        // The port's own number is shown already.
        std::wstring text = friendly;
        if (const size_t open = text.rfind(L" (");
            open != std::wstring::npos && text.back() == L')' &&
            PortNumberOfName(text.substr(open + 2, text.size() - open - 3)))
            text.erase(open);
        ports[number].Adapter = Utf8Text(text);
    }
    ::SetupDiDestroyDeviceInfoList(set);
}

} // namespace

std::vector<TPortName> ListPorts() {
    if (const char* dir = std::getenv("VAROKCONFIG_PORTS"))
        return ListPortsIn(dir, {});
    std::map<int, TPortName> found;
    AddRegisteredPorts(found);
    AddFriendlyNames(found);
    std::vector<TPortName> ports;
    for (auto& [number, port] : found) {
        port.Number = number;
        ports.push_back(std::move(port));
    }
    return ports;
}
