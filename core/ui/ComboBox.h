#pragma once
#include "ui/Control.h"

// A choice box: a list of items, the selected index (-1 = none) and the shown text.
// Selecting by code raises nothing; a user's pick or typing raises OnChange.
class TComboBox : public TControl {
public:
    using TControl::TControl;
    std::function<void(TComboBox&)> OnChange;
    bool Editable = false; // the user may type text as well as pick
    int DropDownCount = 8;

    const std::vector<std::string>& Items() const { return FItems; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Replacing the items leaves the box without a selection.
    void SetItems(std::vector<std::string> items) {
        FItems = std::move(items);
        FIndex = -1;
        FText.clear();
        Changed();
    }
    int ItemIndex() const { return FIndex; }
    const std::string& Text() const { return FText; }

    // Code selects: an index outside the items leaves no selection.
    void SetItemIndex(int index) {
        if (index < 0 || index >= Count()) {
            FIndex = -1;
            FText.clear();
        } else {
            FIndex = index;
            FText = FItems[static_cast<size_t>(index)];
        }
        Changed();
    }
    // The user picks a choice.
    void Select(int index) {
        if (!Enabled() || index < 0 || index >= Count())
            return;
        SetItemIndex(index);
        if (OnChange)
            OnChange(*this);
    }
    // The user types text (editable boxes only); the index follows an exact match.
    void Type(const std::string& text) {
        if (!Enabled() || !Editable)
            return;
        FText = text;
        FIndex = -1;
        for (int i = 0; i < Count(); ++i)
            if (FItems[static_cast<size_t>(i)] == text)
                FIndex = i;
        Changed();
        if (OnChange)
            OnChange(*this);
    }

private:
    std::vector<std::string> FItems;
    int FIndex = -1;
    std::string FText;
};
