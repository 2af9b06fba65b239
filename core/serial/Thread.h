#pragma once
#include "base/ThreadBase.h"

class TCommPort;
class TSerialDevice;

// The reader: moves the bytes the device holds into the input ring.
class TReadThread final : public TThread {
public:
    explicit TReadThread(TCommPort& owner);

private:
    void Execute() override;
    // One wake-up: reads until the device is empty or the ring is full.
    void ReadPass();

    TCommPort& FOwner;
    TSerialDevice& FDevice;
};
