#pragma once
#include "base/ThreadBase.h"
#include "serial/CommTypes.h"

class TCommPort;
class TSerialDevice;

// The status watcher: waits for line events, keeps the modem-line flags, wakes the reader
// on received characters and hands every completed wait to the status delivery.
class TStatusThread final : public TThread {
public:
    TStatusThread(TCommPort& owner, TEventStates events);

private:
    void Execute() override;

    TCommPort& FOwner;
    TSerialDevice& FDevice;
};
