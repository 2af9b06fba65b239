#include "serial/Thread.h"
#include "serial/CommPort.h"

#include <algorithm>
#include <limits>
#include <thread>

TReadThread::TReadThread(TCommPort& owner)
    : TThread(owner.FHandOver), FOwner(owner), FDevice(*owner.FDevice) {
    Start();
}

void TReadThread::Execute() {
    while (!StopRequested()) {
        FOwner.FReadWake.Wait();
        ReadPass();
    }
}

void TReadThread::ReadPass() {
    auto& ring = FOwner.FIn;
    // Woken for the stop, the reader still takes what the device holds at that moment, but
    // does not follow a peer that keeps sending.
    std::uint64_t budget = std::numeric_limits<std::uint64_t>::max();
    bool budgetSet = false;
    for (;;) {
        // Taken before the ring is looked at: a flush that comes after it cancels the read
        // (its bytes stay for the next look), one that came before it has ended by then.
        const std::uint32_t purges = FDevice.InputPurges();
        std::uint32_t waiting = 0, outQueue = 0;
        // A device that failed for good is left alone.
        if (FDevice.IsGone() || !FDevice.QueueCounts(waiting, outQueue))
            return;
        if (StopRequested() && !budgetSet) {
            budget = waiting;
            budgetSet = true;
        }
        std::uint32_t p, u, begun;
        {
            std::lock_guard lock(ring.Lock);
            p = ring.Pos;
            u = ring.Used;
            begun = ring.FlushesBegun;
            if (begun != ring.Flushes) {
                // A flush is under way in the UI thread; it ends in a moment.
                std::this_thread::yield();
                continue;
            }
        }
        const auto [index, room] = ring.FreeRun(p, u);
        const auto k = static_cast<std::uint32_t>(std::min<std::uint64_t>({room, waiting, budget}));
        if (k == 0)
            return;
        std::uint32_t n = 0;
        const TSerialError error = FDevice.ReadSince(purges, ring.Buffer.data() + index, k, n);
        if (error == TSerialError::Cancelled)
            continue;
        // A failed read, or one that brought nothing, ends the pass; the next wake-up tries again.
        if (error != TSerialError::None || n == 0)
            return;
        budget -= std::min<std::uint64_t>(budget, n);
        {
            std::lock_guard lock(ring.Lock);
            // A flush that began after the look came after this read: its bytes are stale.
            if (ring.FlushesBegun != begun)
                continue;
            ring.Used += n;
        }
        FOwner.FDataReady.Set();
    }
}
