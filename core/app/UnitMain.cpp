#include "app/UnitMain.h"
#include "app/MainLayout.h"
#include "app/ReportCommand.h"
#include "base/Cp1251.h"
#include "base/Version.h"
#include "model/WholeNumber.h"
#include "project/FileUtil.h"
#include "project/IniFile.h"
#include "project/ProjectFile.h"
#include "project/StagedFile.h"
#include "report/HtmlReport.h"
#include "report/Report.h"
#include <algorithm>

using namespace LinkProtocol;

TMain::TMain(TUi& ui, const std::string& commandLine)
    : TForm("Main"), Ui(ui), Algorithms(Image, CurrentInput, Refilling),
      Composition(Image, Refilling, Algorithms) {
    SetCaption(CaptionBase);
    TMainLayout::Apply(*this);
    BuildToolBar();

    StatusBar1.AddPanel(TMainLayout::LeftPanelWidth, TAlignment::Center);
    StatusBar1.AddPanel(200, TAlignment::Center);
    StatusBar1.AddPanel(100, TAlignment::Left);
    // What a noisy line did in the last operation.
    StatusBar1.AddPanel(260, TAlignment::Left);
    StatusBar1.OnPanelClick = [this](TStatusBar&, size_t panel) {
        if (panel == TEditorCheck::Panel && !Check.Findings().empty())
            Ui.MessageBox(TBoxKind::Information, CaptionBase, Check.ListText(), TBoxButtons::Ok);
    };
    PanelScan.SetVisible(false);
    ProgressBar.Min = 0;
    ProgressBar.Max = static_cast<int>(Layout::ImageSize);
    ConnectionControls.OnSettingsChanged = [this] { StoreSettings(); };
    ConnectionControls.OnTransferWhole = [this](const TTransferResult& result) { TransferWhole(result); };

    Algorithms.NotifyImageChanged = [this] { NotifyImageChanged(); };
    Algorithms.EditStarting = [this] { EditBefore = Snapshot(); };
    Algorithms.EditDone = [this] { RecordStep(EditBefore); };
    Algorithms.ApplyRules = [this](const std::string& selector) { ApplyRules(selector); };
    Composition.NotifyImageChanged = [this] { NotifyImageChanged(); };

    ProjectTitle.clear();
    Image.Clear();
    Saved = true;
    StatusBar1.SetPanelText(0, TConnectionControls::NotConnected);
    ShowComposition();
    ShowInput();
    ApplyRules("ALL");
    Algorithms.AttachLengthTable();
    // The lengths are saved with the project: losing an edit of them is losing work.
    Algorithms.LenMes.OnValueEdited = [this](TValueListEditor&) {
        Saved = false;
        TBSave.SetEnabled(true);
        UpdateCaption();
        // The table changed before telling: the lengths before it are the last step's.
        THistory::TState before = Snapshot();
        before.Lengths = LastState.Lengths;
        RecordStep(before);
    };
    LastState = Snapshot();
    SavedState = LastState;

    // The switch counts only when it is the whole command text.
    if (commandLine == "-debug") {
        DebugMode = true;
        TBDebug.SetVisible(true);
        Composition.SetIdentityWritable(true);
    }
    SetVisible(true);

    Settings.Load(Ui.SettingsFile());
    ConnectionControls.RestoreChoices();
    ShowRecentItems();
    // Anything else on the command line is a project to open.
    if (!commandLine.empty() && commandLine != "-debug")
        OpenProject(commandLine);
}

std::string TMain::Version() {
    return VersionText();
}

TMain::~TMain() {
    // Close while every window the reports reach still exists.
    Connection.Shut();
}

