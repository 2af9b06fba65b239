#pragma once
#include "ui/Control.h"

enum class TModalResult { None, Ok, Cancel, Yes, No };

// A window: caption, size and shown state. Forms are created once and hidden between uses.
class TForm : public TControl {
public:
    explicit TForm(std::string name = {}) : TControl(std::move(name)) { SetVisible(false); }
    const std::string& Caption() const { return FCaption; }
    void SetCaption(std::string value) {
        if (value != FCaption) {
            FCaption = std::move(value);
            Changed();
        }
    }
    int Width = 0;
    int Height() const { return FHeight; }
    void SetHeight(int value) {
        if (value != FHeight) {
            FHeight = value;
            Changed();
        }
    }
    // Where a window whose frame would lie at `frame` on the screen goes: below the owner's toolbar
    // (its lower edge at `below`) so that the toolbar stays in reach, shortened to end above
    // `bottom`, the screen's free area.
    static TRect KeepBelow(TRect frame, int below, int bottom) {
        if (frame.Top >= below)
            return frame;
        frame.Top = below;
        if (bottom - below > 0 && frame.Height > bottom - below)
            frame.Height = bottom - below;
        return frame;
    }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TModalResult ModalResult = TModalResult::None;

private:
    std::string FCaption;
    int FHeight = 0;
};
