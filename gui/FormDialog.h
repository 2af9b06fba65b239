#pragma once
#include <QDialog>

class TForm;

// A modal dialog over a headless form: its controls at their places, its size following the
// form's; Escape and the close box are the form's to answer, and the form ends the dialog by
// hiding itself.
class FormDialog : public QDialog {
public:
    FormDialog(TForm& form, QWidget* parent);
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    TForm& Form;
};
