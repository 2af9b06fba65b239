#include "app/UnitMain.h"
#include "base/Cp1251.h"
#include "base/Version.h"
#include "link/Crc8.h"
#include "model/WholeNumber.h"
#include "project/FileUtil.h"
#include "project/IniFile.h"
#include "project/ProjectFile.h"
#include "report/HtmlReport.h"
#include "report/Report.h"
#include <algorithm>
#include <filesystem>

using namespace LinkProtocol;

TMain::TMain(TUi& ui, const std::string& commandLine)
    : TForm("Main"), Ui(ui), Algorithms(Image, CurrentInput, Refilling),
      Composition(Image, Refilling, Algorithms) {
    SetCaption(CaptionBase);
    Width = 1008;
    SetHeight(761);
    BuildToolBar();

    StatusBar1.AddPanel(214, TAlignment::Center);
    StatusBar1.AddPanel(200, TAlignment::Center);
    StatusBar1.AddPanel(100, TAlignment::Left);
    PanelScan.SetVisible(false);
    ProgressBar.Min = 0;
    ProgressBar.Max = static_cast<int>(Layout::ImageSize);
    Timer.Interval = 1000;
    Timer.OnTimer = [this](TTimer&) { TimerTimer(); };

    CommPort.SetComNumber(1);
    CommPort.MonitorEvents = EventBit(evRxChar) | EventBit(evTxEmpty) | EventBit(evCTS) | EventBit(evDSR) |
                             EventBit(evRlsd) | EventBit(evBreak) | EventBit(evRing);
    CommPort.OnDataReceived = [this](TCommPort& sender, uint32_t count) {
        CommPortDataReceived(sender, count);
    };
    Link.Send = [this](const uint8_t* data, size_t size) { SendPacket(data, size); };
    Link.Log = [this](const std::string& line) { FormPort.AddLine(line); };
    Link.OnBlock = [this](uint16_t address, bool differs) { BlockTaken(address, differs); };
    Link.OnEnd = [this] { LinkEnded(); };
    Link.PortGone = [this] { return CommPort.GetGone(); };
    PortTest = TestOpenDevice;

    Algorithms.NotifyImageChanged = [this] { NotifyImageChanged(); };
    Algorithms.EditStarting = [this] { EditBefore = Snapshot(); };
    Algorithms.EditDone = [this] { RecordStep(EditBefore); };
    Algorithms.ApplyRules = [this](const std::string& selector) { ApplyRules(selector); };
    Composition.NotifyImageChanged = [this] { NotifyImageChanged(); };

    ProjectTitle.clear();
    Image.Clear();
    LinkMode = 0;
    PortNumber = 1;
    Saved = true;
    StatusBar1.SetPanelText(0, NotConnected);
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
    LoadConnectionSettings();
    ShowRecentItems();
    // Anything else on the command line is a project to open.
    if (!commandLine.empty() && commandLine != "-debug")
        OpenProject(commandLine);
}

std::string TMain::Version() {
    return VersionText();
}

