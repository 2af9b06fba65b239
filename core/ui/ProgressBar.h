#pragma once
#include "ui/Control.h"

class TProgressBar : public TControl {
public:
    using TControl::TControl;
    int Min = 0;
    int Max = 100;
    int Position() const { return FPosition; }
    void SetPosition(int value) {
        if (value != FPosition) {
            FPosition = value;
            Changed();
        }
    }

private:
    int FPosition = 0;
};
