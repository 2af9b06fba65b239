// The serial device on Windows: the communications functions with overlapped I/O.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "serial/SerialDevice.h"

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>

namespace {

TSerialError MapError(DWORD code) {
    switch (code) {
    case ERROR_SUCCESS:
        return TSerialError::None;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return TSerialError::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return TSerialError::Busy;
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_DEVICE_NOT_CONNECTED:
        return TSerialError::Gone;
    case ERROR_OPERATION_ABORTED:
        return TSerialError::Cancelled;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return TSerialError::Unsupported;
    default:
        return TSerialError::Io;
    }
}

// The control-flags word of the line settings and the settings record's bit fields, bit for bit.
std::uint32_t ControlFlags(const DCB& dcb) {
    return dcb.fBinary | dcb.fParity << 1 | dcb.fOutxCtsFlow << 2 | dcb.fOutxDsrFlow << 3 |
           dcb.fDtrControl << 4 | dcb.fDsrSensitivity << 6 | dcb.fTXContinueOnXoff << 7 | dcb.fOutX << 8 |
           dcb.fInX << 9 | dcb.fErrorChar << 10 | dcb.fNull << 11 | dcb.fRtsControl << 12 |
           dcb.fAbortOnError << 14;
}

void SetControlFlags(DCB& dcb, std::uint32_t flags) {
    dcb.fBinary = flags & 1;
    dcb.fParity = flags >> 1 & 1;
    dcb.fOutxCtsFlow = flags >> 2 & 1;
    dcb.fOutxDsrFlow = flags >> 3 & 1;
    dcb.fDtrControl = flags >> 4 & 3;
    dcb.fDsrSensitivity = flags >> 6 & 1;
    dcb.fTXContinueOnXoff = flags >> 7 & 1;
    dcb.fOutX = flags >> 8 & 1;
    dcb.fInX = flags >> 9 & 1;
    dcb.fErrorChar = flags >> 10 & 1;
    dcb.fNull = flags >> 11 & 1;
    dcb.fRtsControl = flags >> 12 & 3;
    dcb.fAbortOnError = flags >> 14 & 1;
}

class TWin32SerialDevice final : public TSerialDevice {
public:
    explicit TWin32SerialDevice(std::string name) : FName(std::move(name)) {}
    ~TWin32SerialDevice() override { Close(); }

    TSerialErrorInfo Open() override {
        if (FName.empty())
            return DeviceError(TSerialError::NotFound);
        FHandle = ::CreateFileA(FName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL, nullptr);
        if (FHandle == INVALID_HANDLE_VALUE) {
            const DWORD code = ::GetLastError();
            return DeviceError(MapError(code), static_cast<int>(code));
        }
        for (OVERLAPPED* ov : {&FReadOv, &FWriteOv, &FWaitOv})
            std::memset(ov, 0, sizeof *ov);
        for (HANDLE* event : Events()) {
            *event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
            if (!*event) {
                const DWORD code = ::GetLastError();
                Close();
                return DeviceError(MapError(code), static_cast<int>(code));
            }
        }
        FGone = false;
        FModemEventsRefused = false;
        return {};
    }
    void Close() override {
        if (FHandle != INVALID_HANDLE_VALUE)
            ::CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
        for (HANDLE* event : Events()) {
            if (*event)
                ::CloseHandle(*event);
            *event = nullptr;
        }
    }
    bool IsOpen() const override { return FHandle != INVALID_HANDLE_VALUE; }
    bool IsGone() const override { return FGone.load(); }

