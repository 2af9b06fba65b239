#include "forms/CompositionRules.h"
#include "base/Cp1251.h"
#include "model/Configuration.h"
#include <iterator>
#include <utility>

namespace {
std::vector<std::string> Counts(int upTo) {
    std::vector<std::string> items;
    for (int i = 0; i <= upTo; ++i)
        items.push_back(std::to_string(i));
    return items;
}
} // namespace

TCompositionRules::TCompositionRules(ConfigImage& image, bool& refilling, TAlgorithmEditor& editor)
    : Image(image), Refilling(refilling), Editor(editor) {
    for (TComboBox* box : {&ComboBox58, &ComboBox57, &ComboBox55, &ComboBox54}) {
        box->SetItems(Counts(2));
        box->SetItemIndex(0);
    }
    ComboBox56.SetItems(Counts(8));
    ComboBox56.SetItemIndex(0);
    ComboBox56.DropDownCount = 10;
    CheckBox316.SetEnabled(false);
    CheckBox325.SetCaption("Приоритет входа AUX над автоматическим режимом");
    for (int z = 0; z < 8; ++z) {
        CBMuz[static_cast<size_t>(z)] = std::make_unique<TCheckBox>("CBMuz" + std::to_string(z + 1));
        CBMuz[static_cast<size_t>(z)]->SetCaption(TAlgorithmEditor::ZoneLabel(z));
    }
    Edit1.MaxLength = static_cast<int>(Layout::SerialNumberSize);
    for (TEdit* e : {&Edit2, &Edit3, &Edit4})
        e->MaxLength = static_cast<int>(Layout::DatePartSize);
    Edit5.MaxLength = static_cast<int>(Layout::VersionSize);
    SetIdentityWritable(false);
    const std::string consoles = "Пультов QV-5FD и QV-5D вместе не больше двух";
    ComboBox55.SetHint(consoles);
    ComboBox54.SetHint(consoles);
    ComboBox57.SetHint("Каждый разветвитель даёт четыре зоны трансляции и фоновой музыки");
    ComboBox56.SetHint("Каждый модуль даёт реле K1 и K2 на этапах алгоритмов");
    CheckBox316.SetHint(NeedsAnnouncer);

    for (TControl* c : Controls()) {
        if (auto* box = dynamic_cast<TComboBox*>(c))
            box->OnChange = [this](TComboBox& b) { ComboBox58Change(b); };
        else if (auto* check = dynamic_cast<TCheckBox*>(c))
            check->OnClick = [this](TCheckBox& b) { ComboBox58Change(b); };
        else if (auto* edit = dynamic_cast<TEdit*>(c))
            edit->OnChange = [this](TEdit& e) { ComboBox58Change(e); };
    }
}

const std::vector<std::string>& TCompositionRules::Labels() {
    static const std::vector<std::string> labels = {"Усилитель мощности QV-470AM",
                                                    "Разветвитель QV-SP",
                                                    "Модуль контроля и управления QV-CU4",
                                                    "Пожарный пульт микрофонный QV-5FD",
                                                    "Пульт диктора микрофонный QV-5D",
                                                    "Сигнал привлечения внимания (ГОНГ)",
                                                    "Приоритет входа AUX над авт. режимом",
                                                    "Зоны трансляции фоновой музыки:",
                                                    "Серийный номер",
                                                    "Дата",
                                                    "Версия"};
    return labels;
}

std::vector<TControl*> TCompositionRules::Controls() {
    std::vector<TControl*> all{&ComboBox58, &ComboBox57,  &ComboBox56, &ComboBox55,
                               &ComboBox54, &CheckBox316, &CheckBox325};
    for (auto& box : CBMuz)
        all.push_back(box.get());
    all.insert(all.end(), {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5});
    return all;
}

void TCompositionRules::SetIdentityWritable(bool writable) {
    for (TEdit* e : {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5}) {
        e->SetReadOnly(!writable);
        e->SetHint(writable ? "" : "Записано в контроллере; изменяется только в режиме отладки (-debug)");
    }
}

