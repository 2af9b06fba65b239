#include "link/Port.h"
#include "model/WholeNumber.h"

TSetComPort::TSetComPort(TCommPort& commPort, int32_t& portNumber)
    : TForm("SetComPort"), CommPort(commPort), PortNumber(portNumber) {
    SetCaption("Подключение к контроллеру");
    Width = 330;
    SetHeight(CollapsedHeight);
    ButtonOk.SetCaption("Отмена");
    ButtonOk.OnClick = [this](TButton&) {
        ButtonOkClick();
        ModalResult = TModalResult::Cancel;
        Hide();
    };
    Button1.SetCaption("Ok");
    Button1.OnClick = [this](TButton&) {
        ButtonOkClick();
        ModalResult = TModalResult::Ok;
        Hide();
    };
    CheckBox1.SetCaption("Определить номер порта автоматически");
    CheckBox1.SetChecked(true);
    CheckBox1.OnClick = [this](TCheckBox&) { CheckBox1Click(); };

    std::vector<std::string> ports;
    for (int n = 1; n <= 255; ++n)
        ports.push_back(std::to_string(n));
    ComboBoxPort.SetItems(ports);
    ComboBoxPort.Editable = true;
    ComboBoxPort.SetEnabled(false);

    ButtonParam.SetCaption("Параметры порта ...");
    ButtonParam.OnClick = [this](TButton&) { ButtonParamClick(); };
    GroupBox1.SetVisible(false);

    ComboBoxSpeed.SetItems(Speeds);
    ComboBoxSpeed.Editable = true;
    ComboBoxSpeed.SetItemIndex(6);
    ComboBoxControl.SetItems({"None", "Soft", "Hard"});
    ComboBoxControl.Editable = true;
    ComboBoxControl.SetItemIndex(0);
    CheckBoxDTR.SetCaption("DTR");
    CheckBoxDTR.SetChecked(true);
    CheckBoxRTS.SetCaption("RTS");
    CheckBoxRTS.SetChecked(true);
}

void TSetComPort::ButtonOkClick() {
    PortNumber = CheckBox1.Checked() ? 1 : static_cast<int32_t>(WholeNumberOr(ComboBoxPort.Text(), 1));
    CommPort.SetBaud(static_cast<int>(WholeNumberOr(ComboBoxSpeed.Text(), 0)));
    // Typed text that names no mode selects nothing; the port then gets the plain mode's word.
    const int control = ComboBoxControl.ItemIndex();
    CommPort.SetComControl(control < 0 ? ccNone : static_cast<TComControl>(control));
    CommPort.SetParity(static_cast<TParity>(RadioGroupParity.ItemIndex()));
    CommPort.SetDataBits(static_cast<uint16_t>(RadioGroupData.ItemIndex() + 5));
    CommPort.SetStopBits(static_cast<TStopBits>(RadioGroupStop.ItemIndex()));
    CommPort.SetDTR(CheckBoxDTR.Checked());
    CommPort.SetRTS(CheckBoxRTS.Checked());
}

void TSetComPort::CheckBox1Click() {
    if (CheckBox1.Checked()) {
        ComboBoxPort.SetItemIndex(-1);
        ComboBoxPort.SetEnabled(false);
    } else {
        ComboBoxPort.SetEnabled(true);
        ComboBoxPort.SetItemIndex(0);
    }
}

void TSetComPort::ButtonParamClick() {
    GroupBox1.SetVisible(!GroupBox1.Visible());
    SetHeight(GroupBox1.Visible() ? CollapsedHeight + GroupHeight : CollapsedHeight);
}
