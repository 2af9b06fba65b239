#pragma once
#include "ui/Control.h"

// A panel with a caption (the progress panel over the window).
class TPanel : public TControl {
public:
    using TControl::TControl;
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string value) {
        if (value != FCaption) {
            FCaption = std::move(value);
            Changed();
        }
    }

private:
    std::string FCaption;
};
