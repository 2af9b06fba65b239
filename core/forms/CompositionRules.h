#pragma once
#include "forms/AlgorithmEditor.h"
#include "ui/Edit.h"
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The composition panel: unit counts, gong, AUX priority, music zones and the
// controller's identity, with the enabling pass ApplyRules that keeps consoles, zones,
// relays and the stage chaining in line with what the installed system provides.
class TCompositionRules {
public:
    TCompositionRules(ConfigImage& image, bool& refilling, TAlgorithmEditor& editor);

    std::function<void()> NotifyImageChanged;

    void ComboBox58Change(TControl& control);
    void ShowComposition();
    void ApplyRules(const std::string& selector);
    // Offers `fire` and `announcer` choices in the console boxes, selecting the stored counts,
    // as an earlier screen showed them.
    void ShowConsoleChoices(int fire, int announcer);
    // The identity fields accept typing only in debug mode.
    void SetIdentityWritable(bool writable);
    // The count a unit box stands for: its selected choice, or, when the stored count is
    // one it does not offer, that stored count.
    int Count(const TComboBox& box) const;

    TComboBox ComboBox58{"ComboBox58"};   // amplifiers
    TComboBox ComboBox57{"ComboBox57"};   // splitters
    TComboBox ComboBox56{"ComboBox56"};   // control modules
    TComboBox ComboBox55{"ComboBox55"};   // fire consoles
    TComboBox ComboBox54{"ComboBox54"};   // announcer consoles
    TCheckBox CheckBox316{"CheckBox316"}; // gong
    TCheckBox CheckBox325{"CheckBox325"}; // AUX priority
    std::array<std::unique_ptr<TCheckBox>, 8> CBMuz;
    TEdit Edit1{"Edit1"}; // serial number
    TEdit Edit2{"Edit2"}; // date, three parts
    TEdit Edit3{"Edit3"};
    TEdit Edit4{"Edit4"};
    TEdit Edit5{"Edit5"}; // version
    TStaticText StaticText269{"StaticText269", "Состав и конфигурация системы"};

    // Tool tips that name what a disabled control is waiting for.
    static inline const std::string NeedsAnnouncer = "нужен пульт диктора";
    static inline const std::string NeedsSplitter = "нужен разветвитель";
    static inline const std::string NeedsSecondSplitter = "нужен второй разветвитель";
    static inline const std::string NeedsStage = "этап не включён";
    static std::string NeedsModule(int module) {
        return "нужен модуль QV-CU4 № " + std::to_string(module + 1);
    }

    // The panel: the controls with their labels, the identity, and at the bottom the table of
    // message lengths, each at its place, in the order a front end makes them; laid out within bounds.
    TPanel Panel{"CompositionPanel"};
    void LayOut(TRect bounds);

    // The labels beside the controls, top to bottom.
    static const std::vector<std::string>& Labels();
    // The 20 controls of the panel in their order on screen.
    std::vector<TControl*> Controls();

    // The identity fields ("серийный номер", "дата", "версия") whose text Windows-1251 cannot
    // hold, in order, once each time a field shows it.
    std::vector<std::string> IdentityFieldsOutside1251() const;

private:
    void RefillConsoleChoices(TComboBox& box, const TComboBox& other);
    int StoredCount(const TComboBox& box) const;
    // Each rule unchecks (and so clears) only what the user's own edit of its count takes
    // away (takeAway); otherwise it only disables, and a box keeps showing what is stored.
    void Gong(bool takeAway);
    void StagesAndZones(bool takeAway);
    void Relays(bool takeAway);
    // Removing hardware clears the zone or relay bits it switched in every stage of every input.
    void ClearUnfitted(bool zones, bool relays);
    void WriteText(const TEdit& edit, size_t offset, size_t size);
    std::string ReadText(size_t offset, size_t size) const;

    ConfigImage& Image;
    bool& Refilling;
    TAlgorithmEditor& Editor;
    // The panel's labels.
    std::vector<std::unique_ptr<TStaticText>> Texts;
};
