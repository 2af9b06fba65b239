#pragma once
#include "ui/Control.h"

// A label or static text: a caption the program sets.
class TStaticText : public TControl {
public:
    using TControl::TControl;
    TStaticText(std::string name, std::string caption)
        : TControl(std::move(name)), FCaption(std::move(caption)) {}
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
