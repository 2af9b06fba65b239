#pragma once
#include "link/Connection.h"
#include "link/LineRates.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Form.h"
#include "ui/Panel.h"
#include "ui/RadioGroup.h"
#include "ui/StaticText.h"
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The connection dialog: automatic search or a fixed port, and the line parameters.
// Created once, so the choices last as long as the program runs. OK applies them; Cancel and
// the close box put back what OK applied last (or what start-up restored).
class TSetComPort : public TForm {
public:
    static constexpr int CollapsedHeight = 190;
    static constexpr int GroupHeight = 193;
    // The speeds offered; the port keeps its speed for any other number.
    static inline const std::vector<std::string>& Speeds = LineRates;

    explicit TSetComPort(TConnection& connection);

    // In tab order. ButtonOk is the Cancel button, Button1 the OK button.
    TButton ButtonOk{"ButtonOk"};
    TCheckBox CheckBox1{"CheckBox1"};
    TButton Button1{"Button1"};
    TComboBox ComboBoxPort{"ComboBoxPort"};
    TStaticText Label1{"Label1", "Выбор номера порта вручную"};
    TButton ButtonParam{"ButtonParam"};
    TPanel GroupBox1{"GroupBox1"};
    TStaticText LabelSpeed{"LabelSpeed", "Speed"};
    TComboBox ComboBoxSpeed{"ComboBoxSpeed"};
    TStaticText LabelControl{"LabelControl", "Control"};
    TComboBox ComboBoxControl{"ComboBoxControl"};
    TRadioGroup RadioGroupParity{"RadioGroupParity", "Parity", {"None", "Odd", "Even", "Mark", "Space"}, 0};
    TRadioGroup RadioGroupData{"RadioGroupData", "Data width", {"5 bits", "6 bits", "7 bits", "8 bits"}, 3};
    TRadioGroup RadioGroupStop{"RadioGroupStop", "Stop bits", {"1", "1.5", "2"}, 0};
    TCheckBox CheckBoxDTR{"CheckBoxDTR"};
    TCheckBox CheckBoxRTS{"CheckBoxRTS"};

    // Applies the choices to the connection; the OK button runs it before the dialog closes.
    void ButtonOkClick();
    // Shows the choices as they were applied last, leaving the connection as it is; the Cancel
    // button runs it before the dialog closes.
    void RevertChoices();
    // The choices the dialog shows.
    TLineChoice Choice() const;
    void CheckBox1Click();
    void ButtonParamClick();

    // Lists the ports that exist now first, each with its device, then every other number
    // 1 … 255. A port chosen before stays chosen.
    void ListPorts();
    // Chooses port n as the fixed port (by code, as the command line does); a number outside
    // 1 … 255 leaves no choice.
    void SelectPort(int n);
    // The port the box names: the chosen item's port, or the typed text read as a number
    // (1 when it is none).
    int ChosenPort() const;

    // The choices as kept between runs, by key ("Search", "Port", "Speed" …), and back from there:
    // read gives a key's text, empty when it was not kept; what names no choice is passed over.
    std::vector<std::pair<std::string, std::string>> StoredChoices() const;
    void RestoreChoices(const std::function<std::string(const std::string& key)>& read);

private:
    // The choices as the controls showed them; the port by its number, which outlasts the list.
    struct TShown {
        bool Search = true;
        int Port = 0; // the item chosen, 0 for none
        std::string PortText, Speed, ControlText;
        int SpeedIndex = -1, ControlIndex = -1, Parity = 0, DataBits = 0, StopBits = 0;
        bool Dtr = true, Rts = true;
    };
    TShown ShownChoices() const;
    void ShowChoices(const TShown& shown);

    TConnection& Connection;
    // What OK applied last, or what the dialog started with.
    TShown Kept;
    // The port of each item of ComboBoxPort.
    std::vector<int> ItemPorts;
};
