#pragma once
#include "ui/Control.h"

// A multi-line text box whose lines only accumulate.
class TMemo : public TControl {
public:
    using TControl::TControl;
    const std::vector<std::string>& Lines() const { return FLines; }
    void Add(std::string line) {
        FLines.push_back(std::move(line));
        Changed();
    }
    void Clear() {
        FLines.clear();
        Changed();
    }

private:
    std::vector<std::string> FLines;
};
