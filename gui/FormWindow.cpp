#include "FormWindow.h"
#include "Bind.h"
#include <QCloseEvent>
#include <QPointer>

FormWindow::FormWindow(TForm& form, QPoint place, QWidget* parent) : QWidget(parent, Qt::Window), Form(form) {
    // A window does not take its parent's font by itself.
    if (parent)
        setFont(parent->font());
    Bind(Form, *this);
    resize(Form.Width, Form.Height());
    move(place);
    const auto mirror = [window = QPointer<FormWindow>(this)] {
        if (!window)
            return;
        if (!window->Form.Visible()) {
            window->hide();
        } else if (!window->isVisible()) {
            window->show();
            window->raise();
            window->activateWindow();
        }
    };
    Form.Watch(mirror);
    mirror();
}

void FormWindow::closeEvent(QCloseEvent* event) {
    Form.Hide();
    event->accept();
}
