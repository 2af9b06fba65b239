#pragma once
#include "app/ConnectionControls.h"
#include "app/History.h"
#include "app/ReportCommand.h"
#include "app/Settings.h"
#include "base/HandOver.h"
#include "forms/AlgorithmEditor.h"
#include "forms/CompositionRules.h"
#include "forms/Debug.h"
#include "forms/EditorCheck.h"
#include "forms/Port.h"
#include "forms/Project.h"
#include "forms/TimelineForm.h"
#include "forms/UnitPort.h"
#include "link/Connection.h"
#include "model/ConfigImage.h"
#include "ui/Button.h"
#include "ui/Form.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/StatusBar.h"
#include "ui/Ui.h"
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The main window: owns the one configuration image, the project's title and saved
// state, the toolbar through which every command enters, the status bar, the editor
// panels and the connection to the controller. Headless: the GUI mirrors it.
class TMain : public TForm {
public:
    static inline const std::string CaptionBase = "Конфигурация";
    static inline const std::string SaveQuestion = "Хотите сохранить текущий проект конфигурации ?";
    static inline const std::string AboutCaption = "О программе";
    // The program's version, as the build names it.
    static std::string Version();

    // commandLine: the text after the program name.
    TMain(TUi& ui, const std::string& commandLine);
    ~TMain() override;

    // State of the main window, in declared order.
    bool Refilling = false;
    std::string ProjectTitle;
    // The project file last opened or saved; empty for a new project and after a read.
    std::string ProjectFileName;
    // What that project's files held then, to tell whether another program has changed them since.
    std::string ProjectOnDisk;
    bool Saved = true;
    int32_t CurrentInput = 0;
    ConfigImage Image;

    TUi& Ui;
    bool DebugMode = false;

    // Worker threads hand their calls to this thread through here; the GUI pumps it.
    THandOver HandOver;
    // The line to the controller: the port search, reads and writes; ConnectionControls shows them.
    TConnection Connection{HandOver};

    // Editor panels.
    TAlgorithmEditor Algorithms;
    TCompositionRules Composition;

    // Toolbar, in order; separators are buttons with IsSeparator.
    TButton TBNew{"TBNew"}, TBOpen{"TBOpen"}, TBSave{"TBSave"}, TBUndo{"TBUndo"}, TBRedo{"TBRedo"},
        TBReport{"TBReport"}, TBFind{"TBFind"}, TBRead{"TBRead"}, TBWrite{"TBWrite"}, TBDebug{"TBDebug"},
        TBAbout{"TBAbout"}, ToolButton1{"ToolButton1"};
    std::vector<TButton*> ToolBar1;
    // The Open button's list: the last projects (hidden while unused), then the command that
    // takes the message lengths from another project.
    std::array<TButton, TSettings::RecentCount> RecentItems{
        TButton{"Recent1"}, TButton{"Recent2"}, TButton{"Recent3"}, TButton{"Recent4"}, TButton{"Recent5"}};
    TButton RecentSeparator{"RecentSeparator"};
    TButton LengthsItem{"LengthsItem"};
    THistory History;
    TSettings Settings;
    TStatusBar StatusBar1{"StatusBar1"};
    // The configuration check of what the editor holds, counted in the status bar.
    TEditorCheck Check{Image, Algorithms.LenMes, StatusBar1};
    TPanel PanelScan{"PanelScan"};
    TProgressBar ProgressBar{"ProgressBar"};

    void NotifyImageChanged();
    // Runs the close handling; true when the window may close.
    bool FormClose();
    void ToolButton1Click();
    // Set by a successful close; the GUI ends the program when it turns true.
    bool Closed = false;

    // The other windows, created once in this order and hidden between uses.
    TSetComPort SetComPort{Connection};
    TFormProjectName FormProjectName;
    TDbg Dbg;
    TFormPort FormPort;
    // The timeline of the shown input, opened from the total evacuation time.
    TTimelineForm Timeline{Algorithms};
    // Connect, Read, Write and what the window shows of the connection.
    TConnectionControls ConnectionControls{
        Ui,
        CaptionBase,
        Connection,
        {TBFind, TBRead, TBWrite, PanelScan, ProgressBar, StatusBar1, SetComPort, Dbg, FormPort, Settings}};
    // Where the report goes: a bare name lands in the working directory; the HTML report goes
    // beside it, its name with ".html".
    std::string ReportFileName = "VarokConfig.txt";
    // When the report says it was made.
    std::function<std::string()> ReportMadeAt = TReportCommand::MadeAt;

    enum class TSaveResult { Saved, Cancelled, Failed };
    // Save: the dialog, then the project file and its side file.
    TSaveResult Save();

    // Toolbar commands.
    void TBNewClick();
    void TBOpenClick();
    void TBSaveClick();
    void TBReportClick();
    void TBFindClick();
    void TBReadClick();
    void TBWriteClick();
    void TBDebugClick();
    void TBUndoClick();
    void TBRedoClick();
    void TBAboutClick();
    // "Длительности сообщений из проекта…": the lengths of a chosen project, the image untouched.
    void LengthsItemClick();
    void RecentItemClick(size_t index);
    // Opens a project file as Open does after its dialog; false, with the reason shown, when
    // the file cannot be read (nothing changes then).
    bool OpenProject(const std::string& fileName);

    // Closes one step of the undo history from `before` when the image or the lengths now
    // differ from it.
    void RecordStep(const THistory::TState& before);

    // Editor entry points (the panels do the work).
    void CheckBox180Click(TControl& control) { Algorithms.CheckBox180Click(control); }
    void SpeedButton1Click(TButton& button) { Algorithms.SpeedButton1Click(button); }
    void ShowInput() { Algorithms.ShowInput(); }
    void Edit6Change() { Algorithms.Edit6Change(); }
    void ComboBox58Change(TControl& control) { Composition.ComboBox58Change(control); }
    void ShowComposition() { Composition.ShowComposition(); }
    void ApplyRules(const std::string& selector) { Composition.ApplyRules(selector); }

    // "Конфигурация - " followed by the project title, from now on.
    void ShowProjectCaption();
    // The caption: the project's title once there is one, and " *" while there are unsaved changes.
    void UpdateCaption();

private:
    void BuildToolBar();
    THistory::TState Snapshot() const;
    // The state when the user's edit began.
    THistory::TState EditBefore;
    // Shows a state of the history: the image, the lengths and the input, as they were.
    void Restore(const THistory::TState& state);
    void ShowHistoryButtons();
    void SetLengths(const std::vector<std::string>& lengths);
    void RememberRecent(const std::string& fileName);
    void ShowRecentItems();
    void StoreSettings();
    // Whether the caption carries the project title (after New, Open, Save or a read).
    bool TitleShown = false;
    // The state after the last step, and the state the project's files hold.
    THistory::TState LastState;
    std::optional<THistory::TState> SavedState;
    bool SettingsWarned = false;
    // While a read is being shown its adjustments are not steps of their own.
    bool StepsHeld = false;
    // Asks whether to save unsaved work first; false when the command must end.
    bool SaveQuestionAllowsContinuing();
    // Fills the editor from the image, as after reading a project, showing input `input`.
    void RefillEditor(int input = 0);
    // A read or write went through: Save and Report, and a read's image becomes the project's.
    void TransferWhole(const TTransferResult& result);
    std::vector<std::unique_ptr<TButton>> Separators;
};
