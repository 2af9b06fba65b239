#include "Dialogs.h"
#include "Bind.h"
#include "FormWindow.h"
#include "Win32Ui.h"
#include "app/UnitMain.h"
#include <commctrl.h>

namespace {
constexpr SIZE ButtonSize{75, 25};
constexpr int Margin = 12;
constexpr int ListHeight = 200; // the drop-down lists

HWND Button(TLayout& layout, HWND parent, RECT where, int id, bool isDefault = false) {
    HWND button = layout.Create(WC_BUTTONW, L"",
                                WS_VISIBLE | WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                where, parent);
    SetWindowLongPtrW(button, GWLP_ID, id);
    return button;
}

HWND Combo(TLayout& layout, HWND parent, RECT where, bool editable) {
    return layout.Create(WC_COMBOBOXW, L"",
                         WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
                             (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST),
                         where, parent);
}

// The connection dialog: automatic search or a fixed port, and the line parameters in a
// group that the form shows or hides, the dialog's height following the form's.
std::unique_ptr<TFormWindow> ConnectionDialog(TSetComPort& form, HWND owner) {
    auto dialog = std::make_unique<TFormWindow>(form, owner, true);
    TLayout& layout = dialog->Controls();
    HWND w = dialog->Handle();
    // Created in tab order. Escape and the close box count as the Cancel button, which
    // applies the choices too.
    HWND cancel = Button(layout, w, {0, 0, ButtonSize.cx, ButtonSize.cy}, IDCANCEL);
    Bind(form.ButtonOk, cancel);
    Bind(form.CheckBox1,
         layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, {16, 14, 300, 20}, w));
    HWND ok = Button(layout, w, {0, 0, ButtonSize.cx, ButtonSize.cy}, IDOK, true);
    Bind(form.Button1, ok);
    HWND label = layout.Create(WC_STATICW, L"", WS_VISIBLE, {16, 42, form.Width - 32, 18}, w);
    // The box takes the dialog's width under its label: a port that exists is listed with its
    // device and adapter.
    Bind(form.ComboBoxPort,
         Combo(layout, w, {16, 62, form.Width - 32, ListHeight}, form.ComboBoxPort.Editable));
    Bind(form.Label1, label);
    Bind(form.ButtonParam, Button(layout, w, {16, 94, 150, ButtonSize.cy}, 0));

    HWND group = CreatePanel(layout, {8, 128, form.Width - 16, TSetComPort::GroupHeight - 7}, w);
    layout.Create(WC_BUTTONW, L"", WS_VISIBLE | BS_GROUPBOX,
                  {0, 0, form.Width - 16, TSetComPort::GroupHeight - 7}, group);
    Bind(form.GroupBox1, group);
    Bind(form.LabelSpeed, layout.Create(WC_STATICW, L"", WS_VISIBLE, {10, 16, 44, 18}, group));
    Bind(form.ComboBoxSpeed, Combo(layout, group, {56, 12, 90, ListHeight}, form.ComboBoxSpeed.Editable));
    Bind(form.LabelControl, layout.Create(WC_STATICW, L"", WS_VISIBLE, {160, 16, 48, 18}, group));
    Bind(form.ComboBoxControl,
         Combo(layout, group, {208, 12, 90, ListHeight}, form.ComboBoxControl.Editable));
    int x = 8;
    for (TRadioGroup* radios : {&form.RadioGroupParity, &form.RadioGroupData, &form.RadioGroupStop}) {
        const int width = radios == &form.RadioGroupStop ? 94 : 98;
        HWND box = layout.Create(WC_BUTTONW, L"", WS_VISIBLE | BS_GROUPBOX, {x, 40, width, 116}, group);
        std::vector<HWND> items;
        for (int i = 0; i < radios->Count(); ++i)
            items.push_back(layout.Create(WC_BUTTONW, L"",
                                          WS_VISIBLE | BS_RADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0),
                                          {x + 10, 56 + 19 * i, width - 16, 18}, group));
        Bind(*radios, box, items);
        x += width + 4;
    }
    Bind(form.CheckBoxDTR,
         layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, {14, 160, 70, 20}, group));
    Bind(form.CheckBoxRTS,
         layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, {116, 160, 70, 20}, group));

    // The two buttons sit at the bottom edge and move with it.
    TFormWindow* self = dialog.get();
    self->OnResize = [self, &form, ok, cancel] {
        const int top = form.Height() - Margin - ButtonSize.cy;
        self->Controls().Move(ok,
                              {form.Width - 2 * (ButtonSize.cx + Margin), top, ButtonSize.cx, ButtonSize.cy});
        self->Controls().Move(cancel,
                              {form.Width - ButtonSize.cx - Margin, top, ButtonSize.cx, ButtonSize.cy});
    };
    self->OnResize();
    self->OnCloseBox = [&form] { form.ButtonOk.Click(); };
    return dialog;
}

// The new-project dialog: the name field under its label, OK and Cancel.
std::unique_ptr<TFormWindow> ProjectNameDialog(TFormProjectName& form, HWND owner) {
    auto dialog = std::make_unique<TFormWindow>(form, owner, true);
    TLayout& layout = dialog->Controls();
    HWND w = dialog->Handle();
    Bind(form.Label1, layout.Create(WC_STATICW, L"", WS_VISIBLE, {12, 12, 209, 16}, w));
    HWND name = layout.Create(WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, {12, 32, 209, 22}, w,
                              TFontKind::Normal, WS_EX_CLIENTEDGE);
    Bind(form.ProjectName, name);
    Bind(form.OKBtn, Button(layout, w, {35, 84, ButtonSize.cx, ButtonSize.cy}, IDOK, true));
    Bind(form.CancelBtn, Button(layout, w, {123, 84, ButtonSize.cx, ButtonSize.cy}, IDCANCEL));
    // Each time it opens, the last name is there to type over.
    Follow(form, w, [&form, name] {
        if (form.Visible()) {
            SetFocus(name);
            SendMessageW(name, EM_SETSEL, 0, -1);
        }
    });
    return dialog;
}
} // namespace

void RegisterModalWindows(TWin32Ui& ui, TMain& main) {
    ui.RegisterModal(&main.FormProjectName,
                     [&main](HWND owner) { return ProjectNameDialog(main.FormProjectName, owner); });
    ui.RegisterModal(&main.SetComPort,
                     [&main](HWND owner) { return ConnectionDialog(main.SetComPort, owner); });
}