TMain::~TMain() {
    // Close while every window the handlers reach still exists.
    CommPort.OnDataReceived = nullptr;
    Link.OnEnd = nullptr;
    CommPort.SetOpen(false);
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
    Link.Abandon();
    // The port is closed whatever the answer, so the window must not go on looking connected.
    ShowDisconnected();
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
    std::string bytes, error, reason;
    uint64_t size = 0;
    if (ReadFileBytes(fileName, bytes, error, Layout::ImageSize, &reason, &size) != TReadStatus::Read) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Не удалось открыть файл " + fileName + "\n" + reason,
                      TBoxButtons::Ok);
        return false;
    }
    // Opened all the same, as ever, but not without a word.
    if (const std::string note = ProjectFile::SizeNote(fileName, size); !note.empty())
        Ui.MessageBox(TBoxKind::Warning, CaptionBase, note, TBoxButtons::Ok);
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    std::string note;
    const std::vector<std::string> lengths =
        ProjectFile::LoadLengths(ProjectFile::SideFileName(fileName), note);
    if (!note.empty())
        Ui.Note(note);
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
    const std::pair<const TEdit*, const char*> identity[] = {{&composition.Edit1, "серийный номер"},
                                                             {&composition.Edit2, "дата"},
                                                             {&composition.Edit3, "дата"},
                                                             {&composition.Edit4, "дата"},
                                                             {&composition.Edit5, "версия"}};
    for (const auto& [edit, name] : identity)
        if (Cp1251ToUtf8(Utf8ToCp1251(edit->Text())) != edit->Text())
            list += std::string("\n") + name;
    if (list.empty())
        return true;
    return ui.MessageBox(TBoxKind::Warning, TMain::CaptionBase,
                         "Символы, которых нет в кодировке Windows-1251, будут сохранены как \"?\":" + list,
                         TBoxButtons::OkCancel) == TModalResult::Ok;
}

// The box's fixed text names the file; the file layer's message names it again, so only the
// reason that follows the name is added.
// Where a file the user is told about lies: a bare name lands in the working directory.
std::string AbsoluteName(const std::string& path) {
    std::error_code ignored;
    const auto absolute =
        std::filesystem::absolute(std::filesystem::path(std::u8string(path.begin(), path.end())), ignored);
    if (absolute.empty())
        return path;
    const std::u8string text = absolute.u8string();
    return std::string(text.begin(), text.end());
}

// The HTML report's name beside the text one: ".html" for the text report's extension.
std::string HtmlName(const std::string& textName) {
    const size_t folder = textName.find_last_of("/\\");
    const size_t dot = textName.rfind('.');
    const bool extension = dot != std::string::npos && (folder == std::string::npos || dot > folder + 1);
    return (extension ? textName.substr(0, dot) : textName) + ".html";
}

std::string FileFailure(const std::string& text, const std::string& path, const std::string& error) {
    const std::string named = path + ": ";
    std::string reason;
    if (const size_t at = error.find(named); at != std::string::npos)
        reason = error.substr(at + named.size());
    else if (error.find(path) == std::string::npos)
        reason = error;
    return reason.empty() ? text : text + "\n" + reason;
}
} // namespace

