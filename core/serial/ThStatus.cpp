#include "serial/ThStatus.h"
#include "serial/CommPort.h"

TStatusThread::TStatusThread(TCommPort& owner, TEventStates events)
    : TThread(owner.FHandOver), FOwner(owner), FDevice(*owner.FDevice) {
    std::uint32_t mask = 0;
    for (int i = evRxChar; i <= evRing; ++i)
        if (events & (1u << i))
            mask |= 1u << i;
    FDevice.SetEventMask(mask);
    // Known before the writer starts, which asks it.
    std::uint32_t status;
    FOwner.FModemKnown = FDevice.GetModemStatus(status);
    Start();
}

void TStatusThread::Execute() {
    using namespace std::chrono_literals;
    std::uint32_t status;
    if (FDevice.GetModemStatus(status)) {
        FOwner.SetLineFlags(status);
        FOwner.FLastEvents = 0;
    }
    while (!StopRequested()) {
        std::uint32_t mask = 0;
        const TWaitStart start = FDevice.StartWaitEvent(mask);
        if (start != TWaitStart::Done) {
            // Events of this pause are passed on when it ends; it also paces failed waits.
            SleepUnlessStopped(50ms);
            // A close may have changed the mask before this wait started: that change cannot
            // end it, so the stop request is looked at once more first.
            if (start == TWaitStart::Failed || StopRequested() || !FDevice.FinishWaitEvent(mask))
                continue;
        }
        FOwner.FLastEvents = mask;
        constexpr std::uint32_t lineEvents =
            CommEvent::Cts | CommEvent::Dsr | CommEvent::Rlsd | CommEvent::Err | CommEvent::Ring;
        if ((mask & lineEvents) && FDevice.GetModemStatus(status)) {
            FOwner.SetLineFlags(status);
            if (FOwner.FControl == ccHard && FOwner.FCTS && FOwner.FOut.Used > 0)
                FOwner.FWriteWake.Set();
        }
        if (mask & CommEvent::RxChar)
            FOwner.FReadWake.Set();
        FOwner.FStatusReady.Set();
    }
}
