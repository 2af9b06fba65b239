#pragma once
#include "ui/Control.h"

// A label or static text: a caption the program sets.
class TStaticText : public TControl {
public:
    using TControl::TControl;
    TStaticText(std::string name, std::string caption)
        : TControl(std::move(name)), FCaption(std::move(caption)) {}
    // What a click on the text does, where it does something (the total time opens the timeline).
    std::function<void()> OnClick;
    void Click() {
        if (Enabled() && Visible() && OnClick)
            OnClick();
    }

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