    bool SetQueueSizes(std::uint32_t inSize, std::uint32_t outSize) override {
        return ::SetupComm(FHandle, inSize, outSize) != 0;
    }
    bool SetNoTimeouts() override {
        COMMTIMEOUTS timeouts{};
        return ::SetCommTimeouts(FHandle, &timeouts) != 0;
    }
    bool GetSettings(TLineSettings& s) override {
        std::lock_guard lock(FDcbLock);
        FDcb.DCBlength = sizeof FDcb;
        const bool ok = ::GetCommState(FHandle, &FDcb) != 0;
        s.Rate = FDcb.BaudRate;
        s.Flags = ControlFlags(FDcb);
        s.XonLim = FDcb.XonLim;
        s.XoffLim = FDcb.XoffLim;
        s.ByteSize = FDcb.ByteSize;
        s.Parity = FDcb.Parity;
        s.StopBits = FDcb.StopBits;
        s.XonChar = FDcb.XonChar;
        s.XoffChar = FDcb.XoffChar;
        s.EventChar = FDcb.EvtChar;
        return ok;
    }
    bool SetSettings(const TLineSettings& s) override {
        std::lock_guard lock(FDcbLock);
        FDcb.DCBlength = sizeof FDcb;
        FDcb.BaudRate = s.Rate;
        SetControlFlags(FDcb, s.Flags);
        FDcb.XonLim = s.XonLim;
        FDcb.XoffLim = s.XoffLim;
        FDcb.ByteSize = s.ByteSize;
        FDcb.Parity = s.Parity;
        FDcb.StopBits = s.StopBits;
        FDcb.XonChar = s.XonChar;
        FDcb.XoffChar = s.XoffChar;
        FDcb.EvtChar = s.EventChar;
        return ::SetCommState(FHandle, &FDcb) != 0;
    }
    bool Escape(TEscape function) override {
        return ::EscapeCommFunction(FHandle, static_cast<DWORD>(function)) != 0;
    }
    bool GetModemStatus(std::uint32_t& status) override {
        DWORD bits = 0;
        if (!::GetCommModemStatus(FHandle, &bits))
            return false;
        status = bits;
        return true;
    }
    bool QueueCounts(std::uint32_t& inQueue, std::uint32_t& outQueue) override {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!::ClearCommError(FHandle, &errors, &stat)) {
            Fail(::GetLastError());
            return false;
        }
        inQueue = stat.cbInQue;
        outQueue = stat.cbOutQue;
        return true;
    }
    bool Purge(std::uint32_t flags) override {
        if (flags & PURGE_TXABORT)
            ::SetEvent(FWriteAbort);
        return ::PurgeComm(FHandle, flags) != 0;
    }
    bool SetEventMask(std::uint32_t mask) override {
        ::SetEvent(FMaskChanged);
        FMask = mask;
        if (FModemEventsRefused)
            mask &= ~ModemLineEvents;
        if (::SetCommMask(FHandle, mask))
            return true;
        return (mask & ModemLineEvents) && RefuseModemEvents();
    }

    TWaitStart StartWaitEvent(std::uint32_t& mask) override {
        ::ResetEvent(FMaskChanged);
        if (FGone)
            return TWaitStart::Pending;
        TWaitStart start = WaitEvent(mask);
        // Wine on a pseudo-terminal, and some virtual ports, refuse every wait whose mask holds
        // a modem-line event: they read the lines first, and the device has none. The wait
        // then goes on without those events, and so does every mask until the port is closed.
        if (start == TWaitStart::Failed && !FModemEventsRefused && (FMask & ModemLineEvents) &&
            RefuseModemEvents())
            start = WaitEvent(mask);
        return start;
    }
    bool FinishWaitEvent(std::uint32_t& mask) override {
        if (FGone) {
            ::WaitForSingleObject(FMaskChanged, INFINITE);
            mask = 0;
            return true;
        }
        DWORD unused = 0;
        if (!::GetOverlappedResult(FHandle, &FWaitOv, &unused, TRUE)) {
            Fail(::GetLastError());
            return false;
        }
        ::ResetEvent(FWaitOv.hEvent);
        mask = FWaitMask;
        return true;
    }
    TSerialError Read(char* buffer, std::uint32_t count, std::uint32_t& done) override {
        return Transfer(::ReadFile, buffer, count, done, FReadOv, nullptr);
    }
    // PurgeComm aborts only a write already pending: one issued just after it, under flow
    // control, would wait for ever. The abort stays signalled until a write that has to wait
    // takes it, so it ends that write as well, whichever came first.
    TSerialError Write(const char* buffer, std::uint32_t count, std::uint32_t& done) override {
        return Transfer(::WriteFile, buffer, count, done, FWriteOv, FWriteAbort);
    }

private:
    static constexpr std::uint32_t ModemLineEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;

