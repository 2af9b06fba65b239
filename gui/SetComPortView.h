#pragma once
#include <QDialog>

class TSetComPort;
class QPushButton;

// The connection dialog: automatic search or a fixed port, and the line parameters in a
// group that the form shows or hides, the dialog's height following the form's.
class SetComPortView : public QDialog {
public:
    explicit SetComPortView(TSetComPort& form, QWidget* parent = nullptr);

    // Escape and the close box count as the Cancel button, which applies the choices too.
    void reject() override;

private:
    void FollowHeight();

    TSetComPort& Form;
    QPushButton* Ok;
    QPushButton* Cancel;
};
