#pragma once
#include "base/HandOver.h"
#include "serial/CommTypes.h"
#include "serial/Event.h"
#include "serial/SerialDevice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class TStatusThread;
class TReadThread;
class TWriteThread;
class TReadEventThread;
class TStatusEventThread;

// The serial port component: two rings in memory, filled and drained by five workers, so
// no call of the user-interface thread waits for the line. It shows nothing: why an open failed
// and its warnings are kept for whoever shows them, in its own words below.
class TCommPort {
public:
    static inline const std::string CantOpenText = "Can't open COM port";
    static inline const std::string ErrorCaption = "COM port error";
    static inline const std::string WarningCaption = "COM port warning";

    explicit TCommPort(THandOver& handOver);
    ~TCommPort();
    TCommPort(const TCommPort&) = delete;
    TCommPort& operator=(const TCommPort&) = delete;

    // Makes the (closed) device of port n; tests put a fake here.
    std::function<std::unique_ptr<TSerialDevice>(int comNumber)> DeviceFactory;

    int GetComNumber() const { return FComNumber; }
    void SetComNumber(int value);
    bool GetOpen() const { return FOpen; }
    void SetOpen(bool value);
    bool GetDTR() const { return FDTR; }
    void SetDTR(bool value);
    bool GetRTS() const { return FRTS; }
    void SetRTS(bool value);
    bool GetCTS() const { return FCTS; }
    bool GetDSR() const { return FDSR; }
    bool GetDCD() const { return FDCD; }
    bool GetRing() const { return FRing; }
    std::uint32_t GetInSize() const { return FInSize; }
    void SetIBuffSize(std::uint32_t value);
    std::uint32_t GetOutSize() const { return FOutSize; }
    void SetOBuffSize(std::uint32_t value);
    std::uint32_t GetInBuffFree();
    std::uint32_t GetInBuffUsed() const { return FIn.Used; }
    std::uint32_t GetOutBuffFree();
    std::uint32_t GetOutBuffUsed() const { return FOut.Used; }
    int GetOutQueCount();
    int GetBaud() const;
    void SetBaud(int value);
    TBaudRate GetBaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    TComControl GetControl() const { return FControl; }
    void SetComControl(TComControl value);
    TParity GetParity() const { return FParity; }
    void SetParity(TParity value);
    TStopBits GetStopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    std::uint16_t GetDataBits() const { return FDataBits; }
    void SetDataBits(std::uint16_t value);
    // Both at once: only the combination chosen is judged, never one on the way to it.
    void SetCharacterFormat(std::uint16_t dataBits, TStopBits stopBits);
    // Line events the status watcher waits for; read when the port opens.
    TEventStates MonitorEvents;
    std::uint16_t GetXonLim() const { return FXonLim; }
    void SetXonLim(std::uint16_t value);
    std::uint16_t GetXoffLim() const { return FXoffLim; }
    void SetXoffLim(std::uint16_t value);
    unsigned char GetXonChar() const { return FXonChar; }
    void SetXonChar(unsigned char value);
    unsigned char GetXoffChar() const { return FXoffChar; }
    void SetXoffChar(unsigned char value);
    unsigned char GetEventChar() const { return FEventChar; }
    void SetEventChar(unsigned char value);

    std::function<void(TCommPort& sender)> OnCTSSignal;
    std::function<void(TCommPort& sender)> OnDCDSignal;
    std::function<void(TCommPort& sender)> OnDSRSignal;
    std::function<void(TCommPort& sender)> OnRxDSignal;
    std::function<void(TCommPort& sender)> OnTxDSignal;
    std::function<void(TCommPort& sender)> OnRingSignal;
    std::function<void(TCommPort& sender)> OnBreakSignal;
    std::function<void(TCommPort& sender)> OnRxEventSignal;
    std::function<void(TCommPort& sender, int error)> OnErrorSignal;
    std::function<void(TCommPort& sender, std::uint32_t count)> OnDataReceived;
    std::function<void(TCommPort& sender, int error)> OnOpen;
    std::function<void(TCommPort& sender)> OnClose;

    void OpenPort();
    void ClosePort();
    bool IsEnabled() const { return FDevice && FDevice->IsOpen(); }
    // The open device failed for good (an adapter pulled out, a line hung up).
    bool GetGone() const { return FDevice && FDevice->IsGone(); }
    // Why the last open failed, with the system's code and text; Error None after a good open.
    const TSerialErrorInfo& GetOpenError() const { return FOpenError; }
    // The warnings about the data bits and stop bits given since the last call: one each time a
    // setting changes them to an invalid combination; setting them to what they are, as an open
    // does, gives none.
    std::vector<std::string> TakeWarnings() { return std::exchange(FWarnings, {}); }

    std::uint32_t PutBlock(const char* buffer, std::uint32_t count);
    std::uint32_t GetBlock(char* buffer, std::uint32_t count);
    std::uint32_t PutChar(char c) { return PutBlock(&c, 1); }
    std::uint32_t PutString(const char* text);
    char GetChar();
    bool CharReady() const { return FIn.Used > 0; }
    void FlushInBuffer();
    void FlushOutBuffer();

