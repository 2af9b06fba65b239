#pragma once
#include "ui/Control.h"

struct TStatusPanel {
    int Width = 0;
    TAlignment Alignment = TAlignment::Left;
    std::string Text;
};

class TStatusBar : public TControl {
public:
    using TControl::TControl;
    void AddPanel(int width, TAlignment alignment) { FPanels.push_back({width, alignment, {}}); }
    const std::vector<TStatusPanel>& Panels() const { return FPanels; }
    const std::string& PanelText(size_t i) const { return FPanels.at(i).Text; }
    void SetPanelText(size_t i, std::string text) {
        FPanels.at(i).Text = std::move(text);
        Changed();
    }
    // The user clicks panel i.
    std::function<void(TStatusBar&, size_t)> OnPanelClick;
    void ClickPanel(size_t i) {
        if (OnPanelClick)
            OnPanelClick(*this, i);
    }

private:
    std::vector<TStatusPanel> FPanels;
};
