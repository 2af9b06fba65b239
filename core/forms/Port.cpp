#include "forms/Port.h"
#include "link/PortNames.h"
#include "model/WholeNumber.h"

#include <algorithm>

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

    ListPorts();
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
    PortNumber = CheckBox1.Checked() ? 1 : ChosenPort();
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

void TSetComPort::ListPorts() {
    const int index = ComboBoxPort.ItemIndex();
    const int chosen = index >= 0 ? ItemPorts[static_cast<size_t>(index)] : 0;
    const std::string typed = ComboBoxPort.Text();

    std::vector<std::string> items;
    ItemPorts.clear();
    for (const TPortName& port : ::ListPorts()) {
        items.push_back(PortItemText(port));
        ItemPorts.push_back(port.Number);
    }
    const std::vector<int> listed = ItemPorts;
    for (int n = 1; n <= 255; ++n)
        if (std::find(listed.begin(), listed.end(), n) == listed.end()) {
            items.push_back(std::to_string(n));
            ItemPorts.push_back(n);
        }
    if (items == ComboBoxPort.Items())
        return;
    ComboBoxPort.SetItems(std::move(items));
    if (chosen != 0)
        SelectPort(chosen);
    else if (!typed.empty())
        ComboBoxPort.Type(typed); // what the user typed stays
}

void TSetComPort::SelectPort(int n) {
    const auto at = std::find(ItemPorts.begin(), ItemPorts.end(), n);
    ComboBoxPort.SetItemIndex(at == ItemPorts.end() ? -1 : static_cast<int>(at - ItemPorts.begin()));
}

int TSetComPort::ChosenPort() const {
    const int index = ComboBoxPort.ItemIndex();
    if (index >= 0)
        return ItemPorts[static_cast<size_t>(index)];
    return static_cast<int>(WholeNumberOr(ComboBoxPort.Text(), 1));
}
