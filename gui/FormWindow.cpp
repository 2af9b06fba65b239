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
    const QRect frame = frameGeometry();
    const QScreen* screen = owner->screen();
    const TRect kept =
        TForm::KeepBelow({frame.x(), frame.y(), frame.width(), frame.height()},
                         toolBar->mapToGlobal(QPoint(0, toolBar->height())).y(),
                         screen ? screen->availableGeometry().bottom() + 1 : frame.bottom() + 1);
    move(kept.Left, kept.Top);
    resize(width(), height() - frame.height() + kept.Height);
}