    TWaitStart WaitEvent(std::uint32_t& mask) {
        FWaitMask = 0;
        if (::WaitCommEvent(FHandle, &FWaitMask, &FWaitOv)) {
            mask = FWaitMask;
            return TWaitStart::Done;
        }
        const DWORD code = ::GetLastError();
        if (code == ERROR_IO_PENDING)
            return TWaitStart::Pending;
        // A lost device is not waited on again; the close's mask change ends the next wait.
        return Fail(code) == TSerialError::Gone ? TWaitStart::Pending : TWaitStart::Failed;
    }
    // Sets the mask without the modem-line events for the rest of this open.
    bool RefuseModemEvents() {
        FModemEventsRefused = true;
        return ::SetCommMask(FHandle, FMask & ~ModemLineEvents) != 0;
    }
    // A failure on the open port. Access denied there means the device went away (a USB adapter
    // pulled out); only an open is refused so for a port that someone else holds.
    TSerialError Fail(DWORD code) {
        const TSerialError error = code == ERROR_ACCESS_DENIED ? TSerialError::Gone : MapError(code);
        if (error == TSerialError::Gone)
            FGone = true;
        return error;
    }
    // A read or a write; a write can also be ended by the abort event.
    template <class TCall, class TBuffer>
    TSerialError Transfer(TCall call, TBuffer buffer, std::uint32_t count, std::uint32_t& done,
                          OVERLAPPED& ov, HANDLE abort) {
        done = 0;
        if (FGone)
            return TSerialError::Gone;
        DWORD n = 0;
        if (!call(FHandle, buffer, count, &n, &ov)) {
            const DWORD code = ::GetLastError();
            if (code != ERROR_IO_PENDING)
                return Fail(code);
            const HANDLE events[] = {ov.hEvent, abort};
            const bool aborted =
                abort && ::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1;
            if (aborted)
                ::CancelIoEx(FHandle, &ov);
            const bool ok = ::GetOverlappedResult(FHandle, &ov, &n, TRUE) != 0;
            const DWORD result = ok ? ERROR_SUCCESS : ::GetLastError();
            ::ResetEvent(ov.hEvent);
            done = n;
            if (abort && (aborted || result == ERROR_OPERATION_ABORTED)) {
                ::ResetEvent(abort);
                return TSerialError::Cancelled;
            }
            if (!ok)
                return Fail(result);
        }
        done = n;
        return TSerialError::None;
    }
    std::array<HANDLE*, 5> Events() {
        return {&FReadOv.hEvent, &FWriteOv.hEvent, &FWaitOv.hEvent, &FMaskChanged, &FWriteAbort};
    }

    std::string FName;
    HANDLE FHandle = INVALID_HANDLE_VALUE;
    OVERLAPPED FReadOv{};
    OVERLAPPED FWriteOv{};
    OVERLAPPED FWaitOv{};
    DWORD FWaitMask = 0;
    // The mask asked for (the status watcher's, or the close's), and whether the device refused
    // the modem-line events in it.
    std::atomic<std::uint32_t> FMask{0};
    std::atomic<bool> FModemEventsRefused{false};
    HANDLE FMaskChanged = nullptr;
    HANDLE FWriteAbort = nullptr;
    std::atomic<bool> FGone{false};
    std::mutex FDcbLock;
    DCB FDcb{};
};

} // namespace

std::string SystemDeviceName(int comNumber) {
    return "\\\\.\\COM" + std::to_string(comNumber);
}

std::unique_ptr<TSerialDevice> MakeSerialDevice(int comNumber) {
    return std::make_unique<TWin32SerialDevice>(SerialDeviceName(comNumber));
}

bool TestOpenDevice(int comNumber) {
    const std::string name = SerialDeviceName(comNumber);
    if (name.empty())
        return false;
    const HANDLE handle = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(handle);
    return true;
}

int LastSystemError() {
    return static_cast<int>(::GetLastError());
}

void ClearLastSystemError() {
    ::SetLastError(0);
}

std::string SystemErrorText(int code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 ? std::string(text, length) : "system error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    // The system's texts end in a line break.
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}
