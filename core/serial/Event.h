#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

// A Windows-style event object. An auto-reset event releases one waiter and clears
// itself; a manual-reset event stays set until it is reset.
class TEvent {
public:
    enum class TKind { AutoReset, ManualReset };
    explicit TEvent(TKind kind) : FKind(kind) {}
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    void Set();
    void Reset();
    void Wait();
    // False when the deadline passed first.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);
    bool IsSet() const;

private:
    const TKind FKind;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    bool FSet = false;
};
