#include "Bind.h"
#include "Panels.h"
#include "base/WideText.h"
#include "forms/CompositionRules.h"
#include <commctrl.h>

namespace {
// Positions in TCompositionRules::Labels().
constexpr size_t UnitCounts = 5;    // the five count boxes, one label each
constexpr size_t LabelledBoxes = 2; // gong and AUX priority, one label each
constexpr size_t MusicZones = 8;    // under one label, in two columns
constexpr size_t MusicLabel = UnitCounts + LabelledBoxes;
constexpr size_t SerialLabel = MusicLabel + 1;
constexpr size_t DateLabel = SerialLabel + 1;
constexpr size_t VersionLabel = DateLabel + 1;

constexpr int Margin = 4;
constexpr int RowPitch = 30;
constexpr int BoxWidth = 46;
constexpr int IdentityPitch = 24;
constexpr int ListHeight = 240; // the drop-down lists of the count boxes
} // namespace

void BuildCompositionPanel(TLayout& layout, HWND parent, RECT area, TCompositionRules& rules,
                           TValueListEditor& lengths) {
    const int left = area.left + Margin;
    const int width = area.right - 2 * Margin;
    const int control = left + width - BoxWidth;
    int y = area.top + Margin;
    auto label = [&](const std::string& text, RECT where, DWORD style = SS_LEFT) {
        return layout.Create(WC_STATICW, WideText(text), WS_VISIBLE | style, where, parent);
    };

    Bind(rules.StaticText269, layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_CENTER, {left, y, width, 16},
                                            parent, TFontKind::Bold));
    y += 22;

    const std::vector<std::string>& labels = TCompositionRules::Labels();
    TComboBox* counts[UnitCounts] = {&rules.ComboBox58, &rules.ComboBox57, &rules.ComboBox56,
                                     &rules.ComboBox55, &rules.ComboBox54};
    for (size_t i = 0; i < UnitCounts; ++i, y += RowPitch) {
        label(labels[i], {left, y, width - BoxWidth - 4, 28});
        Bind(*counts[i],
             layout.Create(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                           {control, y + 2, BoxWidth, ListHeight}, parent));
    }
    TCheckBox* boxes[LabelledBoxes] = {&rules.CheckBox316, &rules.CheckBox325};
    for (size_t i = 0; i < LabelledBoxes; ++i, y += RowPitch) {
        label(labels[UnitCounts + i], {left, y, width - BoxWidth - 4, 28});
        Bind(*boxes[i],
             layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX,
                           {control + 14, y + 4, 16, 18}, parent),
             false);
    }
    label(labels[MusicLabel], {left, y, width, 16});
    y += 18;
    const size_t perColumn = MusicZones / 2;
    for (size_t z = 0; z < MusicZones; ++z)
        Bind(*rules.CBMuz[z], layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX,
                                            {left + 8 + static_cast<int>(z / perColumn) * 100,
                                             y + static_cast<int>(z % perColumn) * 18, 90, 18},
                                            parent));
    y += static_cast<int>(perColumn) * 18 + 6;

    // The identity rows: a label, then one field or the date's three fields with slashes.
    auto identity = [&](size_t text, std::initializer_list<TEdit*> fields, int fieldWidth) {
        label(labels[text], {left, y + 3, 90, 16});
        int x = left + 92;
        for (TEdit* field : fields) {
            if (x > left + 92) {
                label("/", {x, y + 3, 6, 16});
                x += 8;
            }
            Bind(*field, layout.Create(WC_EDITW, L"", WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                                       {x, y, fieldWidth, 20}, parent, TFontKind::Normal, WS_EX_CLIENTEDGE));
            x += fieldWidth + 2;
        }
        y += IdentityPitch;
    };
    identity(SerialLabel, {&rules.Edit1}, 46);
    identity(DateLabel, {&rules.Edit2, &rules.Edit3, &rules.Edit4}, 28);
    identity(VersionLabel, {&rules.Edit5}, 28);

    y += 4;
    label(lengths.Caption, {left, y, width, 28});
    y += 30;
    Bind(lengths, layout.Create(WC_LISTVIEWW, L"",
                                WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                    LVS_NOSORTHEADER,
                                {left, y, width, area.top + area.bottom - Margin - y}, parent,
                                TFontKind::Normal, WS_EX_CLIENTEDGE));
}
