#pragma once
#include "base/HandOver.h"
#include "ui/Timer.h"
#include <chrono>
#include <functional>
#include <initializer_list>
#include <vector>

// Runs headless timers as an editor's event loop runs them, for a caller without one (the
// command line, the benchmarks): pumps the hand-overs of the serial workers and ticks each
// running timer once its interval has passed since it was last started.
class TTimerRunner {
public:
    TTimerRunner(THandOver& handOver, std::initializer_list<TTimer*> timers);
    TTimerRunner(const TTimerRunner&) = delete;
    TTimerRunner& operator=(const TTimerRunner&) = delete;

    // Until done() holds; false when no timer runs that could still make it hold.
    bool RunUntil(const std::function<bool()>& done);

private:
    using TClock = std::chrono::steady_clock;
    struct TRun {
        TTimer* Timer;
        TClock::time_point Started;
    };
    THandOver& HandOver;
    std::vector<TRun> Runs;
    // Counts starts and stops, so a tick is not given to a timer restarted meanwhile.
    unsigned Changes = 0;
};
