#pragma once
#include "ui/Button.h"
#include "ui/Control.h"
#include <algorithm>
#include <functional>
#include <vector>

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
    // Where a window whose frame would lie at `frame` goes to lie wholly on the screen's free area
    // `work`: moved up and left as far as it must, never above or left of the area, so its
    // caption stays in reach; a window larger than the area keeps its size and its top left.
    static TRect KeepOnScreen(TRect frame, const TRect& work) {
        const auto within = [](int start, int length, int areaStart, int areaLength) {
            return std::max(areaStart, std::min(start, areaStart + areaLength - length));
        };
        frame.Left = within(frame.Left, frame.Width, work.Left, work.Width);
        frame.Top = within(frame.Top, frame.Height, work.Top, work.Height);
        return frame;
    }
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TModalResult ModalResult = TModalResult::None;

    // A dialog's controls, each at its Bounds, in the order a front end makes them (the tab order).
    std::vector<TControl*> Children;
    // Enter presses the default button; Escape and the close box the Cancel button.
    TButton* DefaultButton = nullptr;
    TButton* CancelButton = nullptr;
    // Has the focus, its text chosen, each time the dialog opens.
    TControl* ActiveControl = nullptr;

    // The user closes the window by its close box or Escape: a dialog with a Cancel button
    // presses it, any other window hides.
    void CloseBox() {
        if (CancelButton)
            CancelButton->Click();
        else
            Hide();
    }
    // Shows the form as a modal window: run() runs the front end's loop until the form hides
    // itself (its buttons set ModalResult first). Closed otherwise, it answers Cancel.
    TModalResult RunModal(const std::function<void()>& run) {
        ModalResult = TModalResult::None;
        Show();
        run();
        if (Visible() || ModalResult == TModalResult::None) {
            ModalResult = TModalResult::Cancel;
            Hide();
        }
        return ModalResult;
    }

private:
    std::string FCaption;
    int FHeight = 0;
};