void TMain::BuildToolBar() {
    struct Entry {
        TButton* Button;
        const char* Caption;
        TButtonKind Kind;
        void (TMain::*Handler)();
        const char* Hint;
        std::vector<std::string> ShortCuts;
    };
    const Entry separator{nullptr, nullptr, TButtonKind::Push, nullptr, nullptr, {}};
    const Entry entries[] = {
        {&TBNew, "Создать", TButtonKind::Push, &TMain::TBNewClick, "Создать новый проект", {"Ctrl+N"}},
        {&TBOpen,
         "Открыть",
         TButtonKind::Push,
         &TMain::TBOpenClick,
         "Открыть проект; в списке у кнопки — последние проекты и длительности сообщений из проекта",
         {"Ctrl+O"}},
        {&TBSave, "Сохранить", TButtonKind::Push, &TMain::TBSaveClick, "Сохранить проект", {"Ctrl+S"}},
        separator,
        {&TBUndo,
         "Отменить",
         TButtonKind::Push,
         &TMain::TBUndoClick,
         "Отменить последнее изменение",
         {"Ctrl+Z"}},
        {&TBRedo,
         "Повторить",
         TButtonKind::Push,
         &TMain::TBRedoClick,
         "Повторить отменённое изменение",
         {"Ctrl+Y", "Ctrl+Shift+Z"}},
        separator,
        {&TBReport,
         "Отчет",
         TButtonKind::Toggle,
         &TMain::TBReportClick,
         "Записать отчёт о конфигурации и открыть его",
         {"Ctrl+P"}},
        separator,
        {&TBFind,
         "Подключить",
         TButtonKind::Toggle,
         &TMain::TBFindClick,
         "Подключиться к контроллеру или отключиться от него",
         {"F5"}},
        {&TBRead,
         "Чтение",
         TButtonKind::Push,
         &TMain::TBReadClick,
         "Прочитать конфигурацию из контроллера (после подключения)",
         {"F6"}},
        {&TBWrite,
         "Запись",
         TButtonKind::Push,
         &TMain::TBWriteClick,
         "Записать конфигурацию в контроллер (после подключения)",
         {"F7"}},
        {&TBDebug,
         "Отладка",
         TButtonKind::Push,
         &TMain::TBDebugClick,
         "Показать побитовый вид конфигурации и журнал обмена",
         {"F12"}},
        separator,
        {&TBAbout, "Справка", TButtonKind::Push, &TMain::TBAboutClick, "О программе и её версии", {"F1"}},
        {&ToolButton1, "Выход", TButtonKind::Push, &TMain::ToolButton1Click, "Закрыть программу", {}},
    };
    for (const Entry& e : entries) {
        if (!e.Button) {
            Separators.push_back(std::make_unique<TButton>());
            Separators.back()->IsSeparator = true;
            ToolBar1.push_back(Separators.back().get());
            continue;
        }
        e.Button->SetCaption(e.Caption);
        e.Button->Kind = e.Kind;
        e.Button->OnClick = [this, handler = e.Handler](TButton&) { (this->*handler)(); };
        e.Button->ShortCuts = e.ShortCuts;
        // The tool tip names the keys too, so they can be learnt from the mouse.
        std::string hint = e.Hint;
        for (size_t i = 0; i < e.ShortCuts.size(); ++i)
            hint += (i == 0 ? " (" : ", ") + e.ShortCuts[i] + (i + 1 == e.ShortCuts.size() ? ")" : "");
        e.Button->SetHint(hint);
        ToolBar1.push_back(e.Button);
    }
    for (size_t i = 0; i < RecentItems.size(); ++i) {
        RecentItems[i].OnClick = [this, i](TButton&) { RecentItemClick(i); };
        TBOpen.Menu.push_back(&RecentItems[i]);
    }
    RecentSeparator.IsSeparator = true;
    TBOpen.Menu.push_back(&RecentSeparator);
    LengthsItem.SetCaption("Длительности сообщений из проекта…");
    LengthsItem.SetHint("Взять длительности сообщений из файла другого проекта, не меняя конфигурацию");
    LengthsItem.OnClick = [this](TButton&) { LengthsItemClick(); };
    TBOpen.Menu.push_back(&LengthsItem);
    TBUndo.SetEnabled(false);
    TBRedo.SetEnabled(false);
    TBSave.SetEnabled(false);
    TBRead.SetEnabled(false);
    TBWrite.SetEnabled(false);
    TBDebug.SetVisible(false);
}

