#include "forms/AlgorithmEditor.h"
#include "model/EvacuationPlan.h"
#include <utility>

namespace {
const char* const InputButtonNames[Layout::Inputs] = {"SpeedButton1", "SpeedButton2", "SpeedButton3",
                                                      "SpeedButton5", "SpeedButton6", "SpeedButton7",
                                                      "SpeedButton8", "SpeedButton9"};
const int MessageBoxNumbers[8] = {43, 44, 45, 49, 50, 51, 52, 53};
const int RepeatBoxNumbers[8] = {32, 34, 36, 38, 39, 40, 41, 42};
const int PauseBoxNumbers[8] = {46, 47, 48, 22, 24, 26, 28, 30};

// The K1 box of module 1 at stage 2 comes before stage 1's in the form's numbering.
int RelayK1Number(int module, int stage) {
    if (module == 0) {
        static const int firstModule[8] = {190, 188, 192, 194, 196, 198, 200, 202};
        return firstModule[stage];
    }
    return 204 + 16 * (module - 1) + 2 * stage;
}

std::string Numbered(const std::string& prefix, int n) {
    return prefix + std::to_string(n);
}

std::vector<std::string> NumberTexts(int from, int to) {
    std::vector<std::string> items;
    for (int i = from; i <= to; ++i)
        items.push_back(std::to_string(i));
    return items;
}
} // namespace

TAlgorithmEditor::TAlgorithmEditor(ConfigImage& image, int& currentInput, bool& refilling)
    : Image(image), CurrentInput(currentInput), Refilling(refilling) {
    auto handler = [this](auto& control) { CheckBox180Click(control); };

    std::vector<TButton*> row;
    for (int n = 0; n < Layout::Inputs; ++n) {
        auto& b = InputButtons[static_cast<size_t>(n)];
        b = std::make_unique<TButton>(InputButtonNames[n]);
        b->SetCaption("IN " + std::to_string(n + 1));
        b->Tag = n;
        b->Kind = TButtonKind::Toggle;
        b->OnClick = [this](TButton& button) { SpeedButton1Click(button); };
        row.push_back(b.get());
    }
    TButton::MakeGroup(row);
    InputButtons[0]->SetDown(true);

    std::vector<std::string> repeats{Unlimited};
    for (int i = 1; i <= 255; ++i)
        repeats.push_back(std::to_string(i));
    const std::vector<std::string> messages = NumberTexts(1, Messages);
    std::vector<std::string> pauses;
    for (int p = 0; p < 8; ++p)
        pauses.push_back(std::to_string(p * Layout::PauseStepSeconds));

    for (int s = 0; s < Stages; ++s) {
        const auto i = static_cast<size_t>(s);
        auto setup = [&](TControl& c, int kind) {
            c.Tag = s;
            c.FieldKind = kind;
        };
        StageBoxes[i] = std::make_unique<TCheckBox>(Numbered("CheckBox", 180 + s));
        StageBoxes[i]->SetCaption(std::to_string(s + 1) + " этап");
        setup(*StageBoxes[i], KindStage);
        StageBoxes[i]->OnClick = handler;
        if (s > 0)
            StageBoxes[i]->SetEnabled(false);

        MessageBoxes[i] = std::make_unique<TComboBox>(Numbered("ComboBox", MessageBoxNumbers[s]));
        MessageBoxes[i]->SetItems(messages);
        setup(*MessageBoxes[i], KindMessage);
        MessageBoxes[i]->OnChange = handler;

        RepeatBoxes[i] = std::make_unique<TComboBox>(Numbered("ComboBox", RepeatBoxNumbers[s]));
        RepeatBoxes[i]->SetItems(repeats);
        setup(*RepeatBoxes[i], KindRepeat);
        RepeatBoxes[i]->OnChange = handler;

        PauseBoxes[i] = std::make_unique<TComboBox>(Numbered("ComboBox", PauseBoxNumbers[s]));
        PauseBoxes[i]->SetItems(pauses);
        PauseBoxes[i]->SetItemIndex(0);
        setup(*PauseBoxes[i], KindPause);
        PauseBoxes[i]->OnChange = handler;

        StageTimes[i] = std::make_unique<TStaticText>(Numbered("StaticText", 8 + s));

        for (int z = 0; z < Zones; ++z) {
            auto& b = ZoneButtons[static_cast<size_t>(Zones * s + z)];
            b = std::make_unique<TButton>(Numbered("ToolButton", 69 + 8 * z + s));
            b->Kind = TButtonKind::Toggle;
            b->AccessibleName = ZoneLabel(z) + ", этап " + std::to_string(s + 1);
            setup(*b, KindZone1 + z);
            b->OnClick = handler;
            ShowZonePicture(*b);
        }
        for (int m = 0; m < Modules; ++m)
            for (int k = 0; k < 2; ++k) {
                auto& c = RelayBoxes[static_cast<size_t>(RelaysPerStage * s + 2 * m + k)];
                c = std::make_unique<TCheckBox>(Numbered("CheckBox", RelayK1Number(m, s) + k));
                c->SetCaption(std::to_string(k));
                c->AccessibleName = ModuleLabel(m) + ", " + RelayLabel(k) + ", этап " + std::to_string(s + 1);
                setup(*c, KindModule1 + m);
                c->OnClick = handler;
            }
    }
    TotalTime = std::make_unique<TStaticText>("StaticText23");
    LengthsNote.SetVisible(false);

    LenMes.Caption = "Время воспроиз- ведения сообщений:";
    LenMes.SetTitles("Номер", "сек.");
    for (int k = 1; k <= Messages; ++k)
        LenMes.AddRow(std::to_string(k), "");
}

