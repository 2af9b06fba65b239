#include "forms/Port.h"
#include "link/PortNames.h"
#include "model/WholeNumber.h"

#include <algorithm>

TSetComPort::TSetComPort(TConnection& connection) : TForm("SetComPort"), Connection(connection) {
    SetCaption("Подключение к контроллеру");
    Width = 330;
    SetHeight(CollapsedHeight);
    ButtonOk.SetCaption("Отмена");
    ButtonOk.OnClick = [this](TButton&) {
        RevertChoices();
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
    Kept = ShownChoices();
}

void TSetComPort::ButtonOkClick() {
    Kept = ShownChoices();
    Connection.Apply(Choice());
}

void TSetComPort::RevertChoices() {
    ShowChoices(Kept);
}

TSetComPort::TShown TSetComPort::ShownChoices() const {
    TShown shown;
    shown.Search = CheckBox1.Checked();
    const int port = ComboBoxPort.ItemIndex();
    shown.Port = port >= 0 ? ItemPorts[static_cast<size_t>(port)] : 0;
    shown.PortText = ComboBoxPort.Text();
    shown.SpeedIndex = ComboBoxSpeed.ItemIndex();
    shown.Speed = ComboBoxSpeed.Text();
    shown.ControlIndex = ComboBoxControl.ItemIndex();
    shown.ControlText = ComboBoxControl.Text();
    shown.Parity = RadioGroupParity.ItemIndex();
    shown.DataBits = RadioGroupData.ItemIndex();
    shown.StopBits = RadioGroupStop.ItemIndex();
    shown.Dtr = CheckBoxDTR.Checked();
    shown.Rts = CheckBoxRTS.Checked();
    return shown;
}

void TSetComPort::ShowChoices(const TShown& shown) {
    // A box's item, or else the text that was typed into it.
    const auto showBox = [](TComboBox& box, int index, const std::string& text) {
        box.SetItemIndex(index);
        if (index < 0 && !text.empty())
            box.Type(text);
    };
    CheckBox1.SetChecked(shown.Search);
    ComboBoxPort.SetEnabled(!shown.Search);
    if (shown.Port != 0)
        SelectPort(shown.Port);
    else
        showBox(ComboBoxPort, -1, shown.PortText);
    showBox(ComboBoxSpeed, shown.SpeedIndex, shown.Speed);
    showBox(ComboBoxControl, shown.ControlIndex, shown.ControlText);
    RadioGroupParity.SetItemIndex(shown.Parity);
    RadioGroupData.SetItemIndex(shown.DataBits);
    RadioGroupStop.SetItemIndex(shown.StopBits);
    CheckBoxDTR.SetChecked(shown.Dtr);
    CheckBoxRTS.SetChecked(shown.Rts);
}

TLineChoice TSetComPort::Choice() const {
    TLineChoice choice;
    choice.Search = CheckBox1.Checked();
    choice.Port = ChosenPort();
    choice.Baud = static_cast<int>(WholeNumberOr(ComboBoxSpeed.Text(), 0));
    // Typed text that names no mode selects nothing; the port then gets the plain mode's word.
    const int control = ComboBoxControl.ItemIndex();
    choice.Control = control < 0 ? ccNone : static_cast<TComControl>(control);
    choice.Parity = static_cast<TParity>(RadioGroupParity.ItemIndex());
    choice.DataBits = static_cast<uint16_t>(RadioGroupData.ItemIndex() + 5);
    choice.StopBits = static_cast<TStopBits>(RadioGroupStop.ItemIndex());
    choice.Dtr = CheckBoxDTR.Checked();
    choice.Rts = CheckBoxRTS.Checked();
    return choice;
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

std::vector<std::pair<std::string, std::string>> TSetComPort::StoredChoices() const {
    // The list's items name devices; the port is kept by its number.
    return {{"Search", CheckBox1.Checked() ? "1" : "0"},
            {"Port", std::to_string(ChosenPort())},
            {"Speed", ComboBoxSpeed.Text()},
            {"Control", std::to_string(ComboBoxControl.ItemIndex())},
            {"Parity", std::to_string(RadioGroupParity.ItemIndex())},
            {"DataBits", std::to_string(RadioGroupData.ItemIndex() + 5)},
            {"StopBits", std::to_string(RadioGroupStop.ItemIndex())},
            {"DTR", CheckBoxDTR.Checked() ? "1" : "0"},
            {"RTS", CheckBoxRTS.Checked() ? "1" : "0"}};
}

void TSetComPort::RestoreChoices(const std::function<std::string(const std::string& key)>& read) {
    auto number = [&read](const char* key) { return WholeNumberOr(read(key), -1); };
    auto pick = [](TComboBox& box, int64_t index) {
        if (index >= 0 && index < box.Count())
            box.SetItemIndex(static_cast<int>(index));
    };
    if (const int64_t search = number("Search"); search == 0 || search == 1) {
        CheckBox1.SetChecked(search == 1);
        if (const int64_t port = number("Port"); search == 0 && port >= 1 && port <= 255)
            SelectPort(static_cast<int>(port));
    }
    // A speed the list does not offer was typed; it comes back as typed.
    if (const std::string speed = read("Speed"); !speed.empty()) {
        const auto& speeds = ComboBoxSpeed.Items();
        if (const auto it = std::find(speeds.begin(), speeds.end(), speed); it != speeds.end())
            ComboBoxSpeed.SetItemIndex(static_cast<int>(it - speeds.begin()));
        else
            ComboBoxSpeed.Type(speed);
    }
    pick(ComboBoxControl, number("Control"));
    pick(RadioGroupParity, number("Parity"));
    pick(RadioGroupData, number("DataBits") - 5);
    pick(RadioGroupStop, number("StopBits"));
    for (auto [box, key] : {std::pair{&CheckBoxDTR, "DTR"}, std::pair{&CheckBoxRTS, "RTS"}})
        if (const int64_t on = number(key); on == 0 || on == 1)
            box->SetChecked(on == 1);
    Kept = ShownChoices();
}