TMain::TSaveResult TMain::Save() {
    std::string fileName;
    if (!Ui.SaveFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, ProjectTitle}, fileName))
        return TSaveResult::Cancelled;
    std::vector<std::string> lengths;
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        lengths.push_back(Algorithms.LenMes.Value(k));
    // The side file is made ready first: what it cannot take stops the save before any file changes.
    TIniFile side;
    std::string error;
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    if (!ProjectFile::PrepareLengths(side, sideFile, lengths, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      FileFailure("Unable to write to " + sideFile, sideFile, error), TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    if (!AcceptLossyTexts(Ui, Composition, side, lengths))
        return TSaveResult::Failed;
    const std::string image(reinterpret_cast<const char*>(Image.Data()), Layout::ImageSize);
    if (!ProjectFile::WriteProject(fileName, image, side, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, error, TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    Saved = true;
    // The window now holds the file just written, also after saving under another name.
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    ShowProjectCaption();
    SavedState = Snapshot();
    RememberRecent(fileName);
    return TSaveResult::Saved;
}

void TMain::TBSaveClick() {
    Save();
}

void TMain::TBReportClick() {
    TReport report(Algorithms, Composition);
    const TReportFacts facts = report.Collect();
    const bool text = ReportFiles != TReportFiles::Html;
    const bool html = ReportFiles != TReportFiles::Text;
    const std::string htmlName = text ? HtmlName(ReportFileName) : ReportFileName;
    const auto write = [&](const std::string& name, const std::string& bytes) {
        std::string error;
        if (WriteFileAtomically(name, bytes, error))
            return true;
        Ui.MessageBox(TBoxKind::Error, CaptionBase, FileFailure("Cannot create file " + name, name, error),
                      TBoxButtons::Ok);
        return false;
    };
    if ((text && !write(ReportFileName, TReport::Render(TReport::Lines(facts)))) ||
        (html && !write(htmlName, THtmlReport::Render(facts)))) {
        TBReport.SetDown(false);
        return;
    }
    TBReport.SetDown(false);
    // The report was written: a missing viewer is no missing file.
    if (text && !Ui.OpenInTextEditor(ReportFileName))
        Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                      "Отчет записан в файл " + AbsoluteName(ReportFileName) +
                          ".\nПрограмму для его просмотра запустить не удалось.",
                      TBoxButtons::Ok);
    if (html && text &&
        Ui.OfferInBrowser(CaptionBase,
                          "Отчет для печати записан в файл " + AbsoluteName(htmlName) +
                              ".\nОткрыть его в браузере?",
                          htmlName) == TBrowserAnswer::NotStarted)
        Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                      "Отчет для печати записан в файл " + AbsoluteName(htmlName) +
                          ".\nБраузер запустить не удалось.",
                      TBoxButtons::Ok);
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
    if (LinkMode == ModeRead || LinkMode == ModeWrite)
        return;
    if (const auto step = History.Undo())
        Restore(*step);
}

void TMain::TBRedoClick() {
    if (LinkMode == ModeRead || LinkMode == ModeWrite)
        return;
    if (const auto step = History.Redo())
        Restore(*step);
}

void TMain::LengthsItemClick() {
    std::string fileName;
    if (!Ui.OpenFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, {}}, fileName))
        return;
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    std::string bytes, error, reason;
    const TReadStatus status = ReadFileBytes(sideFile, bytes, error, 1, &reason);
    if (status != TReadStatus::Read) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      "Не удалось прочитать длительности сообщений из файла " + sideFile + "\n" +
                          (status == TReadStatus::Missing ? "Файл не найден" : reason),
                      TBoxButtons::Ok);
        return;
    }
    std::string note;
    const std::vector<std::string> lengths = ProjectFile::LoadLengths(sideFile, note);
    if (!note.empty()) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, note, TBoxButtons::Ok);
        return;
    }
    const THistory::TState before = Snapshot();
    SetLengths(lengths);
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

namespace {
const std::string ConnectionSection = "Connection";
} // namespace

void TMain::LoadConnectionSettings() {
    auto number = [this](const char* key) {
        return WholeNumberOr(Settings.Read(ConnectionSection, key), -1);
    };
    auto pick = [](TComboBox& box, int64_t index) {
        if (index >= 0 && index < box.Count())
            box.SetItemIndex(static_cast<int>(index));
    };
    if (const int64_t search = number("Search"); search == 0 || search == 1) {
        SetComPort.CheckBox1.SetChecked(search == 1);
        if (const int64_t port = number("Port"); search == 0 && port >= 1 && port <= 255)
            SetComPort.SelectPort(static_cast<int>(port));
    }
    // A speed the list does not offer was typed; it comes back as typed.
    if (const std::string speed = Settings.Read(ConnectionSection, "Speed"); !speed.empty()) {
        const auto& speeds = SetComPort.ComboBoxSpeed.Items();
        if (const auto it = std::find(speeds.begin(), speeds.end(), speed); it != speeds.end())
            SetComPort.ComboBoxSpeed.SetItemIndex(static_cast<int>(it - speeds.begin()));
        else
            SetComPort.ComboBoxSpeed.Type(speed);
    }
    pick(SetComPort.ComboBoxControl, number("Control"));
    pick(SetComPort.RadioGroupParity, number("Parity"));
    pick(SetComPort.RadioGroupData, number("DataBits") - 5);
    pick(SetComPort.RadioGroupStop, number("StopBits"));
    for (auto [box, key] :
         {std::pair{&SetComPort.CheckBoxDTR, "DTR"}, std::pair{&SetComPort.CheckBoxRTS, "RTS"}})
        if (const int64_t on = number(key); on == 0 || on == 1)
            box->SetChecked(on == 1);
}

