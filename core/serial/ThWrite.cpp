#include "serial/ThWrite.h"
#include "serial/CommPort.h"

TWriteThread::TWriteThread(TCommPort& owner)
    : TThread(owner.FHandOver), FDevice(*owner.FDevice), FOwner(owner) {
    Start();
}

void TWriteThread::Execute() {
    while (!StopRequested()) {
        // Woken for the stop, the writer still finishes its pass: queued bytes go out.
        FOwner.FWriteWake.Wait();
        Pass();
    }
    // A stop asked for before the first wait: what was queued goes out all the same.
    Pass();
}

void TWriteThread::Pass() {
    auto& ring = FOwner.FOut;
    {
        std::lock_guard lock(ring.Lock);
        // Nothing to send; a lost device gets nothing more either.
        if (ring.Used == 0 || FDevice.IsGone()) {
            ring.Used = 0;
            FOwner.FWriteWake.Reset();
            return;
        }
        // Under hardware flow control with CTS off, wait for the status watcher, which sets
        // WriteWake when CTS turns on. CTS is tested after the reset, so that wake is not lost.
        // A device that cannot report CTS (a pseudo-terminal) never holds the bytes back.
        if (FOwner.FControl == ccHard && FOwner.FModemKnown) {
            FOwner.FWriteWake.Reset();
            if (!FOwner.FCTS)
                return;
            FOwner.FWriteWake.Set();
        }
    }
    std::uint32_t inQueue, outQueue;
    FDevice.QueueCounts(inQueue, outQueue);
    Drain();
}

void TWriteThread::Drain() {
    using namespace std::chrono_literals;
    auto& ring = FOwner.FOut;
    while (ring.Used > 0 && !FOwner.FOutAbandoned) {
        std::uint32_t p, u, flushes;
        {
            std::lock_guard lock(ring.Lock);
            p = ring.Pos;
            u = ring.Used;
            flushes = ring.Flushes;
        }
        const std::uint32_t run = ring.UsedRun(p, u);
        std::uint32_t written = 0;
        const TSerialError error = FDevice.Write(ring.Buffer.data() + p, run, written);
        if (written > 0) {
            std::lock_guard lock(ring.Lock);
            if (ring.Flushes == flushes)
                ring.Take(written);
        }
        if (error == TSerialError::Gone)
            return;
        // An aborted write (a flush or the close) goes straight on; a failing device is tried
        // again at a gentle pace, and not at all once the port closes.
        if (error != TSerialError::None && error != TSerialError::Cancelled) {
            if (StopRequested())
                return;
            SleepUnlessStopped(50ms);
        }
    }
}