void TAlgorithmEditor::AttachLengthTable() {
    LenMes.OnStringsChange = [this](TValueListEditor&) { Edit6Change(); };
}

std::vector<TControl*> TAlgorithmEditor::GridControls() const {
    std::vector<TControl*> all;
    for (int s = 0; s < Stages; ++s) {
        const auto i = static_cast<size_t>(s);
        all.insert(all.end(),
                   {StageBoxes[i].get(), MessageBoxes[i].get(), RepeatBoxes[i].get(), PauseBoxes[i].get()});
    }
    for (const auto& b : ZoneButtons)
        all.push_back(b.get());
    for (const auto& c : RelayBoxes)
        all.push_back(c.get());
    return all;
}

void TAlgorithmEditor::ShowZonePicture(TButton& button) {
    button.SetImageIndex(button.Down() ? PictureDown : PictureUp);
}

uint8_t* TAlgorithmEditor::StageRecord(int stage) {
    return Image.Data() + Layout::StageOffset(CurrentInput, stage);
}

const uint8_t* TAlgorithmEditor::StageRecord(int stage) const {
    return Image.Data() + Layout::StageOffset(CurrentInput, stage);
}

bool TAlgorithmEditor::StoredZone(int stage, int zone) const {
    return GetBit(StageRecord(stage) + Layout::Zones, Layout::Zone1Bit - zone) == 1;
}

bool TAlgorithmEditor::StoredRelay(int stage, int relay) const {
    return GetBit(StageRecord(stage) + Layout::Relays, relay) == 1;
}

void TAlgorithmEditor::EnableNextStage(int stage) {
    if (stage + 1 < Stages)
        StageBoxes[static_cast<size_t>(stage + 1)]->SetEnabled(true);
}

// Unchecking a later stage raises this handler for it, which clears its enabled bit.
void TAlgorithmEditor::ClearLaterStages(int stage) {
    for (int t = stage + 1; t < Stages; ++t) {
        StageBoxes[static_cast<size_t>(t)]->SetChecked(false);
        StageBoxes[static_cast<size_t>(t)]->SetEnabled(false);
    }
}

