#include "base/HandOver.h"

#include <cstdio>
#include <exception>

THandOver::THandOver() : FUiThread(std::this_thread::get_id()) {}

bool THandOver::InUiThread() const {
    return std::this_thread::get_id() == FUiThread;
}

void THandOver::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(FLock);
    FWakeHook = std::move(hook);
}

void THandOver::Push(const std::shared_ptr<TCall>& call) {
    std::function<void()> hook;
    {
        std::lock_guard lock(FLock);
        FQueue.push_back(call);
        hook = FWakeHook;
    }
    FPosted.notify_all();
    if (hook)
        hook();
}

void THandOver::Synchronize(const std::function<void()>& call) {
    if (InUiThread()) {
        try {
            call();
        } catch (...) {
            ReportUncaught("handler failed");
        }
        return;
    }
    auto posted = std::make_shared<TCall>();
    posted->Call = call;
    Push(posted);
    std::unique_lock lock(FLock);
    FRan.wait(lock, [&] { return posted->Done; });
}

void THandOver::Post(std::function<void()> call) {
    auto posted = std::make_shared<TCall>();
    posted->Call = std::move(call);
    Push(posted);
}

void THandOver::Wake() {
    std::function<void()> hook;
    {
        std::lock_guard lock(FLock);
        FWoken = true;
        hook = FWakeHook;
    }
    FPosted.notify_all();
    if (hook)
        hook();
}

// One call at a time, so a call that pumps again (a nested wait) sees the rest of the queue.
bool THandOver::RunOne() {
    std::shared_ptr<TCall> call;
    {
        std::lock_guard lock(FLock);
        if (FQueue.empty())
            return false;
        call = FQueue.front();
        FQueue.pop_front();
    }
    try {
        call->Call();
    } catch (...) {
        // A failing handler must not take the worker that waits for it down.
        ReportUncaught("handler failed");
    }
    {
        std::lock_guard lock(FLock);
        call->Done = true;
    }
    FRan.notify_all();
    return true;
}

int THandOver::RunPending() {
    int count = 0;
    while (RunOne())
        ++count;
    return count;
}

int THandOver::WaitAndRun(std::chrono::steady_clock::time_point deadline) {
    {
        std::unique_lock lock(FLock);
        FPosted.wait_until(lock, deadline, [&] { return !FQueue.empty() || FWoken; });
        FWoken = false;
    }
    return RunPending();
}

bool PumpUntil(THandOver& handOver, const std::function<bool()>& cond, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    handOver.RunPending();
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return cond();
        // Short slices: cond() may turn true without anybody posting or waking.
        handOver.WaitAndRun(
            std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(5)));
    }
    return true;
}

void ReportUncaught(const char* where) {
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", where, e.what());
    } catch (...) {
        std::fprintf(stderr, "%s: unknown exception\n", where);
    }
}
