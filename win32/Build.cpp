#include "Build.h"
#include "Bind.h"
#include "Painter.h"
#include <commctrl.h>

namespace {
// The room of a choice box's drop-down list below the box.
constexpr int ListHeight = 300;

void Text(TLayout& layout, HWND parent, TStaticText& text, RECT at) {
    const DWORD style =
        text.Alignment == TAlignment::Center ? SS_CENTER | (text.Sunken ? SS_CENTERIMAGE : 0) : SS_LEFT;
    HWND label =
        layout.Create(WC_STATICW, L"", WS_VISIBLE | style, at, parent,
                      text.Bold ? TFontKind::Bold : TFontKind::Normal, text.Sunken ? WS_EX_STATICEDGE : 0);
    if (text.Colour.Alpha > 0)
        SetTextColour(label, RGB(text.Colour.Red, text.Colour.Green, text.Colour.Blue));
    Bind(text, label);
}

// A group box made after the controls it frames lies below them, so it never paints over
// them; its WS_GROUP ends the arrow keys' group of the controls before it.
HWND Frame(TLayout& layout, RECT at, HWND parent) {
    return layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_GROUP | BS_GROUPBOX, at, parent);
}

void Radios(TLayout& layout, HWND parent, TRadioGroup& radios, RECT at) {
    // The radio buttons are the group box's siblings: a group box holds no controls.
    std::vector<HWND> items;
    for (int i = 0; i < radios.Count(); ++i) {
        const TRect item = radios.ItemBounds(i);
        items.push_back(
            layout.Create(WC_BUTTONW, L"", WS_VISIBLE | BS_RADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0),
                          {at.left + item.Left, at.top + item.Top, item.Width, item.Height}, parent));
    }
    Bind(radios, Frame(layout, at, parent), items);
}

void Button(TLayout& layout, HWND parent, TButton& button, RECT at, const TForm* form) {
    const bool isDefault = form && form->DefaultButton == &button;
    DWORD style = isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    // The input and zone buttons stay down while chosen; a zone button shows its state's picture.
    if (button.Kind == TButtonKind::Toggle)
        style = BS_CHECKBOX | BS_PUSHLIKE | (button.ImageIndex() >= 0 ? BS_ICON : 0);
    HWND w = layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | style, at, parent);
    if (isDefault)
        SetWindowLongPtrW(w, GWLP_ID, IDOK);
    else if (form && form->CancelButton == &button)
        SetWindowLongPtrW(w, GWLP_ID, IDCANCEL);
    Bind(button, w, ListedIcon);
}

void Make(TLayout& layout, HWND parent, TControl& control, const TForm* form) {
    const TRect& b = control.Bounds();
    const RECT at{b.Left, b.Top, b.Width, b.Height};
    if (auto* panel = dynamic_cast<TPanel*>(&control)) {
        HWND group = CreatePanel(layout, at, parent);
        Bind(control, group);
        Build(layout, group, panel->Children, form);
        if (panel->Framed)
            Frame(layout, {0, 0, b.Width, b.Height}, group);
    } else if (auto* text = dynamic_cast<TStaticText*>(&control)) {
        Text(layout, parent, *text, at);
    } else if (auto* radios = dynamic_cast<TRadioGroup*>(&control)) {
        Radios(layout, parent, *radios, at);
    } else if (auto* box = dynamic_cast<TComboBox*>(&control)) {
        Bind(*box, layout.Create(WC_COMBOBOXW, L"",
                                 WS_VISIBLE | WS_TABSTOP | WS_VSCROLL |
                                     (box->Editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST),
                                 {at.left, at.top, at.right, ListHeight}, parent));
    } else if (auto* check = dynamic_cast<TCheckBox*>(&control)) {
        // A box without its caption shows an icon it has none of: no text is drawn beside it.
        Bind(*check,
             layout.Create(WC_BUTTONW, L"",
                           WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | (check->CaptionShown ? 0 : BS_ICON), at,
                           parent),
             check->CaptionShown);
    } else if (auto* button = dynamic_cast<TButton*>(&control)) {
        Button(layout, parent, *button, at, form);
    } else if (auto* edit = dynamic_cast<TEdit*>(&control)) {
        Bind(*edit, layout.Create(WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, at, parent,
                                  TFontKind::Normal, WS_EX_CLIENTEDGE));
    } else if (auto* list = dynamic_cast<TValueListEditor*>(&control)) {
        Bind(*list, layout.Create(WC_LISTVIEWW, L"",
                                  WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                      LVS_NOSORTHEADER,
                                  at, parent, TFontKind::Normal, WS_EX_CLIENTEDGE));
    }
}
} // namespace

void Build(TLayout& layout, HWND parent, const std::vector<TControl*>& controls, const TForm* form) {
    for (TControl* control : controls)
        Make(layout, parent, *control, form);
}
