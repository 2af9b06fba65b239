#pragma once
#include "ui/ComboBox.h"

// A captioned group of radio buttons: a fixed list of items with one chosen.
class TRadioGroup : public TComboBox {
public:
    TRadioGroup(std::string name, std::string caption, std::vector<std::string> items, int chosen)
        : TComboBox(std::move(name)), Caption(std::move(caption)) {
        SetItems(std::move(items));
        SetItemIndex(chosen);
    }
    std::string Caption;

    // Where item i lies within the group: one under the other below the caption.
    TRect ItemBounds(int i) const { return {10, 16 + 19 * i, Bounds().Width - 16, 18}; }
};
