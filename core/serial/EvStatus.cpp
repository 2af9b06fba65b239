#include "serial/EvStatus.h"
#include "serial/CommPort.h"

TStatusEventThread::TStatusEventThread(TCommPort& owner) : TThread(owner.FHandOver), FOwner(owner) {
    Start();
}

void TStatusEventThread::Execute() {
    while (!StopRequested()) {
        FOwner.FStatusReady.Wait();
        Synchronize([this] { FOwner.DeliverStatus(); });
    }
}