void TAlgorithmEditor::CheckBox180Click(TControl& control) {
    if (Decoding)
        return;
    BeginEdit();
    const ConfigImage before = Image;
    const int s = control.Tag;
    const int k = control.FieldKind;
    uint8_t* record = StageRecord(s);
    switch (k) {
    case KindStage: {
        const bool checked = static_cast<TCheckBox&>(control).Checked();
        SetBit(record + Layout::StageFlags, Layout::StageEnabledBit, checked ? 1 : 0);
        if (checked && RepeatBoxes[static_cast<size_t>(s)]->ItemIndex() != 0)
            EnableNextStage(s);
        else
            ClearLaterStages(s);
        if (ApplyRules)
            ApplyRules("PHASE");
        break;
    }
    case KindMessage:
        record[Layout::MessageNumber] =
            static_cast<uint8_t>(static_cast<TComboBox&>(control).ItemIndex() + 1);
        break;
    case KindRepeat: {
        const int index = static_cast<TComboBox&>(control).ItemIndex();
        record[Layout::RepeatCount] = static_cast<uint8_t>(index);
        if (index != 0) {
            EnableNextStage(s);
        } else {
            ClearLaterStages(s);
            if (ApplyRules)
                ApplyRules("PHASE");
        }
        break;
    }
    case KindPause:
        PutBits(Layout::PauseWidth, static_cast<uint8_t>(static_cast<TComboBox&>(control).ItemIndex()),
                record + Layout::StageFlags, Layout::PauseBit);
        break;
    default:
        if (k >= KindZone1 && k < KindModule1) {
            auto& button = static_cast<TButton&>(control);
            SetBit(record + Layout::Zones, Layout::Zone1Bit + KindZone1 - k, button.Down() ? 1 : 0);
            ShowZonePicture(button);
        } else if (k >= KindModule1 && k < KindModule1 + Modules) {
            auto& box = static_cast<TCheckBox&>(control);
            // K2 is the second box of its module's pair.
            const int relay =
                &box == RelayBoxes[static_cast<size_t>(RelaysPerStage * s + 2 * (k - KindModule1) + 1)].get()
                    ? 1
                    : 0;
            SetBit(record + Layout::Relays, Layout::RelayIndex(k - KindModule1, relay),
                   box.Checked() ? 1 : 0);
        }
        break;
    }
    // Picking the choice already shown changes nothing and marks nothing.
    if (NotifyImageChanged && Image != before)
        NotifyImageChanged();
    if (k <= KindPause)
        Edit6Change();
    EndEdit();
}

void TAlgorithmEditor::SpeedButton1Click(TButton& button) {
    button.SetDown(true);
    CurrentInput = button.Tag;
    Refilling = true;
    const bool decoding = std::exchange(Decoding, true);
    ShowInput();
    if (ApplyRules)
        ApplyRules("ALL");
    Decoding = decoding;
    Edit6Change();
    Refilling = false;
}

void TAlgorithmEditor::ShowInput() {
    const bool decoding = std::exchange(Decoding, true);
    for (int s = 0; s < Stages; ++s) {
        const auto i = static_cast<size_t>(s);
        const uint8_t* record = StageRecord(s);
        StageBoxes[i]->SetChecked(GetBit(record + Layout::StageFlags, Layout::StageEnabledBit) == 1);
        MessageBoxes[i]->SetItemIndex(record[Layout::MessageNumber] - 1);
        RepeatBoxes[i]->SetItemIndex(record[Layout::RepeatCount]);
        PauseBoxes[i]->SetItemIndex(
            GetBits(record + Layout::StageFlags, Layout::PauseBit, Layout::PauseWidth));
        for (int z = 0; z < Zones; ++z)
            ZoneButton(s, z).SetDown(StoredZone(s, z));
        for (int j = 0; j < RelaysPerStage; ++j)
            RelayBoxes[static_cast<size_t>(RelaysPerStage * s + j)]->SetChecked(StoredRelay(s, j));
    }
    Decoding = decoding;
}

std::vector<std::string> TAlgorithmEditor::LengthTexts() const {
    std::vector<std::string> texts;
    for (int r = 1; r <= Messages; ++r)
        texts.push_back(LenMes.Value(r));
    return texts;
}

void TAlgorithmEditor::Edit6Change() {
    for (int r = 1; r <= Messages; ++r)
        if (LenMes.Value(r).empty())
            LenMes.SetValue(r, "0");
    const TMessageLengths lengths = ParseLengths(LengthTexts());
    for (int r = 1; r <= Messages; ++r)
        LenMes.SetValueWarning(
            r, lengths[static_cast<size_t>(r - 1)].Kind == TMessageLength::TKind::NotALength ? LengthNotWhole
                                                                                             : "");
    // The times of what the image holds: every edit is in it before this runs.
    const TInputPlan plan = PlanInput(DecodeStages(Image, CurrentInput), lengths);
    for (size_t s = 0; s < StageTimes.size(); ++s)
        StageTimes[s]->SetCaption(plan.Stages[s].Text());
    TotalTime->SetCaption(plan.TotalText());
    LengthsNote.SetVisible(plan.LengthMissing);
}

