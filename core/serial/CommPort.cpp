#include "serial/CommPort.h"
#include "serial/EvRead.h"
#include "serial/EvStatus.h"
#include "serial/ThStatus.h"
#include "serial/ThWrite.h"
#include "serial/Thread.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <thread>

namespace {

constexpr int Rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                         19200, 38400, 56000, 57600, 115200, 128000, 256000};

constexpr std::uint32_t ControlWord(TComControl control) {
    switch (control) {
    case ccSoft:
        return ControlFlag::ForSoft;
    case ccHard:
        return ControlFlag::ForHard;
    default:
        return ControlFlag::ForNone;
    }
}

} // namespace

TCommPort::TCommPort(THandOver& handOver)
    : DeviceFactory(MakeSerialDevice), MonitorEvents(0x01FF & ~EventBit(evRxEventChar)), FHandOver(handOver),
      FSelf(std::make_shared<TCommPort*>(this)) {}

TCommPort::~TCommPort() {
    FHandlerDepth = 0;
    ClosePort();
    FSelf.reset();
}

void TCommPort::SetOpen(bool value) {
    if (value == FOpen)
        return;
    if (value)
        OpenPort();
    else
        ClosePort();
}

void TCommPort::ReleaseRings() {
    FIn.Buffer = {};
    FOut.Buffer = {};
    FIn.Used = 0;
    FOut.Used = 0;
    FIn.Size = FOut.Size = 0;
}

void TCommPort::OpenPort() {
    if (FOpen) {
        // Closed and opened again inside a handler: the deferred close becomes a reopen.
        if (FDeferred == TDeferred::Close)
            FDeferred = TDeferred::Reopen;
        return;
    }
    FOpenError = {};
    FIn.Used = FOut.Used = 0;
    FIn.Pos = FOut.Pos = 0;
    try {
        FOut.Buffer.assign(FOutSize, 0);
        FIn.Buffer.assign(FInSize, 0);
    } catch (const std::bad_alloc&) {
        ReleaseRings();
        FOpenError = {TSerialError::Io, 0, "not enough memory for the port's buffers"};
        return;
    }
    FOut.Size = FOutSize;
    FIn.Size = FInSize;
    ClearLastSystemError();
    FDevice = DeviceFactory ? DeviceFactory(FComNumber) : nullptr;
    const TSerialErrorInfo failure = FDevice ? FDevice->Open() : DeviceError(TSerialError::NotFound);
    if (failure.Error != TSerialError::None) {
        FDevice.reset();
        ReleaseRings();
        FOpenError = failure;
        return;
    }
    FDevice->SetQueueSizes(FInSize, FOutSize);
    FDevice->SetNoTimeouts();
    SetComControl(FControl);
    SetBaudRate(FBaudRate);
    SetParity(FParity);
    // Replayed as they are, the data and stop bits warn of nothing: a warning came when the
    // combination was set.
    SetCharacterFormat(FDataBits, FStopBits);
    SetXonLim(FXonLim);
    SetXoffLim(FXoffLim);
    SetXonChar(FXonChar);
    SetXoffChar(FXoffChar);
    SetEventChar(FEventChar);
    FStatusThread = std::make_unique<TStatusThread>(*this, MonitorEvents);
    FReadWake.Reset();
    FReadThread = std::make_unique<TReadThread>(*this);
    FWriteWake.Reset();
    FWriteThread = std::make_unique<TWriteThread>(*this);
    FDataReady.Reset();
    FReadEventThread = std::make_unique<TReadEventThread>(*this);
    FStatusReady.Reset();
    FStatusEventThread = std::make_unique<TStatusEventThread>(*this);
    FOpen = true;
    SetDTR(FDTR);
    SetRTS(FRTS);
    if (OnOpen)
        OnOpen(*this, LastSystemError());
}

void TCommPort::ClosePort() {
    if (!FOpen || FClosing)
        return;
    // The delivery worker that runs this handler waits for it, and the close would wait for
    // that worker: close once the handler has returned.
    if (FHandlerDepth > 0) {
        Defer(TDeferred::Close);
        return;
    }
    FClosing = true;
    FCTS = FDSR = FDCD = FRing = false;
    FStatusThread->RequestStop();
    FDevice->SetEventMask(0);
    FStatusThread->WaitFor();
    FStatusThread.reset();
    FReadThread->RequestStop();
    FReadWake.Set();
    FReadThread->WaitFor();
    FReadThread.reset();
    StopWriter();
    FReadEventThread->RequestStop();
    FDataReady.Set();
    FReadEventThread->WaitFor();
    FReadEventThread.reset();
    FStatusEventThread->RequestStop();
    FStatusReady.Set();
    FStatusEventThread->WaitFor();
    FStatusEventThread.reset();
    FDevice->Close();
    FDevice.reset();
    ReleaseRings();
    FOpen = false;
    FClosing = false;
    if (OnClose)
        OnClose(*this);
}