void TCompositionRules::WriteText(const TEdit& edit, size_t offset, size_t size) {
    const std::string bytes = Utf8ToCp1251(edit.Text());
    for (size_t i = 0; i < size; ++i)
        Image[offset + i] = i < bytes.size() ? static_cast<uint8_t>(bytes[i]) : 0;
}

std::string TCompositionRules::ReadText(size_t offset, size_t size) const {
    return IdentityFieldText(Image, offset, size);
}

void TCompositionRules::ComboBox58Change(TControl& control) {
    if (Refilling || Editor.Decoding)
        return;
    Editor.BeginEdit();
    const ConfigImage before = Image;
    auto index = [&control] { return static_cast<uint8_t>(static_cast<TComboBox&>(control).ItemIndex()); };
    auto checked = [&control] { return static_cast<TCheckBox&>(control).Checked() ? 1 : 0; };
    if (&control == &ComboBox58) {
        Image.PutBits(Layout::CountWidth, index(), Layout::AmplifierCountBit);
    } else if (&control == &ComboBox57) {
        Image.PutBits(Layout::CountWidth, index(), Layout::SplitterCountBit);
        ApplyRules("SP");
        ClearUnfitted(true, false);
    } else if (&control == &ComboBox56) {
        Image.PutBits(Layout::ModuleCountWidth, index(), Layout::ModuleCountBit);
        ApplyRules("Modul");
        ClearUnfitted(false, true);
    } else if (&control == &ComboBox55) {
        Image.PutBits(Layout::CountWidth, index(), Layout::FireCountBit);
        ApplyRules("PultFire");
    } else if (&control == &ComboBox54) {
        Image.PutBits(Layout::CountWidth, index(), Layout::AnnouncerCountBit);
        ApplyRules("PultDiktor");
    } else if (&control == &CheckBox316) {
        Image.SetBit(Layout::GongBit, checked());
    } else if (&control == &CheckBox325) {
        Image.SetBit(Layout::AuxPriorityBit, checked());
    } else if (&control == &Edit1) {
        WriteText(Edit1, Layout::SerialNumber, Layout::SerialNumberSize);
    } else if (&control == &Edit2) {
        WriteText(Edit2, Layout::Date1, Layout::DatePartSize);
    } else if (&control == &Edit3) {
        WriteText(Edit3, Layout::Date2, Layout::DatePartSize);
    } else if (&control == &Edit4) {
        WriteText(Edit4, Layout::Date3, Layout::DatePartSize);
    } else if (&control == &Edit5) {
        WriteText(Edit5, Layout::Version, Layout::VersionSize);
    } else {
        for (int z = 1; z <= 8; ++z)
            if (&control == CBMuz[static_cast<size_t>(z - 1)].get())
                Image.SetBit(Layout::MusicZoneBit(z), checked());
    }
    // Picking the count already shown, or typing the text already there, marks nothing.
    if (NotifyImageChanged && Image != before)
        NotifyImageChanged();
    Editor.EndEdit();
}

void TCompositionRules::ShowComposition() {
    const bool decoding = std::exchange(Editor.Decoding, true);
    const uint8_t counts = Image[Layout::UnitCounts];
    ComboBox58.SetItemIndex(counts >> 6);
    ComboBox57.SetItemIndex((counts >> 4) & 3);
    // The console choices left by the previous screen may not offer the stored counts:
    // start the fire console from all choices, then let each console limit the other.
    ComboBox55.SetItems(Counts(2));
    ComboBox55.SetItemIndex(counts & 3);
    RefillConsoleChoices(ComboBox54, ComboBox55);
    RefillConsoleChoices(ComboBox55, ComboBox54);
    for (int z = 0; z < 8; ++z)
        CBMuz[static_cast<size_t>(z)]->SetChecked((Image[Layout::MusicZones] >> z) & 1);
    const uint8_t options = Image[Layout::ModuleOptions];
    ComboBox56.SetItemIndex(options & 15);
    CheckBox316.SetChecked(options & 0x80);
    CheckBox325.SetChecked(options & 0x40);
    MarkIdentity(Image);
    Edit1.SetText(ReadText(Layout::SerialNumber, Layout::SerialNumberSize));
    Edit2.SetText(ReadText(Layout::Date1, Layout::DatePartSize));
    Edit3.SetText(ReadText(Layout::Date2, Layout::DatePartSize));
    Edit4.SetText(ReadText(Layout::Date3, Layout::DatePartSize));
    Edit5.SetText(ReadText(Layout::Version, Layout::VersionSize));
    Editor.Decoding = decoding;
}

