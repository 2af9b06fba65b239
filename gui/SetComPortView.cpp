#include "SetComPortView.h"
#include "Bind.h"
#include "forms/Port.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr QSize ButtonSize(75, 25);
constexpr int Margin = 12;

template <class TWidget> TWidget* Place(QWidget* parent, const QRect& where) {
    auto* w = new TWidget(parent);
    w->setGeometry(where);
    return w;
}
} // namespace

SetComPortView::SetComPortView(TSetComPort& form, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      Form(form) {
    if (parent)
        setFont(parent->font());
    Bind(Form, *this);

    // Created in tab order.
    Cancel = Place<QPushButton>(this, QRect(QPoint(), ButtonSize));
    Bind(Form.ButtonOk, *Cancel);
    auto* automatic = Place<QCheckBox>(this, QRect(16, 14, 300, 20));
    Bind(Form.CheckBox1, *automatic);
    Ok = Place<QPushButton>(this, QRect(QPoint(), ButtonSize));
    Bind(Form.Button1, *Ok);
    Ok->setDefault(true);
    // The box takes the dialog's width under its label: a port that exists is listed with its
    // device and adapter ("COM 33 — ttyUSB0 (FTDI FT232R USB UART)").
    auto* port = Place<QComboBox>(this, QRect(16, 62, Form.Width - 32, 22));
    Bind(Form.ComboBoxPort, *port);
    auto* portLabel = Place<QLabel>(this, QRect(16, 42, Form.Width - 32, 18));
    Bind(Form.Label1, *portLabel);
    portLabel->setBuddy(port);
    auto* param = Place<QPushButton>(this, QRect(16, 94, 150, ButtonSize.height()));
    param->setAutoDefault(false);
    Bind(Form.ButtonParam, *param);

    auto* group = Place<QGroupBox>(this, QRect(8, 128, Form.Width - 16, 186));
    Bind(Form.GroupBox1, *group);
    Bind(Form.LabelSpeed, *Place<QLabel>(group, QRect(10, 12, 44, 18)));
    auto* speed = Place<QComboBox>(group, QRect(56, 10, 90, 22));
    Bind(Form.ComboBoxSpeed, *speed);
    Bind(Form.LabelControl, *Place<QLabel>(group, QRect(160, 12, 48, 18)));
    auto* control = Place<QComboBox>(group, QRect(208, 10, 90, 22));
    Bind(Form.ComboBoxControl, *control);
    auto* parity = Place<QGroupBox>(group, QRect(8, 40, 98, 116));
    Bind(Form.RadioGroupParity, *parity);
    auto* data = Place<QGroupBox>(group, QRect(110, 40, 98, 116));
    Bind(Form.RadioGroupData, *data);
    auto* stop = Place<QGroupBox>(group, QRect(212, 40, 94, 116));
    Bind(Form.RadioGroupStop, *stop);
    auto* dtr = Place<QCheckBox>(group, QRect(14, 160, 70, 20));
    Bind(Form.CheckBoxDTR, *dtr);
    auto* rts = Place<QCheckBox>(group, QRect(116, 160, 70, 20));
    Bind(Form.CheckBoxRTS, *rts);

    Follow<SetComPortView>(Form, *this, [](SetComPortView& view) { view.FollowHeight(); });
}

void SetComPortView::FollowHeight() {
    if (size() != QSize(Form.Width, Form.Height()))
        setFixedSize(Form.Width, Form.Height());
    const int top = height() - Margin - ButtonSize.height();
    Ok->move(Form.Width - 2 * (ButtonSize.width() + Margin), top);
    Cancel->move(Form.Width - ButtonSize.width() - Margin, top);
}

void SetComPortView::reject() {
    Form.ButtonOk.Click();
    if (isVisible())
        QDialog::reject();
}
