#include "Bind.h"
#include "Painter.h"
#include "Panels.h"
#include "base/WideText.h"
#include "model/AlgorithmEditor.h"
#include <commctrl.h>

namespace {
constexpr int Margin = 6;
constexpr int LabelColumnWidth = 182;
constexpr int Gap = 3;
constexpr int Pitch = 24;
constexpr int ListHeight = 300; // the drop-down lists of the choice boxes
} // namespace

void BuildAlgorithmPanel(TLayout& layout, HWND parent, RECT area, TAlgorithmEditor& editor) {
    using TA = TAlgorithmEditor;
    const int left = area.left + Margin;
    const int width = area.right - 2 * Margin;
    const int stagesLeft = left + LabelColumnWidth + Gap;
    const int column = (left + width - stagesLeft) / TA::Stages;
    const auto stageX = [&](int stage) { return stagesLeft + column * stage; };
    int y = area.top + 4;

    auto text = [&](const std::string& caption, RECT where, DWORD style = SS_LEFT,
                    TFontKind font = TFontKind::Normal) {
        return layout.Create(WC_STATICW, WideText(caption), WS_VISIBLE | style, where, parent, font);
    };
    auto heading = [&](const std::string& caption) {
        text(caption, {left, y, width, 16}, SS_CENTER, TFontKind::Bold);
        y += 20;
    };
    auto rowLabel = [&](const std::string& caption) { text(caption, {left, y + 3, LabelColumnWidth, 16}); };

    Bind(editor.StaticText268, layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_CENTER, {left, y, width, 16},
                                             parent, TFontKind::Bold));
    y += 20;

    rowLabel(TA::InputLabel);
    for (size_t n = 0; n < editor.InputButtons.size(); ++n)
        Bind(*editor.InputButtons[n],
             layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE,
                           {stageX(static_cast<int>(n)), y, column - Gap, 22}, parent));
    y += Pitch + 2;

    heading(TA::StageHeading);
    for (int s = 0; s < TA::Stages; ++s)
        Bind(*editor.StageBoxes[static_cast<size_t>(s)],
             layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX,
                           {stageX(s) + 10, y, column - 14, 20}, parent));
    y += Pitch;

    using TBoxes = std::array<std::unique_ptr<TComboBox>, TA::Stages>;
    const std::pair<const std::string&, TBoxes&> choices[] = {{TA::MessageLabel, editor.MessageBoxes},
                                                              {TA::RepeatLabel, editor.RepeatBoxes},
                                                              {TA::PauseLabel, editor.PauseBoxes}};
    for (const auto& [caption, boxes] : choices) {
        rowLabel(caption);
        for (int s = 0; s < TA::Stages; ++s)
            Bind(*boxes[static_cast<size_t>(s)],
                 layout.Create(WC_COMBOBOXW, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                               {stageX(s), y, column - Gap, ListHeight}, parent));
        y += Pitch + 2;
    }

    rowLabel(TA::StageTimeLabel);
    for (int s = 0; s < TA::Stages; ++s)
        Bind(*editor.StageTimes[static_cast<size_t>(s)],
             layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                           {stageX(s), y, column - Gap, 20}, parent, TFontKind::Normal, WS_EX_STATICEDGE));
    y += Pitch;
    rowLabel(TA::TotalTimeLabel);
    const RECT whole{stageX(0), y, column * TA::Stages - Gap, 20};
    HWND total = layout.Create(WC_STATICW, L"", WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, whole, parent,
                               TFontKind::Normal, WS_EX_STATICEDGE);
    Bind(*editor.TotalTime, total);
    // The total takes half the row while the note beside it is shown, all of it otherwise.
    const int totalHalf = (whole.right - Gap) / 2;
    HWND note = layout.Create(WC_STATICW, L"", SS_LEFT | SS_CENTERIMAGE,
                              {whole.left + totalHalf + Gap, y, whole.right - totalHalf - Gap, 20}, parent,
                              TFontKind::Bold);
    SetTextColour(note, RGB(0xb0, 0, 0));
    Bind(editor.LengthsNote, note);
    Follow(editor.LengthsNote, note, [&layout, &lengthsNote = editor.LengthsNote, total, whole, totalHalf] {
        layout.Move(total,
                    {whole.left, whole.top, lengthsNote.Visible() ? totalHalf : whole.right, whole.bottom});
    });
    y += Pitch + 2;

    heading(TA::ZoneHeading);
    for (int z = 0; z < TA::Zones; ++z) {
        rowLabel(TA::ZoneLabel(z));
        for (int s = 0; s < TA::Stages; ++s)
            Bind(editor.ZoneButton(s, z),
                 layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE | BS_ICON,
                               {stageX(s), y, column - Gap, 22}, parent),
                 ListedIcon);
        y += Pitch;
    }
    y += 2;

    heading(TA::RelayHeading);
    const int half = column / 2;
    for (int s = 0; s < TA::Stages; ++s)
        for (int k = 0; k < 2; ++k)
            text(TA::RelayLabel(k), {stageX(s) + half * k, y, half, 14}, SS_CENTER);
    y += 16;
    for (int m = 0; m < TA::Modules; ++m) {
        rowLabel(TA::ModuleLabel(m));
        for (int s = 0; s < TA::Stages; ++s)
            for (int k = 0; k < 2; ++k)
                // The caption is the relay number the handler reads; the column head says K1/K2.
                Bind(editor.RelayBox(s, m, k),
                     layout.Create(WC_BUTTONW, L"", WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX,
                                   {stageX(s) + half * k + (half - 14) / 2, y + 2, 14, 18}, parent),
                     false);
        y += Pitch - 2;
    }
}