void TCompositionRules::ShowConsoleChoices(int fire, int announcer) {
    const bool decoding = std::exchange(Editor.Decoding, true);
    for (auto [box, count] : {std::pair{&ComboBox55, fire}, std::pair{&ComboBox54, announcer}}) {
        if (box->Count() == count)
            continue;
        box->SetItems(Counts(count - 1));
        box->SetItemIndex(StoredCount(*box));
    }
    Gong(false);
    Editor.Decoding = decoding;
}

int TCompositionRules::Count(const TComboBox& box) const {
    return box.ItemIndex() >= 0 ? box.ItemIndex() : StoredCount(box);
}

int TCompositionRules::StoredCount(const TComboBox& box) const {
    if (&box == &ComboBox58)
        return Image.GetBits(Layout::AmplifierCountBit, Layout::CountWidth);
    if (&box == &ComboBox57)
        return Image.GetBits(Layout::SplitterCountBit, Layout::CountWidth);
    if (&box == &ComboBox54)
        return Image.GetBits(Layout::AnnouncerCountBit, Layout::CountWidth);
    if (&box == &ComboBox55)
        return Image.GetBits(Layout::FireCountBit, Layout::CountWidth);
    return Image.GetBits(Layout::ModuleCountBit, Layout::ModuleCountWidth);
}

// A console box offers "0", then "1" when the other console counts 1, "1" and "2" when it counts 0.
// It selects its stored count again, which is the choice it showed, or, when it showed none,
// a count that the other console's edit may have made valid.
void TCompositionRules::RefillConsoleChoices(TComboBox& box, const TComboBox& other) {
    std::vector<std::string> items{"0"};
    if (other.ItemIndex() == 1)
        items.push_back("1");
    else if (other.ItemIndex() == 0)
        items.insert(items.end(), {"1", "2"});
    box.SetItems(items);
    box.SetItemIndex(StoredCount(box));
}

void TCompositionRules::Gong(bool takeAway) {
    if (ComboBox54.ItemIndex() == 0) {
        if (takeAway)
            CheckBox316.SetChecked(false);
        CheckBox316.SetEnabled(false);
        CheckBox316.SetHint(NeedsAnnouncer);
    } else {
        CheckBox316.SetEnabled(true);
        CheckBox316.SetHint("");
    }
}