void TMain::StoreConnectionSettings() {
    const TSetComPort& dialog = SetComPort;
    Settings.Write(ConnectionSection, "Search", dialog.CheckBox1.Checked() ? "1" : "0");
    // The list's items name devices; the port is kept by its number.
    Settings.Write(ConnectionSection, "Port", std::to_string(dialog.ChosenPort()));
    Settings.Write(ConnectionSection, "Speed", dialog.ComboBoxSpeed.Text());
    Settings.Write(ConnectionSection, "Control", std::to_string(dialog.ComboBoxControl.ItemIndex()));
    Settings.Write(ConnectionSection, "Parity", std::to_string(dialog.RadioGroupParity.ItemIndex()));
    Settings.Write(ConnectionSection, "DataBits", std::to_string(dialog.RadioGroupData.ItemIndex() + 5));
    Settings.Write(ConnectionSection, "StopBits", std::to_string(dialog.RadioGroupStop.ItemIndex()));
    Settings.Write(ConnectionSection, "DTR", dialog.CheckBoxDTR.Checked() ? "1" : "0");
    Settings.Write(ConnectionSection, "RTS", dialog.CheckBoxRTS.Checked() ? "1" : "0");
    StoreSettings();
}

void TMain::StoreSettings() {
    std::string error;
    if (Settings.Store(error) || SettingsWarned)
        return;
    // Once a run: the editor works on without them, but the user should know they are not kept.
    SettingsWarned = true;
    Ui.MessageBox(TBoxKind::Warning, CaptionBase, "Не удалось сохранить настройки программы\n" + error,
                  TBoxButtons::Ok);
}

void TMain::TBDebugClick() {
    Dbg.Show();
    FormPort.Show();
    NotifyImageChanged();
}

void TMain::UpdateChecksum(uint8_t byte) {
    Checksum = Crc8Update(Checksum, byte);
}

void TMain::SendPacket(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, false, PortNumber);
    CommPort.PutBlock(reinterpret_cast<const char*>(data), static_cast<uint32_t>(length));
}

namespace {
// Line bits of one character: start bit, data bits, parity bit, stop bits.
double BitsPerCharacter(const TCommPort& port) {
    const double stop = port.GetStopBits() == sb1_0 ? 1.0 : port.GetStopBits() == sb1_5 ? 1.5 : 2.0;
    return 1.0 + port.GetDataBits() + (port.GetParity() == paNone ? 0.0 : 1.0) + stop;
}
} // namespace

void TMain::StartTransfer(const std::string& caption, uint8_t mode) {
    PanelScan.SetCaption(caption);
    PanelScan.SetVisible(true);
    ProgressBar.SetPosition(0);
    StatusBar1.SetPanelText(1, "");
    StatusBar1.SetPanelText(2, "");
    Link.SetLine(CommPort.GetBaud(), BitsPerCharacter(CommPort));
    // Bytes left from an earlier exchange would only be stray bytes before the first reply.
    CommPort.FlushInBuffer();
    if (mode == ModeRead)
        Link.StartRead(Image);
    else
        Link.StartWrite(Image);
}

void TMain::TBReadClick() {
    if (!Saved && Ui.MessageBox(TBoxKind::Information, CaptionBase,
                                "Текущий проект конфигурации будет изменен!\n\tПродолжить?",
                                TBoxButtons::OkCancel) != TModalResult::Ok)
        return;
    StartTransfer("Чтение данных ...", ModeRead);
}

void TMain::TBWriteClick() {
    if (Ui.MessageBox(TBoxKind::Information, CaptionBase,
                      "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?",
                      TBoxButtons::OkCancel) != TModalResult::Ok)
        return;
    StartTransfer("Запись данных ...", ModeWrite);
}

