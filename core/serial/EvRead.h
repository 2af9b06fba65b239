#pragma once
#include "base/ThreadBase.h"

class TCommPort;

// Received-data delivery: raises OnDataReceived in the UI thread after each read.
class TReadEventThread final : public TThread {
public:
    explicit TReadEventThread(TCommPort& owner);

private:
    void Execute() override;

    TCommPort& FOwner;
};
