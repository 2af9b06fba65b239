#pragma once
#include "ui/Control.h"

// A check box raises OnClick whenever its state changes, by the user or by code.
class TCheckBox : public TControl {
public:
    using TControl::TControl;
    std::function<void(TCheckBox&)> OnClick;
    // False where a text beside the box or a column head says what it is: the caption holds data.
    bool CaptionShown = true;

    bool Checked() const { return FChecked; }
    void SetChecked(bool value) {
        if (value == FChecked)
            return;
        FChecked = value;
        Changed();
        if (OnClick)
            OnClick(*this);
    }
    // The user clicks the box: only an enabled box reacts.
    void Click() {
        if (Enabled() && Visible())
            SetChecked(!FChecked);
    }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string value) {
        FCaption = std::move(value);
        Changed();
    }

private:
    bool FChecked = false;
    std::string FCaption;
};
