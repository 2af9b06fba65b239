#pragma once
#include "ui/Control.h"

// A user-interface timer. The GUI drives Tick from a real timer; tests tick it by hand.
class TTimer : public TControl {
public:
    using TControl::TControl;
    std::function<void(TTimer&)> OnTimer;
    int Interval = 1000; // milliseconds

    bool Running() const { return FRunning; }
    void SetRunning(bool value) {
        if (value != FRunning) {
            FRunning = value;
            Changed();
        }
    }
    // One period has passed.
    void Tick() {
        if (FRunning && OnTimer)
            OnTimer(*this);
    }

private:
    bool FRunning = false;
};
