#pragma once
#include "base/ThreadBase.h"

class TCommPort;
class TSerialDevice;

// The writer: drains the output ring to the device.
class TWriteThread final : public TThread {
public:
    explicit TWriteThread(TCommPort& owner);

private:
    void Execute() override;
    // One pass: the ring drained to the device, unless it is empty or CTS holds it back.
    void Pass();
    void Drain();

    TSerialDevice& FDevice;
    TCommPort& FOwner;
};
