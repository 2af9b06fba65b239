#include "support/FakeSerialDevice.h"
#include "serial/CommTypes.h"

#include <algorithm>

namespace {

using TState = TFakeSerialDevice::TState;

class TFakeConnection final : public TSerialDevice {
public:
    explicit TFakeConnection(std::shared_ptr<TState> state) : S(std::move(state)) {}
    ~TFakeConnection() override { Close(); }

    TSerialErrorInfo Open() override {
        std::lock_guard lock(S->Lock);
        if (S->Removed)
            return DeviceError(TSerialError::NotFound);
        if (S->Open)
            return DeviceError(TSerialError::Busy);
        S->Open = FOpen = true;
        ++S->Opens;
        S->Pending = 0;
        S->RxArmed = true;
        S->RxReportedLevel = 0;
        return {};
    }
    void Close() override {
        std::lock_guard lock(S->Lock);
        if (FOpen)
            S->Open = FOpen = false;
    }
    bool IsOpen() const override { return FOpen; }
    bool IsGone() const override {
        std::lock_guard lock(S->Lock);
        return S->Removed;
    }
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return Usable(); }
    bool SetNoTimeouts() override { return Usable(); }
    bool GetSettings(TLineSettings& settings) override {
        std::lock_guard lock(S->Lock);
        settings = S->Settings;
        return !S->Removed;
    }
    bool SetSettings(const TLineSettings& settings) override {
        {
            std::lock_guard lock(S->Lock);
            if (S->Removed)
                return false;
            S->Settings = settings;
        }
        S->Changed.notify_all();
        return true;
    }
    bool Escape(TEscape function) override {
        std::lock_guard lock(S->Lock);
        if (S->Removed || S->RefuseEscapes)
            return false;
        switch (function) {
        case TEscape::SetDtr:
        case TEscape::ClrDtr:
            S->Dtr = function == TEscape::SetDtr;
            break;
        case TEscape::SetRts:
        case TEscape::ClrRts:
            S->Rts = function == TEscape::SetRts;
            break;
        case TEscape::SetBreak:
        case TEscape::ClrBreak:
            break; // taken, not recorded
        }
        return true;
    }
    bool GetModemStatus(std::uint32_t& status) override {
        std::lock_guard lock(S->Lock);
        if (S->Removed || !S->ModemReadable)
            return false;
        status = S->Modem;
        return true;
    }
    bool QueueCounts(std::uint32_t& inQueue, std::uint32_t& outQueue) override {
        std::lock_guard lock(S->Lock);
        ++S->Queries;
        if (S->Removed)
            return false;
        inQueue = static_cast<std::uint32_t>(S->Input.size());
        outQueue = 0;
        return true;
    }
    bool Purge(std::uint32_t flags) override {
        {
            std::lock_guard lock(S->Lock);
            if (flags & PurgeFlag::TxAbort)
                ++S->WriteAborts;
            if (flags & PurgeFlag::RxClear) {
                S->Input.clear();
                ++S->InputPurges;
                S->RxArmed = true;
                S->RxReportedLevel = 0;
            }
        }
        S->Changed.notify_all();
        return true;
    }
    bool SetEventMask(std::uint32_t mask) override {
        {
            std::lock_guard lock(S->Lock);
            S->Mask = mask;
            S->Pending &= mask;
            ++S->MaskChanges;
            S->CheckReceived();
        }
        S->Changed.notify_all();
        return true;
    }
    TWaitStart StartWaitEvent(std::uint32_t& mask) override {
        std::unique_lock lock(S->Lock);
        if (S->HoldWaitStart) {
            S->HoldWaitStart = false;
            S->WaitStartHeld = true;
            S->Changed.notify_all();
            const std::uint32_t changes = S->MaskChanges;
            S->Changed.wait(lock, [&] { return S->MaskChanges != changes; });
        }
        FWaitMaskChanges = S->MaskChanges;
        if (S->Pending && !S->Removed) {
            mask = S->Pending;
            S->Pending = 0;
            return TWaitStart::Done;
        }
        return TWaitStart::Pending;
    }
    bool FinishWaitEvent(std::uint32_t& mask) override {
        std::unique_lock lock(S->Lock);
        S->Changed.wait(lock,
                        [&] { return S->MaskChanges != FWaitMaskChanges || (S->Pending && !S->Removed); });
        mask = S->MaskChanges != FWaitMaskChanges ? 0 : S->Pending;
        S->Pending = 0;
        return true;
    }
    TSerialError Read(char* buffer, std::uint32_t count, std::uint32_t& done) override {
        return Take(nullptr, buffer, count, done);
    }
    std::uint32_t InputPurges() const override {
        std::lock_guard lock(S->Lock);
        return S->InputPurges;
    }
    TSerialError ReadSince(std::uint32_t purges, char* buffer, std::uint32_t count,
                           std::uint32_t& done) override {
        return Take(&purges, buffer, count, done);
    }
    TSerialError Write(const char* buffer, std::uint32_t count, std::uint32_t& done) override {
        done = 0;
        std::unique_lock lock(S->Lock);
        ++S->WriteAttempts;
        const std::uint32_t aborts = S->WriteAborts;
        S->Changed.wait(lock, [&] { return !S->WritesHeld() || S->WriteAborts != aborts || S->Removed; });
        if (S->Removed)
            return TSerialError::Gone;
        if (S->WriteAborts != aborts)
            return TSerialError::Cancelled;
        if (S->FailWrites)
            return TSerialError::Io;
        S->Output.append(buffer, count);
        S->WriteSizes.push_back(count);
        done = count;
        lock.unlock();
        S->Changed.notify_all();
        return TSerialError::None;
    }

private:
    // A held read takes the bytes there when it is released, as a read made at that moment;
    // with `purges`, one made after a purge takes nothing.
    TSerialError Take(const std::uint32_t* purges, char* buffer, std::uint32_t count, std::uint32_t& done) {
        done = 0;
        std::unique_lock lock(S->Lock);
        ++S->ReadAttempts;
        S->Changed.notify_all();
        S->Changed.wait(lock, [&] { return !S->HoldReads || S->Removed; });
        if (S->Removed)
            return TSerialError::Gone;
        if (purges && S->InputPurges != *purges)
            return TSerialError::Cancelled;
        if (S->FailReads)
            return TSerialError::Io;
        done = static_cast<std::uint32_t>(std::min<std::size_t>(count, S->Input.size()));
        std::copy_n(S->Input.begin(), done, buffer);
        S->Input.erase(0, done);
        S->RxArmed = true;
        S->CheckReceived();
        return TSerialError::None;
    }
    bool Usable() const {
        std::lock_guard lock(S->Lock);
        return FOpen && !S->Removed;
    }

