#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// The queue by which worker threads run calls in the user-interface thread. A worker
// posts a call and waits until the UI thread has run it; the UI thread runs posted calls
// from its event loop (the GUI) or while it waits for something (PumpUntil, a close).
class THandOver {
public:
    THandOver(); // the constructing thread is the UI thread
    THandOver(const THandOver&) = delete;
    THandOver& operator=(const THandOver&) = delete;

    // From a worker: run the call in the UI thread and wait until it has run.
    // From the UI thread: run it at once. An exception thrown by the call is swallowed.
    void Synchronize(const std::function<void()>& call);
    // Queue a call for the UI thread without waiting for it (from any thread).
    void Post(std::function<void()> call);
    // UI thread: run all posted calls; returns how many ran.
    int RunPending();
    // UI thread: wait for a posted call, a Wake or the deadline, then run what is pending.
    int WaitAndRun(std::chrono::steady_clock::time_point deadline);
    // Ends a WaitAndRun early without posting a call (a worker that has finished uses it).
    void Wake();
    // Called from the posting thread after each post (the Qt GUI wakes its event loop with it).
    void SetWakeHook(std::function<void()> hook);
    bool InUiThread() const;

private:
    struct TCall {
        std::function<void()> Call;
        bool Done = false;
    };
    bool RunOne();
    void Push(const std::shared_ptr<TCall>& call);

    std::thread::id FUiThread;
    mutable std::mutex FLock;
    std::condition_variable FPosted;
    std::condition_variable FRan;
    std::deque<std::shared_ptr<TCall>> FQueue;
    bool FWoken = false;
    std::function<void()> FWakeHook;
};

// Inside a catch block: one line on standard error naming where and what was thrown, for an
// exception that nothing else will report.
void ReportUncaught(const char* where);

// UI thread: pump hand-overs until cond() is true or the timeout passes; returns cond().
bool PumpUntil(THandOver& handOver, const std::function<bool()>& cond, std::chrono::milliseconds timeout);
