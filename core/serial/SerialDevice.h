#pragma once
#include <cstdint>
#include <memory>
#include <string>

// Our own small set of device errors; each backend maps the system's codes onto it.
enum class TSerialError { None, NotFound, Busy, Gone, Unsupported, Io, Cancelled };

// A failure as our small set names it, with the system's own code and text (code 0 when the
// system gave none; the text then names the error of our set).
struct TSerialErrorInfo {
    TSerialError Error = TSerialError::None;
    int SystemCode = 0;
    std::string Text;
};
// The failure `error` with the system's code and its text (code 0: the text of our set).
TSerialErrorInfo DeviceError(TSerialError error, int code = 0);

// The line-settings record the component reads, changes one field of, and writes back.
struct TLineSettings {
    std::uint32_t Rate = 9600;
    std::uint32_t Flags = 0x0001; // control-flags word
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0; // 0 one, 1 one and a half, 2 two
    char XonChar = 0x11;
    char XoffChar = 0x13;
    char EventChar = 0;
};

// Line functions of Escape, numbered as the controller's serial driver numbers them.
enum class TEscape { SetRts = 3, ClrRts = 4, SetDtr = 5, ClrDtr = 6, SetBreak = 8, ClrBreak = 9 };

enum class TWaitStart { Done, Pending, Failed };

// One serial device, opened exclusively for waitable reads and writes. Each of the three
// device workers uses its own calls (reader: Read; writer: Write; status watcher: the
// event wait), so a pending operation of one never shares state with another.
class TSerialDevice {
public:
    virtual ~TSerialDevice() = default;

    // Error None, or why the device cannot be opened, as the system said it.
    virtual TSerialErrorInfo Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The device failed for good (unplugged, peer hung up): every later call fails at once.
    virtual bool IsGone() const = 0;

    virtual bool SetQueueSizes(std::uint32_t inSize, std::uint32_t outSize) = 0;
    virtual bool SetNoTimeouts() = 0;
    virtual bool GetSettings(TLineSettings& settings) = 0;
    virtual bool SetSettings(const TLineSettings& settings) = 0;
    virtual bool Escape(TEscape function) = 0;
    // Bits 0x10 CTS, 0x20 DSR, 0x40 ring, 0x80 receive-line-signal-detect; false when they cannot be read.
    virtual bool GetModemStatus(std::uint32_t& status) = 0;
    // Bytes waiting in the device's input and output queues; clears its error state.
    virtual bool QueueCounts(std::uint32_t& inQueue, std::uint32_t& outQueue) = 0;
    virtual bool Purge(std::uint32_t flags) = 0;
    // A change completes a pending event wait with an empty mask.
    virtual bool SetEventMask(std::uint32_t mask) = 0;

    // Starts a wait for a line event: Done with the mask filled in, or Pending (finish it
    // with FinishWaitEvent), or Failed.
    virtual TWaitStart StartWaitEvent(std::uint32_t& mask) = 0;
    virtual bool FinishWaitEvent(std::uint32_t& mask) = 0;
    // Reads up to count bytes the device already holds.
    virtual TSerialError Read(char* buffer, std::uint32_t count, std::uint32_t& done) = 0;
    // Input purges so far. ReadSince reads as Read does unless the input was purged after
    // `purges` was taken: then it takes nothing and returns Cancelled, so a reader that looked
    // before a flush never takes bytes that came after it for stale ones. A backend that
    // cannot tell keeps the defaults.
    virtual std::uint32_t InputPurges() const { return 0; }
    virtual TSerialError ReadSince(std::uint32_t /*purges*/, char* buffer, std::uint32_t count,
                                   std::uint32_t& done) {
        return Read(buffer, count, done);
    }
    // Returns when the device has taken all bytes, or the write was aborted (Purge) or failed;
    // done counts the bytes taken in any case.
    virtual TSerialError Write(const char* buffer, std::uint32_t count, std::uint32_t& done) = 0;
};

// The device of port n (1 … 255); empty when the port has no device. With VAROKCONFIG_PORTS
// set, every port is PortsDirDeviceName in that folder; otherwise SystemDeviceName.
std::string SerialDeviceName(int comNumber);
std::string PortsDirDeviceName(const std::string& dir, int comNumber);
std::string SystemDeviceName(int comNumber);
// A closed device for port n.
std::unique_ptr<TSerialDevice> MakeSerialDevice(int comNumber);
// Port n exists and can be opened exclusively for writing right now (closed again at once).
bool TestOpenDevice(int comNumber);
// The calling thread's last system error code, and clearing it.
int LastSystemError();
void ClearLastSystemError();
// The system's own text for one of its error codes (errno, GetLastError()).
std::string SystemErrorText(int code);
// A short text for an error of our set, where the system gave no code.
std::string SerialErrorText(TSerialError error);
