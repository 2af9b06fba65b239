#include "link/TimerRunner.h"
#include <algorithm>

TTimerRunner::TTimerRunner(THandOver& handOver, std::initializer_list<TTimer*> timers) : HandOver(handOver) {
    Runs.reserve(timers.size());
    for (TTimer* timer : timers) {
        Runs.push_back({timer, TClock::now()});
        timer->Watch([this, index = Runs.size() - 1] {
            Runs[index].Started = TClock::now();
            ++Changes;
        });
    }
}

bool TTimerRunner::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        TTimer* next = nullptr;
        TClock::time_point due = TClock::time_point::max();
        for (const TRun& run : Runs) {
            const auto at = run.Started + std::chrono::milliseconds(run.Timer->Interval);
            if (run.Timer->Running() && at < due) {
                next = run.Timer;
                due = at;
            }
        }
        if (!next)
            return false;
        const unsigned changes = Changes;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - TClock::now());
        PumpUntil(
            HandOver, [&] { return done() || Changes != changes; },
            std::max(left, std::chrono::milliseconds(0)));
        if (!done() && Changes == changes)
            next->Tick();
    }
    return true;
}
