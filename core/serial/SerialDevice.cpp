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

TSerialErrorInfo DeviceError(TSerialError error, int code) {
    return {error, code, code != 0 ? SystemErrorText(code) : SerialErrorText(error)};
}

std::string SerialErrorText(TSerialError error) {
    switch (error) {
    case TSerialError::None:
        return {};
    case TSerialError::NotFound:
        return "no such port";
    case TSerialError::Busy:
        return "port in use or access denied";
    case TSerialError::Gone:
        return "device gone";
    case TSerialError::Unsupported:
        return "not a serial port";
    case TSerialError::Io:
        return "input/output error";
    case TSerialError::Cancelled:
        return "cancelled";
    }
    return {};
}
