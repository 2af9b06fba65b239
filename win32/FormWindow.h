#pragma once
#include "Native.h"
#include <functional>

class TForm;

// A window over a headless form: its controls at their places, and it follows the form's
// caption, size and shown state; its close box and Escape are the form's to answer. Modal forms
// are shown by TWin32Ui::ShowModal, the others whenever the form is shown.
class TFormWindow : public TWindow {
public:
    // place: where an ordinary window's frame goes on the screen, in design pixels.
    TFormWindow(TForm& form, HWND owner, bool modal, POINT place = {0, 0});
    // The user has resized an ordinary window.
    std::function<void()> OnResize;
    TLayout& Controls() { return Layout; }
    // Moves the window up and left as far as it must to lie wholly on its screen's free area.
    void KeepOnScreen();
    TForm& Form() { return FForm; }

protected:
    LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void KeepClearOfOwner();

    TForm& FForm;
    bool Modal;
};
