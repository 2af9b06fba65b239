#include "project/IniFile.h"
#include <cstdint>
#include <cstdlib>
#include <string>

// Arbitrary bytes as a side file: reading, writing and serialising must not crash,
// an untouched file must come back byte for byte, and what was written must read back.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TIniFile ini;
    ini.SetBytes(bytes);
    if (ini.Bytes() != bytes)
        std::abort();
    for (int k = 1; k <= 72; ++k)
        ini.ReadString("MessageLength", std::to_string(k), "0");

    // Names and a value taken from the input itself, so they can match what is in it.
    const std::string_view tail = bytes.substr(size / 2);
    const std::string_view name =
        tail.substr(0, tail.find('\n') == std::string_view::npos ? 8 : tail.find('\n'));
    ini.ReadString(name, name, "");
    const bool wrote = ini.WriteString(name, "1", name);
    ini.WriteString("MessageLength", "7", "12");
    ini.WriteString("Сообщения", name, "Длина");

    TIniFile back;
    back.SetBytes(ini.Bytes());
    if (back.ReadString("MessageLength", "7", "") != ini.ReadString("MessageLength", "7", "-"))
        std::abort();
    if (wrote && back.ReadString(name, "1", "-") != ini.ReadString(name, "1", ""))
        std::abort();
    return 0;
}
