#include "FormWindow.h"
#include "Bind.h"
#include <QCloseEvent>
#include <QPointer>

FormWindow::FormWindow(TForm& form, QPoint place, QWidget* parent)
    : QWidget(parent, Qt::Window), Form(form) {
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