void TAlgorithmEditor::LayOut(TRect bounds) {
    constexpr int Margin = 6;
    constexpr int LabelColumnWidth = 182;
    constexpr int Gap = 3;
    constexpr int Pitch = 24;
    Panel.SetBounds(bounds);
    const int left = Margin, width = bounds.Width - 2 * Margin;
    const int stagesLeft = left + LabelColumnWidth + Gap;
    const int column = (left + width - stagesLeft) / Stages;
    const auto stageX = [&](int stage) { return stagesLeft + column * stage; };
    int y = 4;
    const auto place = [this](TControl& control, TRect where) {
        control.SetBounds(where);
        Panel.Children.push_back(&control);
    };
    const auto text = [this](const std::string& caption) -> TStaticText& {
        Texts.push_back(std::make_unique<TStaticText>(std::string(), caption));
        return *Texts.back();
    };
    const auto heading = [&](TStaticText& title) {
        title.Bold = true;
        title.Alignment = TAlignment::Center;
        place(title, {left, y, width, 16});
        y += 20;
    };
    const auto rowLabel = [&](const std::string& caption) {
        place(text(caption), {left, y + 3, LabelColumnWidth, 16});
    };

    heading(StaticText268);
    rowLabel(InputLabel);
    for (size_t n = 0; n < InputButtons.size(); ++n)
        place(*InputButtons[n], {stageX(static_cast<int>(n)), y, column - Gap, 22});
    y += Pitch + 2;

    heading(text(StageHeading));
    for (int s = 0; s < Stages; ++s)
        place(*StageBoxes[static_cast<size_t>(s)], {stageX(s) + 10, y, column - 14, 20});
    y += Pitch;

    for (auto* row : {&MessageBoxes, &RepeatBoxes, &PauseBoxes}) {
        rowLabel(row == &MessageBoxes ? MessageLabel : row == &RepeatBoxes ? RepeatLabel : PauseLabel);
        for (int s = 0; s < Stages; ++s)
            place(*(*row)[static_cast<size_t>(s)], {stageX(s), y, column - Gap, 22});
        y += Pitch + 2;
    }

    rowLabel(StageTimeLabel);
    for (int s = 0; s < Stages; ++s) {
        TStaticText& time = *StageTimes[static_cast<size_t>(s)];
        time.Alignment = TAlignment::Center;
        time.Sunken = true;
        place(time, {stageX(s), y, column - Gap, 20});
    }
    y += Pitch;
    rowLabel(TotalTimeLabel);
    // The total takes half the row while the note beside it is shown, all of it otherwise.
    const TRect whole{stageX(0), y, column * Stages - Gap, 20};
    const int half = (whole.Width - Gap) / 2;
    TotalTime->Alignment = TAlignment::Center;
    TotalTime->Sunken = true;
    place(*TotalTime, whole);
    LengthsNote.Bold = true;
    LengthsNote.Colour = Rgb(0xb0, 0, 0);
    place(LengthsNote, {whole.Left + half + Gap, y + 3, whole.Width - half - Gap, 16});
    const auto followNote = [this, whole, half] {
        TotalTime->SetBounds(LengthsNote.Visible() ? TRect{whole.Left, whole.Top, half, whole.Height}
                                                   : whole);
    };
    LengthsNote.Watch(followNote);
    followNote();
    y += Pitch + 2;

    heading(text(ZoneHeading));
    for (int z = 0; z < Zones; ++z) {
        rowLabel(ZoneLabel(z));
        for (int s = 0; s < Stages; ++s)
            place(ZoneButton(s, z), {stageX(s), y, column - Gap, 22});
        y += Pitch;
    }
    y += 2;

    heading(text(RelayHeading));
    // Every stage's column holds two relays, K1 and K2, under their heads.
    const int relayWidth = column / 2;
    for (int s = 0; s < Stages; ++s)
        for (int k = 0; k < 2; ++k) {
            TStaticText& head = text(RelayLabel(k));
            head.Alignment = TAlignment::Center;
            place(head, {stageX(s) + relayWidth * k, y, relayWidth, 14});
        }
    y += 16;
    for (int m = 0; m < Modules; ++m) {
        rowLabel(ModuleLabel(m));
        for (int s = 0; s < Stages; ++s)
            for (int k = 0; k < 2; ++k) {
                TCheckBox& relay = RelayBox(s, m, k);
                // The caption is the relay number the handler reads; the column head says K1/K2.
                relay.CaptionShown = false;
                place(relay, {stageX(s) + relayWidth * k + (relayWidth - 14) / 2, y + 2, 14, 18});
            }
        y += Pitch - 2;
    }
}
