#include "serial/Event.h"

void TEvent::Set() {
    {
        std::lock_guard lock(FLock);
        FSet = true;
    }
    if (FKind == TKind::AutoReset)
        FChanged.notify_one();
    else
        FChanged.notify_all();
}

void TEvent::Reset() {
    std::lock_guard lock(FLock);
    FSet = false;
}

void TEvent::Wait() {
    std::unique_lock lock(FLock);
    FChanged.wait(lock, [&] { return FSet; });
    if (FKind == TKind::AutoReset)
        FSet = false;
}

bool TEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(FLock);
    if (!FChanged.wait_until(lock, deadline, [&] { return FSet; }))
        return false;
    if (FKind == TKind::AutoReset)
        FSet = false;
    return true;
}

bool TEvent::IsSet() const {
    std::lock_guard lock(FLock);
    return FSet;
}
