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
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TModalResult ModalResult = TModalResult::None;

private:
    std::string FCaption;
    int FHeight = 0;
};
