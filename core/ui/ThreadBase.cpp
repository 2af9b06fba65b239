#include "ui/ThreadBase.h"

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
        // A worker ends quietly; nothing it meets is shown to the user.
    }
    FFinished = true;
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