    std::shared_ptr<TState> S;
    bool FOpen = false;
    std::uint32_t FWaitMaskChanges = 0;
};

} // namespace

void TState::Post(std::uint32_t bits) {
    Pending |= bits & Mask;
    Changed.notify_all();
}

void TState::CheckReceived() {
    const auto waiting = static_cast<std::uint32_t>(Input.size());
    if (!(Mask & CommEvent::RxChar) || waiting == 0 || !(RxArmed || waiting > RxReportedLevel))
        return;
    RxArmed = false;
    RxReportedLevel = waiting;
    Post(CommEvent::RxChar);
}

// Under hardware flow control the device itself holds bytes back while CTS is off; one without
// modem lines (a pseudo-terminal) holds nothing back.
bool TState::WritesHeld() const {
    return HoldWrites ||
           (ModemReadable && (Settings.Flags & ControlFlag::OutxCtsFlow) && !(Modem & ModemStatus::Cts));
}

TFakeSerialDevice::TFakeSerialDevice() : FState(std::make_shared<TState>()) {}

std::unique_ptr<TSerialDevice> TFakeSerialDevice::Connect() {
    return std::make_unique<TFakeConnection>(FState);
}

void TFakeSerialDevice::Feed(const std::string& bytes) {
    std::lock_guard lock(FState->Lock);
    FState->Input += bytes;
    FState->CheckReceived();
}

std::uint32_t TFakeSerialDevice::Waiting() const {
    std::lock_guard lock(FState->Lock);
    return static_cast<std::uint32_t>(FState->Input.size());
}

std::string TFakeSerialDevice::Written() const {
    std::lock_guard lock(FState->Lock);
    return FState->Output;
}