std::chrono::milliseconds TCommPort::DrainTime() {
    std::uint32_t inQueue = 0, outQueue = 0;
    FDevice->QueueCounts(inQueue, outQueue);
    const double stopBits = FStopBits == sb1_0 ? 1.0 : FStopBits == sb1_5 ? 1.5 : 2.0;
    const double bitsPerByte = 1 + FDataBits + (FParity == paNone ? 0 : 1) + stopBits;
    const double lineMs = 1000.0 * (double(FOut.Used) + outQueue) * bitsPerByte / GetBaud();
    return std::chrono::milliseconds(static_cast<long long>(lineMs * 1.1) + 500);
}

// The writer finishes its pass: what was queued before the close goes to the device and on to
// the line. Only output the device holds back (flow control) past the line time, or a device
// that fails, loses what is left; then the close aborts the write as it always did.
void TCommPort::StopWriter() {
    const auto deadline = std::chrono::steady_clock::now() + DrainTime();
    FWriteThread->RequestStop();
    FWriteWake.Set();
    if (!FWriteThread->WaitFor(deadline)) {
        FOutAbandoned = true;
        FDevice->Purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
        FWriteThread->WaitFor();
    } else if (!PumpUntil(
                   FHandOver,
                   [this] {
                       std::uint32_t inQueue = 0, outQueue = 0;
                       return !FDevice->QueueCounts(inQueue, outQueue) || outQueue == 0;
                   },
                   std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                         std::chrono::steady_clock::now()))) {
        FDevice->Purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
    }
    FWriteThread.reset();
    FOutAbandoned = false;
}

void TCommPort::Defer(TDeferred action) {
    if (action == TDeferred::Close || FDeferred == TDeferred::None)
        FDeferred = action;
}

void TCommPort::RunHandler(const std::function<void()>& handler) {
    ++FHandlerDepth;
    try {
        handler();
    } catch (...) {
        // A close the handler asked for still runs.
        --FHandlerDepth;
        PostDeferred();
        throw;
    }
    --FHandlerDepth;
    PostDeferred();
}

void TCommPort::PostDeferred() {
    if (FHandlerDepth == 0 && FDeferred != TDeferred::None && !FDeferredPosted) {
        FDeferredPosted = true;
        std::weak_ptr<TCommPort*> self = FSelf;
        FHandOver.Post([self] {
            if (auto port = self.lock())
                (*port)->RunDeferred();
        });
    }
}

void TCommPort::RunDeferred() {
    FDeferredPosted = false;
    // Still inside a handler (an event loop nested in one): its end posts this again.
    if (FHandlerDepth > 0)
        return;
    const TDeferred action = FDeferred;
    FDeferred = TDeferred::None;
    if (action == TDeferred::None)
        return;
    ClosePort();
    if (action == TDeferred::Reopen)
        OpenPort();
}

void TCommPort::DeliverData() {
    if (OnDataReceived)
        RunHandler([this] { OnDataReceived(*this, FIn.Used); });
}

void TCommPort::DeliverStatus() {
    const std::uint32_t m = FLastEvents;
    const std::pair<std::uint32_t, std::function<void(TCommPort&)>*> order[] = {
        {CommEvent::Cts, &OnCTSSignal},     {CommEvent::Rlsd, &OnDCDSignal},
        {CommEvent::Dsr, &OnDSRSignal},     {CommEvent::Ring, &OnRingSignal},
        {CommEvent::RxChar, &OnRxDSignal},  {CommEvent::RxFlag, &OnRxEventSignal},
        {CommEvent::TxEmpty, &OnTxDSignal}, {CommEvent::Break, &OnBreakSignal}};
    const bool any = std::any_of(std::begin(order), std::end(order),
                                 [&](const auto& e) { return (m & e.first) && *e.second; }) ||
                     ((m & CommEvent::Err) && OnErrorSignal);
    if (!any)
        return;
    RunHandler([&] {
        for (const auto& [bit, handler] : order)
            if ((m & bit) && *handler)
                (*handler)(*this);
        if ((m & CommEvent::Err) && OnErrorSignal)
            OnErrorSignal(*this, LastSystemError());
    });
}

void TCommPort::SetLineFlags(std::uint32_t status) {
    FCTS = (status & ModemStatus::Cts) != 0;
    FDSR = (status & ModemStatus::Dsr) != 0;
    FDCD = (status & ModemStatus::Rlsd) != 0;
    FRing = (status & ModemStatus::Ring) != 0;
}