    bool SetBreak(bool on);
    void SendBreak(unsigned short ticks);
    void PowerOn();
    void PowerOff();
    bool GetModemState(int line);
    void BitsWarning();

    // The event mask of the status watcher's last completed wait.
    std::uint32_t GetLastEvents() const { return FLastEvents; }
    // The four signals by which the workers are woken.
    TEvent& ReadWake() { return FReadWake; }
    TEvent& WriteWake() { return FWriteWake; }
    TEvent& DataReady() { return FDataReady; }
    TEvent& StatusReady() { return FStatusReady; }

private:
    friend class TStatusThread;
    friend class TReadThread;
    friend class TWriteThread;
    friend class TReadEventThread;
    friend class TStatusEventThread;

    struct TRing {
        std::vector<char> Buffer;
        std::uint32_t Size = 0;
        std::uint32_t Pos = 0;
        std::atomic<std::uint32_t> Used{0};
        // Raised when a flush begins and when it has ended, so a worker's pass that overlaps one
        // does not count bytes from before it.
        std::uint32_t FlushesBegun = 0;
        std::uint32_t Flushes = 0;
        std::mutex Lock;

        // The free bytes after the used ones, up to the end of the buffer: start and length.
        std::pair<std::uint32_t, std::uint32_t> FreeRun(std::uint32_t pos, std::uint32_t used) const {
            const std::uint64_t end = std::uint64_t(pos) + used;
            if (end < Size)
                return {static_cast<std::uint32_t>(end), static_cast<std::uint32_t>(Size - end)};
            return {static_cast<std::uint32_t>(end - Size), Size - used};
        }
        // The first n used bytes are gone (the caller holds Lock).
        void Take(std::uint32_t n) {
            Used -= n;
            Pos += n;
            if (Pos >= Size)
                Pos -= Size;
        }
        // The used bytes from pos, up to the end of the buffer.
        std::uint32_t UsedRun(std::uint32_t pos, std::uint32_t used) const {
            return std::min(used, Size - pos);
        }
    };
    // What a close requested inside a handler turns into once the handler has returned.
    enum class TDeferred { None, Close, Reopen };

    void ApplySetting(const std::function<void(TLineSettings&)>& change);
    void Resize(std::uint32_t& size, std::uint32_t value);
    void SetLineFlags(std::uint32_t modemStatus);
    void ReleaseRings();
    // The line time of what waits to be sent, plus a margin: how long a close lets it drain.
    std::chrono::milliseconds DrainTime();
    void StopWriter();
    // Runs a handler in the UI thread (from a delivery worker's hand-over).
    void RunHandler(const std::function<void()>& handler);
    void Defer(TDeferred action);
    void PostDeferred();
    void RunDeferred();
    void DeliverData();
    void DeliverStatus();

    THandOver& FHandOver;
    std::unique_ptr<TSerialDevice> FDevice;
    TLineSettings FDeviceSettings;

    int FComNumber = 2;
    TBaudRate FBaudRate = cbr9600;
    TParity FParity = paNone;
    std::atomic<TComControl> FControl{ccNone};
    TStopBits FStopBits = sb1_0;
    std::uint16_t FDataBits = 8;
    std::uint16_t FXonLim = 0;
    std::uint16_t FXoffLim = 1024;
    unsigned char FXonChar = 0x11;
    unsigned char FXoffChar = 0x13;
    unsigned char FEventChar = 0;

    std::unique_ptr<TStatusThread> FStatusThread;
    std::unique_ptr<TReadThread> FReadThread;
    std::unique_ptr<TWriteThread> FWriteThread;
    std::unique_ptr<TReadEventThread> FReadEventThread;
    std::unique_ptr<TStatusEventThread> FStatusEventThread;

    bool FDTR = false;
    bool FRTS = false;
    std::atomic<bool> FCTS{false};
    std::atomic<bool> FDSR{false};
    std::atomic<bool> FDCD{false};
    std::atomic<bool> FRing{false};
    // False where the device cannot report its modem lines (a pseudo-terminal): CTS then never
    // holds the writer back under hardware flow control.
    std::atomic<bool> FModemKnown{true};
    // Set by a close whose time for the output ran out: the writer leaves what is left.
    std::atomic<bool> FOutAbandoned{false};
    std::atomic<std::uint32_t> FLastEvents{0};

    TEvent FReadWake{TEvent::TKind::AutoReset};
    TEvent FWriteWake{TEvent::TKind::ManualReset};
    TEvent FDataReady{TEvent::TKind::AutoReset};
    TEvent FStatusReady{TEvent::TKind::AutoReset};

    bool FOpen = false;
    bool FClosing = false;
    TSerialErrorInfo FOpenError;
    std::vector<std::string> FWarnings;
    std::uint32_t FOutSize = 4096;
    std::uint32_t FInSize = 2048;
    TRing FOut;
    TRing FIn;

    int FHandlerDepth = 0;
    TDeferred FDeferred = TDeferred::None;
    bool FDeferredPosted = false;
    // Lets a posted call find out that the component is gone.
    std::shared_ptr<TCommPort*> FSelf;
};
