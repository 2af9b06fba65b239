#pragma once
#include <QDialog>

class TFormProjectName;
class QLineEdit;

// The new-project dialog: the name field under its label, OK and Cancel.
class ProjectNameView : public QDialog {
public:
    explicit ProjectNameView(TFormProjectName& form, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* Name;
};