std::vector<std::uint32_t> TFakeSerialDevice::WriteSizes() const {
    std::lock_guard lock(FState->Lock);
    return FState->WriteSizes;
}

bool TFakeSerialDevice::WaitWritten(std::size_t count, TClock::time_point deadline) const {
    std::unique_lock lock(FState->Lock);
    return FState->Changed.wait_until(lock, deadline, [&] { return FState->Output.size() >= count; });
}

void TFakeSerialDevice::ClearWritten() {
    std::lock_guard lock(FState->Lock);
    FState->Output.clear();
    FState->WriteSizes.clear();
}

void TFakeSerialDevice::SetLine(std::uint32_t bit, std::uint32_t event, bool on) {
    std::lock_guard lock(FState->Lock);
    if (((FState->Modem & bit) != 0) == on)
        return;
    FState->Modem ^= bit;
    FState->Post(event);
}

void TFakeSerialDevice::SetCts(bool on) {
    SetLine(ModemStatus::Cts, CommEvent::Cts, on);
}
void TFakeSerialDevice::SetDcd(bool on) {
    SetLine(ModemStatus::Rlsd, CommEvent::Rlsd, on);
}

void TFakeSerialDevice::RaiseEvents(std::uint32_t bits) {
    std::lock_guard lock(FState->Lock);
    FState->Post(bits);
}

void TFakeSerialDevice::SetModemReadable(bool readable) {
    std::lock_guard lock(FState->Lock);
    FState->ModemReadable = readable;
}

void TFakeSerialDevice::RefuseEscapes(bool refuse) {
    std::lock_guard lock(FState->Lock);
    FState->RefuseEscapes = refuse;
}

void TFakeSerialDevice::HoldReads(bool hold) {
    {
        std::lock_guard lock(FState->Lock);
        FState->HoldReads = hold;
    }
    FState->Changed.notify_all();
}

void TFakeSerialDevice::FailReads(bool fail) {
    std::lock_guard lock(FState->Lock);
    FState->FailReads = fail;
}

void TFakeSerialDevice::FailWrites(bool fail) {
    std::lock_guard lock(FState->Lock);
    FState->FailWrites = fail;
}

void TFakeSerialDevice::HoldWrites(bool hold) {
    {
        std::lock_guard lock(FState->Lock);
        FState->HoldWrites = hold;
    }
    FState->Changed.notify_all();
}

void TFakeSerialDevice::HoldNextWaitStart() {
    std::lock_guard lock(FState->Lock);
    FState->HoldWaitStart = true;
    FState->WaitStartHeld = false;
}

bool TFakeSerialDevice::WaitStartHeld(TClock::time_point deadline) const {
    std::unique_lock lock(FState->Lock);
    return FState->Changed.wait_until(lock, deadline, [&] { return FState->WaitStartHeld; });
}

void TFakeSerialDevice::Remove() {
    {
        std::lock_guard lock(FState->Lock);
        FState->Removed = true;
    }
    FState->Changed.notify_all();
}

bool TFakeSerialDevice::IsOpen() const {
    std::lock_guard lock(FState->Lock);
    return FState->Open;
}

int TFakeSerialDevice::Opens() const {
    std::lock_guard lock(FState->Lock);
    return FState->Opens;
}

int TFakeSerialDevice::ReadAttempts() const {
    std::lock_guard lock(FState->Lock);
    return FState->ReadAttempts;
}

int TFakeSerialDevice::Queries() const {
    std::lock_guard lock(FState->Lock);
    return FState->Queries;
}

int TFakeSerialDevice::WriteAttempts() const {
    std::lock_guard lock(FState->Lock);
    return FState->WriteAttempts;
}

std::uint32_t TFakeSerialDevice::EventMask() const {
    std::lock_guard lock(FState->Lock);
    return FState->Mask;
}

TLineSettings TFakeSerialDevice::Settings() const {
    std::lock_guard lock(FState->Lock);
    return FState->Settings;
}

bool TFakeSerialDevice::Dtr() const {
    std::lock_guard lock(FState->Lock);
    return FState->Dtr;
}

bool TFakeSerialDevice::Rts() const {
    std::lock_guard lock(FState->Lock);
    return FState->Rts;
}
