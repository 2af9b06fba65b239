#pragma once
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Answers the modal windows that open while a test runs, from inside their own event
// loops: a message box is recorded and answered OK (after Hold() turns false or the
// deadline passes); any other dialog is handed to OnDialog once per opening.
class ModalAnswerer {
public:
    std::function<void(QDialog&)> OnDialog;
    std::function<bool()> Hold = [] { return false; };
    QStringList Boxes;
    QDeadlineTimer HoldDeadline{10000};

    ModalAnswerer() {
        Poll.setInterval(5);
        QObject::connect(&Poll, &QTimer::timeout, [this] { Answer(); });
        Poll.start();
    }

private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || modal == Handled)
            return;
        auto* dialog = qobject_cast<QDialog*>(modal);
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!dialog || (box && Hold() && !HoldDeadline.hasExpired()))
            return;
        // Dialogs are kept and boxes may reuse an address: the next opening is a new one.
        Handled = modal;
        QObject::connect(dialog, &QDialog::finished, &Poll, [this] { Handled = nullptr; });
        if (box) {
            Boxes << box->text();
            box->button(QMessageBox::Ok)->click();
        } else if (OnDialog) {
            OnDialog(*dialog);
        }
    }

    QTimer Poll;
    QWidget* Handled = nullptr;
};

// Runs Qt's events until cond() holds or the wait is over; returns cond().
inline bool WaitFor(const std::function<bool()>& cond, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    QTimer wake; // so that the deadline is seen even when nothing else happens
    wake.start(10);
    while (!cond()) {
        if (deadline.hasExpired())
            return cond();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}
