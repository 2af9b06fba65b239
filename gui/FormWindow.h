#pragma once
#include <QWidget>

class TForm;

// An ordinary (non-modal) window over a headless form: shown in front when the form is
// shown, hidden with it, and closing it by its close box hides the form.
class FormWindow : public QWidget {
public:
    // place: where the window's frame goes on the screen; the client area gets the form's size.
    FormWindow(TForm& form, QPoint place, QWidget* parent = nullptr);

protected:
    void KeepClearOfOwner();
    void closeEvent(QCloseEvent* event) override;

private:
    TForm& Form;
};
