#include "FormWindow.h"
#include "Bind.h"
#include <QCloseEvent>
#include <QScreen>

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
            window.KeepClearOfOwner();
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

void FormWindow::KeepClearOfOwner() {
    // The window opens where the form says, but below the owner's toolbar, so the toolbar
    // stays in reach; it is shortened to stay on the screen.
    QWidget* owner = parentWidget();
    QWidget* toolBar = owner ? owner->findChild<QWidget*>(QStringLiteral("ToolBar1")) : nullptr;
    if (!toolBar || !owner->isVisible())
        return;
    const int below = toolBar->mapToGlobal(QPoint(0, toolBar->height())).y();
    QPoint place = pos();
    if (place.y() >= below)
        return;
    place.setY(below);
    move(place);
    if (const QScreen* screen = owner->screen()) {
        const int room = screen->availableGeometry().bottom() - below - (frameGeometry().height() - height());
        if (room > 0 && height() > room)
            resize(width(), room);
    }
}