void TMain::CommPortDataReceived(TCommPort&, uint32_t) {
    Timer.SetRunning(false);
    if (LinkMode == ModeIdle)
        return;
    uint8_t work[ImageSize] = {};
    const uint32_t size = CommPort.GetBlock(reinterpret_cast<char*>(work), sizeof work);
    HandleDelivery(work, size);
}

void TMain::HandleDelivery(const uint8_t* data, size_t size) {
    if (size == 0 || LinkMode == ModeIdle)
        return;
    FormPort.LogPacket(data, size, true, PortNumber);
    if (LinkMode != ModeProbe)
        FormPort.AddLine("byte=" + Hex4(static_cast<unsigned>(size)));
    Link.Receive(data, size);
    // A search waits for an answer that has begun no longer than for one that has not: the
    // next tick judges it.
    if (LinkMode == ModeProbe && SetComPort.CheckBox1.Checked())
        Timer.SetRunning(true);
}

void TMain::BlockTaken(uint16_t address, bool differs) {
    ProgressBar.SetPosition(Link.Progress());
    // The image view follows a read as it comes in; the project's image changes only once it is whole.
    if (LinkMode == ModeRead && Dbg.Visible())
        Dbg.RefillImageView(Link.Received);
    if (differs)
        Ui.MessageBox(TBoxKind::Plain, CaptionBase, "Compare Erorr !!!\nблок " + Hex4(address),
                      TBoxButtons::Ok);
}

void TMain::LinkEnded() {
    if (Link.Result.Mode == ModeProbe)
        ProbeEnded();
    else
        TransferEnded();
}

void TMain::TransferEnded() {
    const TTransferResult& result = Link.Result;
    const bool read = result.Mode == ModeRead;
    PanelScan.SetVisible(false);
    const bool whole = result.Outcome == TLinkOutcome::Done || result.Outcome == TLinkOutcome::Compare;
    StatusBar1.SetPanelText(1, result.Status());
    ShowNoise();
    if (!whole) {
        // The image was not touched: a read that failed leaves the project as it was.
        // The status bar shows the port's state while the verdict is read.
        if (CommPort.GetGone())
            ShowDisconnected();
        Ui.MessageBox(TBoxKind::Error, CaptionBase, result.Verdict(), TBoxButtons::Ok);
        return;
    }
    TBSave.SetEnabled(true);
    TBReport.SetEnabled(true);
    if (read) {
        // The whole read, with what showing it adjusts, is one step of the history.
        const THistory::TState before = Snapshot();
        StepsHeld = true;
        // The one point where a read reaches the project.
        Image = Link.Received;
        NotifyImageChanged();
        ProjectTitle.clear();
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
    }
    if (result.PairsTaken)
        Ui.Note("Контрольные суммы в ответах контроллера не совпадают: каждый ответ принят, когда пришёл "
                "дважды одинаковым.");
    if (result.Outcome == TLinkOutcome::Compare)
        Ui.MessageBox(TBoxKind::Error, CaptionBase, result.Verdict(), TBoxButtons::Ok);
}

void TMain::ShowNoise() {
    const std::string note = Link.Result.NoiseNote();
    StatusBar1.SetPanelText(2, note);
    if (!note.empty())
        Ui.Note(note);
}

void TMain::TBFindClick() {
    if (TBFind.Down()) {
        SetComPort.ListPorts(); // adapters come and go between connections
        const TModalResult answer = Ui.ShowModal(SetComPort);
        // Both buttons apply the dialog's choices, so both keep them for the next run.
        StoreConnectionSettings();
        if (answer == TModalResult::Ok) {
            ProgressBar.SetPosition(0);
            StatusBar1.SetPanelText(1, "");
            PanelScan.SetVisible(true);
            ProbePort();
        } else {
            TBFind.SetDown(false);
        }
        return;
    }
    ShowDisconnected();
}

