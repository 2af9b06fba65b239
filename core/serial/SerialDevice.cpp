#include "serial/SerialDevice.h"

#include <cstdlib>

std::string SerialDeviceName(int comNumber) {
    if (comNumber < 1 || comNumber > 255)
        return {};
    if (const char* dir = std::getenv("VAROKCONFIG_PORTS"))
        return PortsDirDeviceName(dir, comNumber);
    return SystemDeviceName(comNumber);
}

std::string PortsDirDeviceName(const std::string& dir, int comNumber) {
    return dir + "/com" + std::to_string(comNumber);
}
