#pragma once
#include "base/ThreadBase.h"

class TCommPort;

// Status delivery: raises the line-event handlers in the UI thread after each event wait.
class TStatusEventThread final : public TThread {
public:
    explicit TStatusEventThread(TCommPort& owner);

private:
    void Execute() override;

    TCommPort& FOwner;
};
