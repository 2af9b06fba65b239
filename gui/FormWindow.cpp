#include "FormWindow.h"
#include "Bind.h"
#include <QCloseEvent>

FormWindow::FormWindow(TForm& form, QPoint place, QWidget* parent) : QWidget(parent, Qt::Window), Form(form) {
    // A window does not take its parent's font by itself.
    if (parent)
        setFont(parent->font());
    Bind(Form, *this);
    resize(Form.Width, Form.Height());
    move(place);
    Follow<FormWindow>(Form, *this, [](FormWindow& window) {
        if (!window.Form.Visible()) {
            window.hide();
        } else if (!window.isVisible()) {
            window.show();
            window.raise();
            window.activateWindow();
        }
    });
}

void FormWindow::closeEvent(QCloseEvent* event) {
    Form.Hide();
    event->accept();
}
