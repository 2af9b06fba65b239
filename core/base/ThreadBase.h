#pragma once
#include "base/HandOver.h"
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// A worker thread: Execute runs in a new thread, the owner requests the stop and joins.
// A subclass calls Start as the last step of its constructor (and is final), so the
// worker starts running only when its construction is complete.
class TThread {
public:
    explicit TThread(THandOver& handOver);
    virtual ~TThread(); // joins a thread still running
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void RequestStop();
    bool StopRequested() const { return FStop.load(); }
    bool Finished() const { return FFinished.load(); }
    // Waits until the thread has ended. From the UI thread it keeps running hand-overs
    // meanwhile, so a worker waiting in Synchronize can still finish.
    void WaitFor();
    // As WaitFor, but gives up at the deadline (false then; the thread runs on).
    bool WaitFor(std::chrono::steady_clock::time_point deadline);

protected:
    void Start();
    virtual void Execute() = 0;
    // Runs the call in the UI thread and waits until it has run there.
    void Synchronize(const std::function<void()>& call) { FHandOver.Synchronize(call); }
    // Sleeps, but returns at once when the stop is requested; false then.
    bool SleepUnlessStopped(std::chrono::milliseconds time);

private:
    void Run();

    THandOver& FHandOver;
    std::thread FThread;
    std::atomic<bool> FStop{false};
    std::atomic<bool> FFinished{false};
    std::mutex FStopLock;
    std::condition_variable FStopSignal;
};