void TMain::ShowProjectCaption() {
    TitleShown = true;
    UpdateCaption();
}

void TMain::UpdateCaption() {
    SetCaption((TitleShown ? CaptionBase + " - " + ProjectTitle : CaptionBase) + (Saved ? "" : " *"));
}

void TMain::NotifyImageChanged() {
    Saved = false;
    TBSave.SetEnabled(true);
    UpdateCaption();
    if (Dbg.Visible())
        Dbg.RefillImageView(Image);
}

bool TMain::FormClose() {
    // The port is closed whatever the answer, so the window must not go on looking connected.
    ConnectionControls.Close();
    bool close = true;
    if (!Saved) {
        switch (Ui.MessageBox(TBoxKind::Information, CaptionBase, SaveQuestion, TBoxButtons::YesNoCancel)) {
        case TModalResult::Yes:
            // A cancelled or failed save keeps the window open: closing would lose the work.
            close = Save() == TSaveResult::Saved;
            break;
        case TModalResult::No:
            break;
        default:
            close = false;
            break;
        }
    }
    Dbg.Hide();
    FormPort.Hide();
    if (close) {
        Closed = true;
        SetVisible(false);
    }
    return close;
}

void TMain::ToolButton1Click() {
    FormClose();
}

void TMain::RefillEditor(int input) {
    Refilling = true;
    ShowComposition();
    SpeedButton1Click(*Algorithms.InputButtons[static_cast<size_t>(input)]);
    Refilling = false;
    Check.Update();
}

bool TMain::SaveQuestionAllowsContinuing() {
    if (Saved)
        return true;
    // Asked as closing asks: Отмена (or Escape) ends the command, so no work is lost by it.
    switch (Ui.MessageBox(TBoxKind::Information, CaptionBase, SaveQuestion, TBoxButtons::YesNoCancel)) {
    case TModalResult::Yes:
        // Agreeing to save and then not saving ends the command with nothing changed.
        return Save() == TSaveResult::Saved;
    case TModalResult::No:
        return true;
    default:
        return false;
    }
}

void TMain::TBNewClick() {
    if (!SaveQuestionAllowsContinuing())
        return;
    if (Ui.ShowModal(FormProjectName) != TModalResult::Ok)
        return;
    if (FormProjectName.ProjectName.Text().empty()) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Неверное имя проекта !", TBoxButtons::Ok);
        return;
    }
    ProjectTitle = FormProjectName.ProjectName.Text();
    ProjectFileName.clear();
    ShowProjectCaption();
    TBSave.SetEnabled(true);
    TBReport.SetEnabled(true);
    Image.Clear();
    // Show the cleared image rather than the previous project's controls over it.
    RefillEditor();
    // Another project: the steps of the previous one do not apply to it.
    History.Clear();
    LastState = Snapshot();
    SavedState.reset();
    ShowHistoryButtons();
}

void TMain::TBOpenClick() {
    if (!SaveQuestionAllowsContinuing())
        return;
    std::string fileName;
    if (!Ui.OpenFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, {}}, fileName))
        return;
    OpenProject(fileName);
}

