#pragma once
#include <string>

// The simulator's pseudo-terminal. It holds the master, where the controller talks, and
// a slave descriptor of its own, so the master never sees a hang-up when the editor
// closes its side, and the line settings the editor chose can be read.
class TSimPty {
public:
    TSimPty() = default;
    TSimPty(const TSimPty&) = delete;
    TSimPty& operator=(const TSimPty&) = delete;
    ~TSimPty() { Hangup(); }

    // Opens a new pair with the slave in raw mode and the master in packet mode (every read
    // begins with a status byte); on failure sets error and holds nothing.
    bool Open(std::string& error);
    // Closes both sides, as pulling out the adapter does; the editor's side then reads end of file.
    void Hangup();

    bool IsOpen() const { return Master >= 0; }
    int MasterFd() const { return Master; }
    int SlaveFd() const { return Slave; }
    const std::string& DeviceName() const { return Device; }

private:
    int Master = -1;
    int Slave = -1;
    std::string Device;
};
