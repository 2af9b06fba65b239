#pragma once
#include "ui/Form.h"
#include "ui/Memo.h"
#include <cstddef>
#include <cstdint>
#include <string>

// The traffic log: every packet sent and every delivery received while it is shown,
// also appended with a time stamp to "debug.txt".
class TFormPort : public TForm {
public:
    TFormPort();
    TMemo Memo1{"Memo1"};
    int Left = 325;
    int Top = 0;

    // "COM<n> Write : 0x.." or "COM<n> Read  : 0x..", only while the window is shown.
    void LogPacket(const uint8_t* data, size_t length, bool received, int portNumber);
    // A plain line: to the memo whether or not the window is shown, never to the file.
    void AddLine(std::string line) { Memo1.Add(std::move(line)); }
    void AppendToDebugFile(const std::string& line);

    // Beside the program; the user's data folder once the program's folder refuses a line.
    std::string DebugFilePath;
    static std::string PacketLine(const uint8_t* data, size_t length, bool received, int portNumber);
};