bool TMain::OpenProject(const std::string& fileName) {
    // Read the file before touching anything, so a failure keeps the open project whole.
    // The file is opened without waiting and only a regular file is taken, so a FIFO cannot
    // freeze the window.
    ProjectFile::TProject project;
    if (const TFileResult opened = ProjectFile::Load(fileName, project); !opened) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, opened.Explained("Не удалось открыть файл " + fileName),
                      TBoxButtons::Ok);
        return false;
    }
    // Opened all the same, as ever, but not without a word.
    if (const std::string note = ProjectFile::SizeNote(fileName, project.Size); !note.empty())
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, note, TBoxButtons::Ok);
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    ProjectFileName = fileName;
    ProjectOnDisk = ProjectFile::DiskState(fileName);
    if (project.Side.State == ProjectFile::TSide::TState::Unusable)
        Ui.Note(project.Side.Problem.Message() + "; the message lengths are taken as 0");
    const std::vector<std::string>& lengths = project.Side.Lengths;
    const std::string& bytes = project.Image;
    SetLengths(lengths);
    Image.Clear();
    std::copy(bytes.begin(), bytes.end(), Image.Data());
    RefillEditor();
    // What is shown is what the files hold: the caption must not claim unsaved changes.
    Saved = true;
    ShowProjectCaption();
    History.Clear();
    LastState = Snapshot();
    SavedState = LastState;
    ShowHistoryButtons();
    RememberRecent(fileName);
    if (const std::string errors = Check.OpenText(); !errors.empty())
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, errors, TBoxButtons::Ok);
    return true;
}

void TMain::SetLengths(const std::vector<std::string>& lengths) {
    for (int k = 1; k <= ProjectFile::Messages && static_cast<size_t>(k) <= lengths.size(); ++k)
        Algorithms.LenMes.SetValue(k, lengths[static_cast<size_t>(k - 1)]);
}

namespace {
// Texts the files cannot hold as typed would be stored with '?' in their place: the user
// hears of it once per save and may stop it.
bool AcceptLossyTexts(TUi& ui, const TCompositionRules& composition, const TIniFile& side,
                      const std::vector<std::string>& lengths) {
    std::string list;
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        if (!side.Holds(lengths[static_cast<size_t>(k - 1)]))
            list += "\nдлительность сообщения " + std::to_string(k);
    for (const std::string& field : composition.IdentityFieldsOutside1251())
        list += "\n" + field;
    return list.empty() ||
           ui.MessageBox(TBoxKind::Warning, TMain::CaptionBase,
                         "Символы, которых нет в кодировке Windows-1251, будут сохранены как \"?\":" + list,
                         TBoxButtons::OkCancel) == TModalResult::Ok;
}
} // namespace

TMain::TSaveResult TMain::Save() {
    if (const std::string lengths = Check.SaveText();
        !lengths.empty() &&
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, lengths, TBoxButtons::OkCancel) != TModalResult::Ok)
        return TSaveResult::Cancelled;
    // The dialog offers the whole file name, so a name with dots is saved where it was.
    const std::string preset = !ProjectFileName.empty() ? ProjectFileName
                               : ProjectTitle.empty()   ? ProjectTitle
                                                        : ProjectFile::ProjectName(ProjectTitle);
    std::string chosen;
    if (!Ui.SaveFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, preset}, chosen))
        return TSaveResult::Cancelled;
    const std::string fileName = ProjectFile::ProjectName(chosen);
    // Another project under that name is replaced only when the user says so.
    if (!SameFile(fileName, ProjectFileName) && TStagedFile(fileName).Exists() &&
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, "Проект " + fileName + " уже существует. Заменить его?",
                      TBoxButtons::YesNo) != TModalResult::Yes)
        return TSaveResult::Cancelled;
    // Two editors on one shared folder: the other one's save is not overwritten unseen.
    if ((fileName == ProjectFileName || SameFile(fileName, ProjectFileName)) &&
        ProjectFile::DiskState(fileName) != ProjectOnDisk &&
        Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                      "Проект " + fileName + " изменён другой программой. Заменить его?",
                      TBoxButtons::YesNo) != TModalResult::Yes)
        return TSaveResult::Cancelled;
    std::vector<std::string> lengths;
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        lengths.push_back(Algorithms.LenMes.Value(k));
    // The side file is made ready first: what it cannot take stops the save before any file changes.
    TIniFile side;
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    if (const TFileResult prepared = ProjectFile::PrepareLengths(side, sideFile, lengths); !prepared) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, prepared.Explained("Unable to write to " + sideFile),
                      TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    if (!AcceptLossyTexts(Ui, Composition, side, lengths))
        return TSaveResult::Failed;
    const std::string image(reinterpret_cast<const char*>(Image.Data()), Layout::ImageSize);
    if (const TFileResult written = ProjectFile::WriteProject(fileName, image, side); !written) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, written.Explained("Unable to write to " + written.Path),
                      TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    Saved = true;
    // The window now holds the file just written, also after saving under another name.
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    ProjectFileName = fileName;
    ProjectOnDisk = ProjectFile::DiskState(fileName);
    ShowProjectCaption();
    SavedState = Snapshot();
    RememberRecent(fileName);
    return TSaveResult::Saved;
}

