#include "base/ThreadBase.h"

#include <algorithm>

TThread::TThread(THandOver& handOver) : FHandOver(handOver) {}

TThread::~TThread() {
    if (FThread.joinable())
        FThread.join();
}

void TThread::Start() {
    FThread = std::thread([this] { Run(); });
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        // Nothing a worker meets is shown to the user, but the end is not silent.
        ReportUncaught("worker thread ended");
    }
    {
        std::lock_guard lock(FStopLock);
        FFinished = true;
    }
    FStopSignal.notify_all();
    FHandOver.Wake();
}

void TThread::RequestStop() {
    {
        std::lock_guard lock(FStopLock);
        FStop = true;
    }
    FStopSignal.notify_all();
}

bool TThread::SleepUnlessStopped(std::chrono::milliseconds time) {
    std::unique_lock lock(FStopLock);
    return !FStopSignal.wait_for(lock, time, [&] { return FStop.load(); });
}

void TThread::WaitFor() {
    if (FHandOver.InUiThread()) {
        while (!FFinished)
            FHandOver.WaitAndRun(std::chrono::steady_clock::now() + std::chrono::seconds(1));
    }
    if (FThread.joinable())
        FThread.join();
}

bool TThread::WaitFor(std::chrono::steady_clock::time_point deadline) {
    if (FHandOver.InUiThread()) {
        while (!FFinished && std::chrono::steady_clock::now() < deadline)
            FHandOver.WaitAndRun(
                std::min(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(1)));
    } else {
        std::unique_lock lock(FStopLock);
        FStopSignal.wait_until(lock, deadline, [&] { return FFinished.load(); });
    }
    if (!FFinished)
        return false;
    WaitFor();
    return true;
}
