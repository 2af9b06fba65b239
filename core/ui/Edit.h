#pragma once
#include "base/Utf8.h"
#include "ui/Control.h"

// A one-line text field. Every change of its text raises OnChange.
class TEdit : public TControl {
public:
    using TControl::TControl;
    std::function<void(TEdit&)> OnChange;
    int MaxLength = 0; // characters; 0 = no limit

    const std::string& Text() const { return FText; }
    void SetText(std::string value) {
        if (value == FText)
            return;
        FText = std::move(value);
        Changed();
        if (OnChange)
            OnChange(*this);
    }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value) {
        FReadOnly = value;
        Changed();
    }
    // The user types: ignored when read-only or disabled, cut to MaxLength.
    void Type(const std::string& text) {
        if (FReadOnly || !Enabled())
            return;
        SetText(MaxLength > 0 ? Utf8Left(text, static_cast<size_t>(MaxLength)) : text);
    }

private:
    std::string FText;
    bool FReadOnly = false;
};
