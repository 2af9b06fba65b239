#include "serial/EvRead.h"
#include "serial/CommPort.h"

TReadEventThread::TReadEventThread(TCommPort& owner) : TThread(owner.FHandOver), FOwner(owner) {
    Start();
}

void TReadEventThread::Execute() {
    while (!StopRequested()) {
        FOwner.FDataReady.Wait();
        Synchronize([this] { FOwner.DeliverData(); });
    }
}
