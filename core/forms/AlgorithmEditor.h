#pragma once
#include "model/ConfigImage.h"
#include "model/EvacuationPlan.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/ComboBox.h"
#include "ui/Panel.h"
#include "ui/Pictures.h"
#include "ui/StaticText.h"
#include "ui/ValueListEditor.h"
#include <array>
#include <functional>
#include <memory>
#include <string>

// The warning-algorithm editor: the input selector, the grid of eight stage columns
// (224 controls that all report to CheckBox180Click), the stage and total times, and
// the message-length table. Every edit is written into the shown input's stage records.
class TAlgorithmEditor {
public:
    static constexpr int Stages = Layout::Stages;
    static constexpr int Zones = 8;
    static constexpr int Modules = 8;
    static constexpr int Messages = 72;
    static constexpr int RelaysPerStage = 2 * Modules;

    // FieldKind numbers of the grid rows.
    static constexpr int KindStage = 0;
    static constexpr int KindMessage = 1;
    static constexpr int KindRepeat = 2;
    static constexpr int KindPause = 3;
    static constexpr int KindZone1 = 4;
    static constexpr int KindModule1 = 12;

    // Zone button pictures.
    static constexpr int PictureUp = TPictures::ZoneUp;
    static constexpr int PictureDown = TPictures::ZoneDown;

    static inline const std::string& Unlimited = UnlimitedStageText;
    static inline const std::string& UnlimitedTotal = UnlimitedTotalText;
    static inline const std::string LengthsMissing = "длительности сообщений не заданы";
    static inline const std::string LengthNotWhole =
        "Не целое число секунд: время этапов с этим сообщением считается равным 0";

    // Row labels and headings of the grid.
    static inline const std::string InputLabel = "Номер   входа активации";
    static inline const std::string StageHeading = "Выберите этап и режим трансляции сообщения";
    static inline const std::string MessageLabel = "Номер сообщения";
    static inline const std::string RepeatLabel = "Количество повторов";
    static inline const std::string PauseLabel = "Пауза между повторами (сек.)";
    static inline const std::string StageTimeLabel = "Время этапа (сек.)";
    static inline const std::string TotalTimeLabel = "Общее время эвакуации (сек)";
    static inline const std::string ZoneHeading = "Выберите зону (зоны) трансляции сообщений";
    static inline const std::string RelayHeading =
        "Установите срабатывание исполнительных реле модулей QV-CU4";
    static std::string ZoneLabel(int zone) { return ::ZoneLabel(zone); }
    static std::string ModuleLabel(int module) { return ::ModuleLabel(module); }
    static std::string RelayLabel(int relay) { return ::RelayLabel(relay); }

    TAlgorithmEditor(ConfigImage& image, int& currentInput, bool& refilling);

    // True while the controls are filled from the image: the handlers then write nothing
    // and chain nothing, so looking at a configuration never changes it.
    bool Decoding = false;

    // Hooks into the main window: the image-changed notification and the enabling pass.
    std::function<void()> NotifyImageChanged;
    std::function<void(const std::string&)> ApplyRules;
    // Runs once the user's edit has ended, however far it cascaded through other handlers:
    // one click is one step of the undo history.
    std::function<void()> EditStarting;
    std::function<void()> EditDone;
    // Brackets one edit; the composition panel's handler uses it too.
    void BeginEdit() {
        if (EditDepth++ == 0 && EditStarting)
            EditStarting();
    }
    void EndEdit() {
        if (--EditDepth == 0 && EditDone)
            EditDone();
    }

    void CheckBox180Click(TControl& control);
    void SpeedButton1Click(TButton& button);
    void ShowInput();
    void Edit6Change();
    // Attaches the length table to the time computation; done once start-up has filled it.
    void AttachLengthTable();

    // Input buttons by input 0..7 (SpeedButton1 … SpeedButton9, the numbering skips 4).
    std::array<std::unique_ptr<TButton>, Layout::Inputs> InputButtons;
    std::array<std::unique_ptr<TCheckBox>, Stages> StageBoxes;
    std::array<std::unique_ptr<TComboBox>, Stages> MessageBoxes;
    std::array<std::unique_ptr<TComboBox>, Stages> RepeatBoxes;
    std::array<std::unique_ptr<TComboBox>, Stages> PauseBoxes;
    std::array<std::unique_ptr<TStaticText>, Stages> StageTimes;
    std::unique_ptr<TStaticText> TotalTime;
    // Beside the total, shown while a checked stage plays a message without a length above 0
    // (as after a read: the controller keeps no lengths), so the total is not taken for a
    // real time.
    TStaticText LengthsNote{"LengthsNote", LengthsMissing};
    // Entry 8 x stage + zone.
    std::array<std::unique_ptr<TButton>, Stages * Zones> ZoneButtons;
    // Entry 16 x stage + 2 x module + relay (K1 = 0, K2 = 1).
    std::array<std::unique_ptr<TCheckBox>, Stages * RelaysPerStage> RelayBoxes;
    TValueListEditor LenMes{"LenMes"};
    TStaticText StaticText268{"StaticText268", "Программирование алгоритмов оповещения"};

    TButton& ZoneButton(int stage, int zone) {
        return *ZoneButtons[static_cast<size_t>(Zones * stage + zone)];
    }
    TCheckBox& RelayBox(int stage, int module, int relay) {
        return *RelayBoxes[static_cast<size_t>(RelaysPerStage * stage + 2 * module + relay)];
    }
    // The panel: every control and text of the editor at its place, in the order a front end
    // makes them; laid out within bounds.
    TPanel Panel{"AlgorithmPanel"};
    void LayOut(TRect bounds);

    // Every grid control, for views that bind them generically.
    std::vector<TControl*> GridControls() const;
    // The picture a zone button shows for its state.
    static void ShowZonePicture(TButton& button);
    // Bits of the shown input as stored: zone 0..7, relay 2 x module + K.
    bool StoredZone(int stage, int zone) const;
    bool StoredRelay(int stage, int relay) const;
    // The image the panel edits, and the 72 lengths as typed.
    const ConfigImage& Shown() const { return Image; }
    std::vector<std::string> LengthTexts() const;

private:
    uint8_t* StageRecord(int stage);
    const uint8_t* StageRecord(int stage) const;
    void ClearLaterStages(int stage);
    void EnableNextStage(int stage);

    int EditDepth = 0;
    // The panel's row labels and headings.
    std::vector<std::unique_ptr<TStaticText>> Texts;
    ConfigImage& Image;
    int& CurrentInput;
    bool& Refilling;
};