// Read-modify-write of one field of the device's settings; the device's answers are ignored.
void TCommPort::ApplySetting(const std::function<void(TLineSettings&)>& change) {
    if (!IsEnabled())
        return;
    FDevice->GetSettings(FDeviceSettings);
    change(FDeviceSettings);
    FDevice->SetSettings(FDeviceSettings);
}

void TCommPort::SetComNumber(int value) {
    SetOpen(false);
    FComNumber = value;
}

void TCommPort::SetIBuffSize(std::uint32_t value) {
    Resize(FInSize, value);
}

void TCommPort::SetOBuffSize(std::uint32_t value) {
    Resize(FOutSize, value);
}

// An open port is closed and opened again with the new size (after the handler, inside one).
void TCommPort::Resize(std::uint32_t& size, std::uint32_t value) {
    const bool wasOpen = FOpen;
    if (wasOpen && FHandlerDepth > 0) {
        size = value;
        Defer(TDeferred::Reopen);
        return;
    }
    SetOpen(false);
    size = value;
    if (wasOpen)
        SetOpen(true);
}

int TCommPort::GetBaud() const {
    return Rates[FBaudRate];
}

void TCommPort::SetBaud(int value) {
    const auto found = std::find(std::begin(Rates), std::end(Rates), value);
    if (found != std::end(Rates))
        SetBaudRate(static_cast<TBaudRate>(found - std::begin(Rates)));
}

void TCommPort::SetBaudRate(TBaudRate value) {
    FBaudRate = value;
    ApplySetting([&](TLineSettings& s) { s.Rate = static_cast<std::uint32_t>(Rates[value]); });
}

void TCommPort::SetComControl(TComControl value) {
    FControl = value;
    ApplySetting([&](TLineSettings& s) { s.Flags = ControlWord(value); });
}

void TCommPort::SetParity(TParity value) {
    FParity = value;
    ApplySetting([&](TLineSettings& s) { s.Parity = static_cast<std::uint8_t>(value); });
}

void TCommPort::SetStopBits(TStopBits value) {
    SetCharacterFormat(FDataBits, value);
}

void TCommPort::SetDataBits(std::uint16_t value) {
    SetCharacterFormat(value, FStopBits);
}

// A combination that did not change (a replay, the same choice again) warns of nothing more.
void TCommPort::SetCharacterFormat(std::uint16_t dataBits, TStopBits stopBits) {
    const std::uint16_t bits = dataBits < 5 || dataBits > 8 ? 8 : dataBits;
    const bool changed = bits != FDataBits || stopBits != FStopBits;
    FDataBits = bits;
    FStopBits = stopBits;
    ApplySetting([&](TLineSettings& s) {
        s.ByteSize = static_cast<std::uint8_t>(bits);
        s.StopBits = static_cast<std::uint8_t>(stopBits);
    });
    if (changed)
        BitsWarning();
}

void TCommPort::SetXonLim(std::uint16_t value) {
    FXonLim = value;
    ApplySetting([&](TLineSettings& s) { s.XonLim = value; });
}

void TCommPort::SetXoffLim(std::uint16_t value) {
    FXoffLim = static_cast<std::uint16_t>(std::min<std::uint32_t>({value, FInSize, 65535}));
    ApplySetting([&](TLineSettings& s) { s.XoffLim = FXoffLim; });
}

void TCommPort::SetXonChar(unsigned char value) {
    FXonChar = value;
    ApplySetting([&](TLineSettings& s) { s.XonChar = static_cast<char>(value); });
}

void TCommPort::SetXoffChar(unsigned char value) {
    FXoffChar = value;
    ApplySetting([&](TLineSettings& s) { s.XoffChar = static_cast<char>(value); });
}

void TCommPort::SetEventChar(unsigned char value) {
    FEventChar = value;
    ApplySetting([&](TLineSettings& s) { s.EventChar = static_cast<char>(value); });
}

void TCommPort::BitsWarning() {
    const char* text = nullptr;
    if (FDataBits != 5 && FStopBits == sb1_5)
        text = "Invalid combination (6,7 or 8 data bits with 1.5 stop bits)";
    else if (FDataBits == 5 && FStopBits == sb2_0)
        text = "Invalid combination (5 data bits with 2 stop bits)";
    if (text)
        FWarnings.emplace_back(text);
}

std::uint32_t TCommPort::PutBlock(const char* buffer, std::uint32_t count) {
    if (!IsEnabled())
        return 0;
    std::uint32_t p, u;
    {
        std::lock_guard lock(FOut.Lock);
        p = FOut.Pos;
        u = FOut.Used;
    }
    // The free run after the used bytes, then the free bytes at the start of the buffer.
    const auto [index, room] = FOut.FreeRun(p, u);
    const std::uint32_t first = std::min(count, room);
    const std::uint32_t second = std::min(count - first, FOut.Size - u - first);
    if (first)
        std::memcpy(FOut.Buffer.data() + index, buffer, first);
    if (second)
        std::memcpy(FOut.Buffer.data(), buffer + first, second);
    const std::uint32_t total = first + second;
    std::lock_guard lock(FOut.Lock);
    FOut.Used += total;
    if (total > 0)
        FWriteWake.Set();
    return total;
}