void TCompositionRules::StagesAndZones(bool takeAway) {
    const int splitters = ComboBox57.ItemIndex();
    // No splitter count the box can show: nothing is available and nothing is taken away.
    const int available = splitters < 0 ? 0 : 4 * splitters;
    // What a zone beyond the available ones is waiting for.
    auto missing = [](int z) { return z < 4 ? NeedsSplitter : NeedsSecondSplitter; };
    for (int z = 0; z < TAlgorithmEditor::Zones; ++z)
        CBMuz[static_cast<size_t>(z)]->SetHint(z < available ? "" : missing(z));
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        const auto i = static_cast<size_t>(s);
        if (s >= 1) {
            const bool chained = Editor.RepeatBoxes[i - 1]->ItemIndex() > 0;
            Editor.StageBoxes[i]->SetEnabled(chained);
            Editor.StageBoxes[i]->SetHint(
                chained ? "" : "у предыдущего этапа должно быть число повторов, а не \"Без огр\"");
        }
        const bool checked = Editor.StageBoxes[i]->Checked();
        for (TComboBox* box :
             {Editor.MessageBoxes[i].get(), Editor.RepeatBoxes[i].get(), Editor.PauseBoxes[i].get()}) {
            box->SetEnabled(checked);
            box->SetHint(checked ? "" : NeedsStage);
        }
        for (int z = 0; z < TAlgorithmEditor::Zones; ++z) {
            TButton& zone = Editor.ZoneButton(s, z);
            zone.SetHint(z >= available ? missing(z) : checked ? "" : NeedsStage);
            // The music box of zone z, or of stage s where no splitter is counted at all.
            TCheckBox& music = *CBMuz[splitters == 0 ? i : static_cast<size_t>(z)];
            if (z < available) {
                // A zone given back shows what is stored, not the up state it was hidden in.
                zone.SetDown(Editor.StoredZone(s, z));
                zone.SetEnabled(checked);
                music.SetEnabled(true);
            } else {
                if (splitters >= 0)
                    zone.SetDown(false);
                zone.SetEnabled(false);
                if (takeAway)
                    music.SetChecked(false);
                music.SetEnabled(false);
            }
        }
        for (int z = 0; z < TAlgorithmEditor::Zones; ++z)
            TAlgorithmEditor::ShowZonePicture(Editor.ZoneButton(s, z));
    }
}

void TCompositionRules::Relays(bool takeAway) {
    const int modules = ComboBox56.ItemIndex();
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        const bool checked = Editor.StageBoxes[static_cast<size_t>(s)]->Checked();
        for (int i = 0; i < TAlgorithmEditor::RelaysPerStage; ++i) {
            TCheckBox& relay =
                *Editor.RelayBoxes[static_cast<size_t>(TAlgorithmEditor::RelaysPerStage * s + i)];
            // An available box has no caption on screen: its tip says which relay it switches.
            std::string hint = NeedsStage;
            if (i >= 2 * modules)
                hint = NeedsModule(i / 2);
            else if (checked)
                hint = TAlgorithmEditor::ModuleLabel(i / 2) + ", " + TAlgorithmEditor::RelayLabel(i % 2);
            relay.SetHint(hint);
            if (i < 2 * modules) {
                relay.SetEnabled(checked);
            } else {
                // Unchecking raises the stage handler, which clears the relay's bit.
                if (takeAway)
                    relay.SetChecked(false);
                relay.SetEnabled(false);
            }
        }
    }
}

// The rules clear the shown input through its controls; the other inputs hold the same bits.
void TCompositionRules::ClearUnfitted(bool zones, bool relays) {
    const int firstZone = zones ? ZonesProvided(StoredCount(ComboBox57)) : TAlgorithmEditor::Zones;
    const int firstRelay =
        relays ? 2 * ModulesProvided(StoredCount(ComboBox56)) : TAlgorithmEditor::RelaysPerStage;
    for (int n = 0; n < Layout::Inputs; ++n)
        for (int s = 0; s < Layout::Stages; ++s) {
            uint8_t* record = Image.Data() + Layout::StageOffset(n, s);
            for (int z = firstZone; z < TAlgorithmEditor::Zones; ++z)
                SetBit(record + Layout::Zones, Layout::Zone1Bit - z, 0);
            for (int j = firstRelay; j < TAlgorithmEditor::RelaysPerStage; ++j)
                SetBit(record + Layout::Relays, j, 0);
        }
}

void TCompositionRules::ApplyRules(const std::string& selector) {
    const bool all = selector == "ALL";
    if (all || selector == "PultFire")
        RefillConsoleChoices(ComboBox54, ComboBox55);
    if (all || selector == "PultDiktor")
        RefillConsoleChoices(ComboBox55, ComboBox54);
    Gong(selector == "PultDiktor");
    if (all || selector == "SP" || selector == "PHASE")
        StagesAndZones(selector == "SP");
    if (all || selector == "Modul" || selector == "PHASE")
        Relays(selector == "Modul");
}

