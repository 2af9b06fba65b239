#include "FormDialog.h"
#include "Bind.h"
#include "Build.h"
#include <QLineEdit>
#include <QPushButton>

FormDialog::FormDialog(TForm& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Form(form) {
    if (parent)
        setFont(parent->font());
    Bind(Form, *this);
    Build(Form.Children, *this);
    if (Form.DefaultButton)
        if (auto* button = findChild<QPushButton*>(QString::fromStdString(Form.DefaultButton->Name)))
            button->setDefault(true);
    Follow<FormDialog>(Form, *this, [](FormDialog& dialog) {
        if (dialog.size() != QSize(dialog.Form.Width, dialog.Form.Height()))
            dialog.setFixedSize(dialog.Form.Width, dialog.Form.Height());
        if (!dialog.Form.Visible() && dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
}

void FormDialog::reject() {
    Form.CloseBox();
    if (isVisible())
        QDialog::reject();
}

void FormDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!Form.ActiveControl)
        return;
    auto* active = findChild<QWidget*>(QString::fromStdString(Form.ActiveControl->Name));
    if (!active)
        return;
    active->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(active))
        edit->selectAll();
}
