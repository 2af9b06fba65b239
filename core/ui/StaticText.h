#pragma once
#include "ui/Control.h"
#include "ui/Drawing.h"

// A label or static text: a caption the program sets.
class TStaticText : public TControl {
public:
    using TControl::TControl;
    TStaticText(std::string name, std::string caption)
        : TControl(std::move(name)), FCaption(std::move(caption)) {}
    // How the text looks: bold, centred in its place or from its left edge (wrapped to more lines
    // where it is too long), in a sunken frame, in a colour of its own.
    bool Bold = false;
    TAlignment Alignment = TAlignment::Left;
    bool Sunken = false;
    TColour Colour;

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