void TMain::TBSaveClick() {
    Save();
}

void TMain::TBReportClick() {
    TReportFacts facts = TReport::Collect(Image, Algorithms.LengthTexts());
    facts.Findings = Check.Findings();
    facts.ProjectName = TReportCommand::ProjectName(ProjectFileName);
    facts.MadeAt = ReportMadeAt();
    const bool written = TReportCommand(Ui, CaptionBase).Run(facts, ReportFileName);
    TBReport.SetDown(false);
    // A written report shows IN 1, as ever; one that could not be written leaves the view as it was.
    if (written)
        SpeedButton1Click(*Algorithms.InputButtons[0]);
}

void TMain::TBAboutClick() {
    Ui.MessageBox(TBoxKind::Information, AboutCaption,
                  "VarokConfig — редактор конфигурации контроллера системы оповещения VERDA\n\nВерсия " +
                      Version(),
                  TBoxButtons::Ok);
}

THistory::TState TMain::Snapshot() const {
    THistory::TState state{
        Image, {}, CurrentInput, Composition.ComboBox55.Count(), Composition.ComboBox54.Count()};
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        state.Lengths.push_back(Algorithms.LenMes.Value(k));
    return state;
}

namespace {
// Showing an input turns empty lengths into "0"; the files hold the same project either way.
bool SameLengths(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    auto zero = [](const std::string& text) { return text.empty() ? std::string("0") : text; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&zero](const std::string& x, const std::string& y) { return zero(x) == zero(y); });
}
} // namespace

void TMain::RecordStep(const THistory::TState& before) {
    if (StepsHeld)
        return;
    THistory::TState now = Snapshot();
    if (now.Image != before.Image || now.Lengths != before.Lengths) {
        History.Record(before, now);
        ShowHistoryButtons();
    }
    LastState = std::move(now);
    Check.Update();
}

void TMain::ShowHistoryButtons() {
    TBUndo.SetEnabled(History.CanUndo());
    TBRedo.SetEnabled(History.CanRedo());
}

void TMain::Restore(const THistory::TState& state) {
    Image = state.Image;
    SetLengths(state.Lengths);
    RefillEditor(state.Input);
    Composition.ShowConsoleChoices(state.FireChoices, state.AnnouncerChoices);
    LastState = Snapshot();
    // Back at what the files hold, the project is saved again; anywhere else it is not.
    Saved = SavedState && SavedState->Image == LastState.Image &&
            SameLengths(SavedState->Lengths, LastState.Lengths);
    TBSave.SetEnabled(true);
    UpdateCaption();
    ShowHistoryButtons();
    if (Dbg.Visible())
        Dbg.RefillImageView(Image);
}

void TMain::TBUndoClick() {
    // A transfer in progress reads and writes the image block by block.
    if (Connection.Transferring())
        return;
    if (const auto step = History.Undo())
        Restore(*step);
}

void TMain::TBRedoClick() {
    if (Connection.Transferring())
        return;
    if (const auto step = History.Redo())
        Restore(*step);
}