std::uint32_t TCommPort::GetBlock(char* buffer, std::uint32_t count) {
    if (!IsEnabled() || FIn.Used == 0)
        return 0;
    std::uint32_t p, u;
    {
        std::lock_guard lock(FIn.Lock);
        p = FIn.Pos;
        u = FIn.Used;
    }
    // The used run from Pos, then the rest that wrapped to the start of the buffer.
    const std::uint32_t first = std::min(count, FIn.UsedRun(p, u));
    const std::uint32_t second = std::min(count - first, u - first);
    if (first)
        std::memcpy(buffer, FIn.Buffer.data() + p, first);
    if (second)
        std::memcpy(buffer + first, FIn.Buffer.data(), second);
    const std::uint32_t total = first + second;
    {
        std::lock_guard lock(FIn.Lock);
        FIn.Take(total);
    }
    // Also for a take of nothing: a reader stopped by a full ring goes on.
    FReadWake.Set();
    return total;
}

std::uint32_t TCommPort::PutString(const char* text) {
    return text ? PutBlock(text, static_cast<std::uint32_t>(std::strlen(text))) : 0;
}

char TCommPort::GetChar() {
    char c = 0;
    if (FIn.Used > 0)
        GetBlock(&c, 1);
    return c;
}

std::uint32_t TCommPort::GetInBuffFree() {
    std::lock_guard lock(FIn.Lock);
    return (FOpen ? FIn.Size : FInSize) - FIn.Used;
}

std::uint32_t TCommPort::GetOutBuffFree() {
    std::lock_guard lock(FOut.Lock);
    return (FOpen ? FOut.Size : FOutSize) - FOut.Used;
}

int TCommPort::GetOutQueCount() {
    std::uint32_t inQueue = 0, outQueue = 0;
    if (!IsEnabled() || !FDevice->QueueCounts(inQueue, outQueue))
        return 0;
    return static_cast<int>(outQueue);
}

void TCommPort::FlushInBuffer() {
    {
        std::lock_guard lock(FIn.Lock);
        ++FIn.FlushesBegun;
    }
    if (IsEnabled())
        FDevice->Purge(PurgeFlag::RxAbort | PurgeFlag::RxClear);
    std::lock_guard lock(FIn.Lock);
    FIn.Used = 0;
    FIn.Flushes = FIn.FlushesBegun;
}

void TCommPort::FlushOutBuffer() {
    if (IsEnabled())
        FDevice->Purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
    std::lock_guard lock(FOut.Lock);
    FWriteWake.Reset();
    FOut.Used = 0;
    ++FOut.Flushes;
}

void TCommPort::SetDTR(bool value) {
    if (!FOpen)
        FDTR = value;
    else if (FDevice->Escape(value ? TEscape::SetDtr : TEscape::ClrDtr))
        FDTR = value;
}

void TCommPort::SetRTS(bool value) {
    if (!FOpen)
        FRTS = value;
    else if (FDevice->Escape(value ? TEscape::SetRts : TEscape::ClrRts))
        FRTS = value;
}

bool TCommPort::SetBreak(bool on) {
    return FOpen && FDevice->Escape(on ? TEscape::SetBreak : TEscape::ClrBreak);
}

void TCommPort::SendBreak(unsigned short ticks) {
    if (IsEnabled())
        FDevice->Escape(TEscape::SetBreak);
    std::this_thread::sleep_for(std::chrono::milliseconds(55) * ticks);
    if (IsEnabled())
        FDevice->Escape(TEscape::ClrBreak);
}

void TCommPort::PowerOn() {
    if (IsEnabled()) {
        FDevice->Escape(TEscape::SetDtr);
        FDevice->Escape(TEscape::SetRts);
    }
    FDTR = FRTS = true;
}

void TCommPort::PowerOff() {
    if (IsEnabled()) {
        FDevice->Escape(TEscape::ClrDtr);
        FDevice->Escape(TEscape::ClrRts);
    }
    FDTR = FRTS = false;
}

bool TCommPort::GetModemState(int line) {
    static constexpr std::uint32_t bits[] = {0, ModemStatus::Cts, ModemStatus::Dsr, ModemStatus::Ring,
                                             ModemStatus::Rlsd};
    std::uint32_t status = 0;
    if (line < 1 || line > 4 || !IsEnabled() || !FDevice->GetModemStatus(status))
        return false;
    return (status & bits[line]) != 0;
}