void TMain::ShowDisconnected() {
    Timer.SetRunning(false);
    if (LinkMode == ModeRead || LinkMode == ModeWrite)
        StatusBar1.SetPanelText(1, LinkMode == ModeRead ? "Чтение не завершено" : "Запись не завершена");
    Link.Abandon();
    CommPort.SetOpen(false);
    StatusBar1.SetPanelText(0, NotConnected);
    TBFind.SetDown(false);
    TBRead.SetEnabled(false);
    TBWrite.SetEnabled(false);
    PanelScan.SetVisible(false);
}

void TMain::ProbePort() {
    const bool search = SetComPort.CheckBox1.Checked();
    uint8_t probe[ProbeSize] = {0x00, 0x01, ProbeSize - 1, ProbeCommand};
    Seal(probe, sizeof probe, Checksum);
    // A port that does not exist or cannot be opened costs no time: the search goes straight on.
    for (;; ++PortNumber) {
        if (PortNumber > 255) {
            SearchEnded();
            return;
        }
        PanelScan.SetCaption("Сканирование порта COM" + std::to_string(PortNumber));
        LinkMode = ModeProbe;
        if (!TestOpenPort(PortNumber)) {
            if (search)
                continue;
            PanelScan.SetVisible(false);
            Timer.SetRunning(false);
            Ui.MessageBox(TBoxKind::Plain, CaptionBase,
                          "Ошибка открытия COM " + std::to_string(PortNumber) + " !", TBoxButtons::Ok);
            TBFind.SetDown(false);
            return;
        }
        ProbeOpening = true;
        CommPort.SetComNumber(PortNumber);
        CommPort.SetOpen(true);
        ProbeOpening = false;
        if (CommPort.GetOpen())
            break;
        // The component has said why it could not open the port.
        if (!search) {
            ShowDisconnected();
            return;
        }
    }
    CommPort.FlushInBuffer();
    Link.SetLine(CommPort.GetBaud(), BitsPerCharacter(CommPort));
    // A fixed port waits for its answer as long as the link does; a search steps on with the timer.
    Link.StartProbe(!search);
    Timer.SetRunning(search);
}

void TMain::ProbeEnded() {
    Timer.SetRunning(false);
    PanelScan.SetVisible(false);
    ShowNoise();
    // The search may have moved on since it probed the port that answered.
    PortNumber = CommPort.GetComNumber();
    const std::string port = "COM " + std::to_string(PortNumber);
    switch (Link.Result.Outcome) {
    case TLinkOutcome::Done: {
        const std::string text = "Подключено на " + port;
        Ui.MessageBox(TBoxKind::Information, CaptionBase, text, TBoxButtons::Ok);
        StatusBar1.SetPanelText(0, text);
        TBRead.SetEnabled(true);
        TBWrite.SetEnabled(true);
        if (Link.SumsDiffer)
            Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                          "Неверная контрольная сумма в ответе контроллера на " + port, TBoxButtons::Ok);
        break;
    }
    case TLinkOutcome::NoReply:
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Нет ответа от контроллера на " + port, TBoxButtons::Ok);
        ShowDisconnected();
        break;
    case TLinkOutcome::PortLost:
        Ui.MessageBox(TBoxKind::Error, CaptionBase, NotConnected, TBoxButtons::Ok);
        ShowDisconnected();
        break;
    default:
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Ошибка подключения !", TBoxButtons::Ok);
        break;
    }
}

void TMain::SearchEnded() {
    PortNumber = 255;
    LinkMode = ModeIdle;
    ShowDisconnected();
    Ui.MessageBox(TBoxKind::Error, CaptionBase, NoController, TBoxButtons::Ok);
}

void TMain::TimerTimer() {
    if (ProbeOpening)
        return;
    if (LinkMode == ModeProbe && SetComPort.CheckBox1.Checked()) {
        // An answer that began but could not be trusted is judged now rather than waited for.
        if (Link.ProbeHeard()) {
            Link.JudgeProbe();
            return;
        }
        ++PortNumber;
        ProbePort();
        return;
    }
    Timer.SetRunning(false);
}
