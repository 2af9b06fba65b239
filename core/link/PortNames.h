#pragma once
#include <filesystem>
#include <string>
#include <vector>

// A serial port that exists now: its number, the device behind it and, where the system knows
// one, the adapter's own name.
struct TPortName {
    int Number = 0;
    std::string Device;  // "ttyUSB0", "pts/4", "Serial0"; empty when nothing names it
    std::string Adapter; // "FTDI FT232R USB UART A50285BI", "USB Serial Port"
};

// The ports that exist now, by number. With VAROKCONFIG_PORTS set, the comN entries of that
// folder; otherwise the system's own serial ports (one backend per platform).
std::vector<TPortName> ListPorts();
// The comN entries (N 1 … 255, as the port naming writes it) of a folder that lead to something,
// each with where it links to. Adapters are named after the links in byIdDir that lead to the
// same device (an empty path names none).
std::vector<TPortName> ListPortsIn(const std::filesystem::path& dir, const std::filesystem::path& byIdDir);
// The adapter's name in the name of a link in /dev/serial/by-id:
// "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" is "FTDI FT232R USB UART A50285BI".
std::string AdapterNameOfLink(const std::string& linkName);
// The adapter's name of the device `device` leads to, from the links in byIdDir; empty for none.
std::string AdapterOf(const std::filesystem::path& device, const std::filesystem::path& byIdDir);
// How the connection dialog lists a port: "COM 33 — ttyUSB0 (FTDI FT232R USB UART A50285BI)".
std::string PortItemText(const TPortName& port);