std::vector<std::string> TCompositionRules::IdentityFieldsOutside1251() const {
    const std::pair<const TEdit*, const char*> identity[] = {
        {&Edit1, "серийный номер"}, {&Edit2, "дата"}, {&Edit3, "дата"}, {&Edit4, "дата"}, {&Edit5, "версия"}};
    std::vector<std::string> fields;
    for (const auto& [edit, name] : identity)
        if (Cp1251ToUtf8(Utf8ToCp1251(edit->Text())) != edit->Text())
            fields.push_back(name);
    return fields;
}

void TCompositionRules::LayOut(TRect bounds) {
    constexpr int Margin = 4;
    constexpr int RowPitch = 30;
    constexpr int BoxWidth = 46;
    constexpr int IdentityPitch = 24;
    // Positions in Labels(): five counts, gong and AUX priority, the music zones, the identity.
    constexpr size_t UnitCounts = 5, MusicLabel = 7, SerialLabel = 8, DateLabel = 9, VersionLabel = 10;
    Panel.SetBounds(bounds);
    const int left = Margin, width = bounds.Width - 2 * Margin;
    const int control = left + width - BoxWidth;
    int y = Margin;
    const auto place = [this](TControl& c, TRect where) {
        c.SetBounds(where);
        Panel.Children.push_back(&c);
    };
    const auto label = [&](const std::string& caption, TRect where) {
        Texts.push_back(std::make_unique<TStaticText>(std::string(), caption));
        place(*Texts.back(), where);
    };

    StaticText269.Bold = true;
    StaticText269.Alignment = TAlignment::Center;
    place(StaticText269, {left, y, width, 16});
    y += 22;
    const std::vector<std::string>& labels = Labels();
    TComboBox* counts[UnitCounts] = {&ComboBox58, &ComboBox57, &ComboBox56, &ComboBox55, &ComboBox54};
    for (size_t i = 0; i < UnitCounts; ++i, y += RowPitch) {
        label(labels[i], {left, y, width - BoxWidth - 4, 28});
        place(*counts[i], {control, y + 2, BoxWidth, 22});
    }
    TCheckBox* boxes[] = {&CheckBox316, &CheckBox325};
    for (size_t i = 0; i < std::size(boxes); ++i, y += RowPitch) {
        label(labels[UnitCounts + i], {left, y, width - BoxWidth - 4, 28});
        // The label beside the box says what it is, to the eye and to a screen reader.
        boxes[i]->CaptionShown = false;
        boxes[i]->AccessibleName = labels[UnitCounts + i];
        place(*boxes[i], {control + 14, y + 4, 16, 18});
    }
    label(labels[MusicLabel], {left, y, width, 16});
    y += 18;
    // The music zones in two columns.
    const int perColumn = static_cast<int>(CBMuz.size()) / 2;
    for (int z = 0; z < static_cast<int>(CBMuz.size()); ++z)
        place(*CBMuz[static_cast<size_t>(z)],
              {left + 8 + z / perColumn * 100, y + z % perColumn * 18, 90, 18});
    y += perColumn * 18 + 6;

    // The identity rows: a label, then one field or the date's three fields with slashes.
    const auto identity = [&](size_t text, std::initializer_list<TEdit*> fields, int fieldWidth) {
        label(labels[text], {left, y + 3, 90, 16});
        int x = left + 92;
        for (TEdit* field : fields) {
            if (x > left + 92) {
                label("/", {x, y + 3, 6, 16});
                x += 8;
            }
            place(*field, {x, y, fieldWidth, 20});
            x += fieldWidth + 2;
        }
        y += IdentityPitch;
    };
    identity(SerialLabel, {&Edit1}, 46);
    identity(DateLabel, {&Edit2, &Edit3, &Edit4}, 28);
    identity(VersionLabel, {&Edit5}, 28);

    y += 4;
    label(Editor.LenMes.Caption, {left, y, width, 28});
    y += 30;
    place(Editor.LenMes, {left, y, width, bounds.Height - Margin - y});
}
