#include "forms/UnitPort.h"
#include "link/ProgramDir.h"
#include "project/FileUtil.h"
#include <cstdio>
#include <ctime>

TFormPort::TFormPort() : TForm("FormPort"), DebugFilePath(ProgramDirectory() + "debug.txt") {
    SetCaption("Port");
    Width = 354;
    SetHeight(569);
}

std::string TFormPort::PacketLine(const uint8_t* data, size_t length, bool received, int portNumber) {
    std::string line = "COM" + std::to_string(portNumber) + (received ? " Read  :" : " Write :");
    char hex[8];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, " 0x%02X", data[i]);
        line += hex;
    }
    return line;
}

void TFormPort::LogPacket(const uint8_t* data, size_t length, bool received, int portNumber) {
    if (!Visible())
        return;
    const std::string line = PacketLine(data, length, received, portNumber);
    Memo1.Add(line);
    AppendToDebugFile(line);
}

void TFormPort::AppendToDebugFile(const std::string& line) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    LocalTime(now, local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%H:%M:%S", &local);
    // Opened and closed for every line. A program folder we may not write into sends the
    // log to the user's data folder; a line that cannot be written anywhere is lost.
    std::FILE* file = OpenFile(DebugFilePath, "ab");
    if (!file && DebugFilePath == ProgramDirectory() + "debug.txt") {
        DebugFilePath = UserDataDirectory() + "debug.txt";
        file = OpenFile(DebugFilePath, "ab");
    }
    if (file) {
        const std::string text = std::string(stamp) + " " + line + "\r\n";
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
}
