#pragma once
#include "ui/Control.h"
#include <memory>

enum class TButtonKind { Push, Toggle };

// A tool or speed button. Toggle buttons keep a down state; buttons that share a
// group are mutually exclusive. Putting a button down by code raises nothing.
class TButton : public TControl {
public:
    using TControl::TControl;
    using TGroup = std::vector<TButton*>;
    std::function<void(TButton&)> OnClick;
    TButtonKind Kind = TButtonKind::Push;
    bool IsSeparator = false;
    // Keys that run the command, written the portable way ("Ctrl+N", "Ctrl+Shift+Z", "F5");
    // the front end binds them for the whole window.
    std::vector<std::string> ShortCuts;
    // Entries of the button's drop-down list, in order (separators included); they are
    // buttons of their own and may be hidden or renamed later.
    std::vector<TButton*> Menu;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string value) {
        FCaption = std::move(value);
        Changed();
    }
    int ImageIndex() const { return FImage; }
    void SetImageIndex(int value) {
        if (value != FImage) {
            FImage = value;
            Changed();
        }
    }
    bool Down() const { return FDown; }
    void SetDown(bool value) {
        if (value && Group)
            for (TButton* other : *Group)
                if (other != this && other->FDown) {
                    other->FDown = false;
                    other->Changed();
                }
        if (value != FDown) {
            FDown = value;
            Changed();
        }
    }
    // Joins buttons into one exclusive group (the input selector row).
    static void MakeGroup(const TGroup& buttons) {
        auto group = std::make_shared<TGroup>(buttons);
        for (TButton* b : buttons)
            b->Group = group;
    }
    // The user clicks: a toggle flips first (a grouped one only goes down), then OnClick runs.
    void Click() {
        if (!Enabled() || !Visible())
            return;
        if (Group)
            SetDown(true);
        else if (Kind == TButtonKind::Toggle)
            SetDown(!FDown);
        if (OnClick)
            OnClick(*this);
    }

private:
    std::string FCaption;
    int FImage = -1;
    bool FDown = false;
    std::shared_ptr<TGroup> Group;
};
