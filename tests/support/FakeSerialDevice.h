#pragma once
#include "serial/SerialDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A serial device under the test's control: bytes fed in arrive as received, bytes written
// are captured, the modem lines, failures and removal are switched by the test. All calls
// are thread-safe. Connect() makes the TSerialDevice a TCommPort opens (put it in its
// DeviceFactory); the fake outlives any number of opens and closes.
//
// What it copies of the POSIX backend, the strictest one, so worker tests meet what a real
// line does:
// - a received character is reported once for the bytes waiting; bytes left unread are not
//   reported again (no re-report without a read); more bytes arriving are (the waiting count
//   grew); a read that succeeds, or an input purge, re-arms the report for what then waits;
//   a failed read does not;
// - a purge counts in InputPurges, and ReadSince takes nothing after one;
// - a write under hardware flow control is held by the device while CTS is off (not where the
//   modem lines cannot be read: a pseudo-terminal has none), and an output purge aborts it
//   (Cancelled).
// Not copied: reads and writes take effect at once (no line time), and the modem lines are
// readable unless the test says otherwise.
class TFakeSerialDevice {
public:
    using TClock = std::chrono::steady_clock;

    TFakeSerialDevice();
    std::unique_ptr<TSerialDevice> Connect();

    // Bytes arrive on the line (and a received-character event, when watched).
    void Feed(const std::string& bytes);
    std::uint32_t Waiting() const;
    // Everything written so far, and the size of each write.
    std::string Written() const;
    std::vector<std::uint32_t> WriteSizes() const;
    bool WaitWritten(std::size_t count, TClock::time_point deadline) const;
    void ClearWritten();

    // Input lines; each change raises its line event, when watched.
    void SetCts(bool on);
    void SetDcd(bool on);
    // One completed event wait carrying these bits (those of the mask).
    void RaiseEvents(std::uint32_t bits);
    // False: the modem status cannot be read (as on a pseudo-terminal).
    void SetModemReadable(bool readable);
    // Refuse line-control calls (DTR, RTS, break).
    void RefuseEscapes(bool refuse);

    // Reads wait until released (the reader is then busy in its read, not in its wait).
    void HoldReads(bool hold);
    void FailReads(bool fail);
    void FailWrites(bool fail);
    // The device takes no bytes (as under flow control) until released or the write is aborted.
    void HoldWrites(bool hold);
    // The next event wait starts only after the event mask has changed (a close sets it to 0).
    void HoldNextWaitStart();
    bool WaitStartHeld(TClock::time_point deadline) const;
    // Unplugged: the open device fails for good and the port cannot be opened.
    void Remove();

    bool IsOpen() const;
    int Opens() const;
    int ReadAttempts() const;
    // Queue-count queries so far (each pass of the reader makes one).
    int Queries() const;
    int WriteAttempts() const;
    std::uint32_t EventMask() const;
    TLineSettings Settings() const;
    bool Dtr() const;
    bool Rts() const;

    struct TState {
        mutable std::mutex Lock;
        mutable std::condition_variable Changed;
        std::string Input;
        std::string Output;
        std::vector<std::uint32_t> WriteSizes;
        std::uint32_t Modem = 0;
        bool ModemReadable = true;
        bool RefuseEscapes = false;
        bool Dtr = false, Rts = false;
        bool FailReads = false, FailWrites = false, HoldWrites = false, HoldReads = false;
        bool Removed = false;
        bool HoldWaitStart = false, WaitStartHeld = false;
        bool Open = false;
        int Opens = 0, ReadAttempts = 0, WriteAttempts = 0, Queries = 0;
        bool RxArmed = true;
        std::uint32_t RxReportedLevel = 0;
        std::uint32_t InputPurges = 0;
        std::uint32_t Mask = 0;
        std::uint32_t MaskChanges = 0;
        std::uint32_t Pending = 0;
        std::uint32_t WriteAborts = 0;
        TLineSettings Settings;

        void Post(std::uint32_t bits);
        // Reports received characters as the POSIX backend does (see above).
        void CheckReceived();
        bool WritesHeld() const;
    };

private:
    void SetLine(std::uint32_t bit, std::uint32_t event, bool on);

    std::shared_ptr<TState> FState;
};