void TMain::LengthsItemClick() {
    std::string fileName;
    if (!Ui.OpenFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, {}}, fileName))
        return;
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    const ProjectFile::TSide side = ProjectFile::LoadSide(sideFile);
    if (side.State != ProjectFile::TSide::TState::Read) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      "Не удалось прочитать длительности сообщений из файла " + sideFile + "\n" +
                          (side.Problem.Missing() ? "Файл не найден" : side.Problem.Reason),
                      TBoxButtons::Ok);
        return;
    }
    const THistory::TState before = Snapshot();
    SetLengths(side.Lengths);
    // The lengths are saved with the project: they are a change to save, and a step to undo.
    Saved = false;
    TBSave.SetEnabled(true);
    UpdateCaption();
    RecordStep(before);
}

void TMain::RecentItemClick(size_t index) {
    const std::vector<std::string> recent = Settings.Recent();
    if (index >= recent.size() || !SaveQuestionAllowsContinuing())
        return;
    OpenProject(recent[index]);
}

void TMain::RememberRecent(const std::string& fileName) {
    Settings.AddRecent(TSettings::Absolute(fileName));
    StoreSettings();
    ShowRecentItems();
}

void TMain::ShowRecentItems() {
    const std::vector<std::string> recent = Settings.Recent();
    for (size_t i = 0; i < RecentItems.size(); ++i) {
        RecentItems[i].SetVisible(i < recent.size());
        RecentItems[i].SetCaption(i < recent.size() ? std::to_string(i + 1) + " " + recent[i] : "");
        RecentItems[i].SetHint(i < recent.size() ? recent[i] : "");
    }
    RecentSeparator.SetVisible(!recent.empty());
}

void TMain::StoreSettings() {
    const TFileResult stored = Settings.Store();
    if (stored || SettingsWarned)
        return;
    // Once a run: the editor works on without them, but the user should know they are not kept.
    SettingsWarned = true;
    Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                  "Не удалось сохранить настройки программы\n" + stored.Message(), TBoxButtons::Ok);
}

void TMain::TBDebugClick() {
    Dbg.Show();
    FormPort.Show();
    NotifyImageChanged();
}

void TMain::TBFindClick() {
    ConnectionControls.FindClick();
}

void TMain::TBReadClick() {
    if (!Saved && Ui.MessageBox(TBoxKind::Information, CaptionBase,
                                "Текущий проект конфигурации будет изменен!\n\tПродолжить?",
                                TBoxButtons::OkCancel) != TModalResult::Ok)
        return;
    ConnectionControls.StartRead(Image);
}

void TMain::TBWriteClick() {
    // Errors are named before the question, and Enter then keeps them out of the controller.
    const std::string errors = Check.WriteText();
    if (Ui.MessageBox(errors.empty() ? TBoxKind::Information : TBoxKind::Warning, CaptionBase,
                      errors + "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?",
                      errors.empty() ? TBoxButtons::OkCancel : TBoxButtons::OkCancelDefaultCancel) !=
        TModalResult::Ok)
        return;
    ConnectionControls.StartWrite(Image);
}

void TMain::TransferWhole(const TTransferResult& result) {
    TBSave.SetEnabled(true);
    TBReport.SetEnabled(true);
    if (result.Mode != ModeRead)
        return;
    // The whole read, with what showing it adjusts, is one step of the history.
    const THistory::TState before = Snapshot();
    StepsHeld = true;
    // The one point where a read reaches the project.
    Image = Connection.Link.Received;
    NotifyImageChanged();
    ProjectTitle.clear();
    ProjectFileName.clear();
    ShowProjectCaption();
    ShowComposition();
    SpeedButton1Click(*Algorithms.InputButtons[0]);
    for (int s = 0; s < 7; ++s) {
        TCheckBox& stage = *Algorithms.StageBoxes[static_cast<size_t>(s)];
        if (stage.Enabled())
            CheckBox180Click(stage);
    }
    StepsHeld = false;
    RecordStep(before);
    if (const std::string errors = Check.OpenText(); !errors.empty())
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, errors, TBoxButtons::Ok);
}
