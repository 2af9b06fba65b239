#include "app/UnitMain.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include "report/Report.h"

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

    Algorithms.NotifyImageChanged = [this] { NotifyImageChanged(); };
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
    // Whatever decoding the empty image reported is no change of the user's.
    Saved = true;

    // The switch counts only when it is the whole command text.
    if (commandLine == "-debug") {
        DebugMode = true;
        TBDebug.SetVisible(true);
        Composition.SetIdentityWritable(true);
    }
    SetVisible(true);
}

TMain::~TMain() = default;

void TMain::BuildToolBar() {
    struct Entry {
        TButton* Button;
        const char* Caption;
        TButtonKind Kind;
        void (TMain::*Handler)();
    };
    const Entry entries[] = {
        {&TBNew, "Создать", TButtonKind::Push, &TMain::TBNewClick},
        {&TBOpen, "Открыть", TButtonKind::Push, &TMain::TBOpenClick},
        {&TBSave, "Сохранить", TButtonKind::Push, &TMain::TBSaveClick},
        {nullptr, nullptr, TButtonKind::Push, nullptr},
        {&TBReport, "Отчет", TButtonKind::Toggle, &TMain::TBReportClick},
        {nullptr, nullptr, TButtonKind::Push, nullptr},
        {&TBFind, "Подключить", TButtonKind::Toggle, &TMain::TBFindClick},
        {&TBRead, "Чтение", TButtonKind::Push, &TMain::TBReadClick},
        {&TBWrite, "Запись", TButtonKind::Push, &TMain::TBWriteClick},
        {&TBDebug, "Отладка", TButtonKind::Push, &TMain::TBDebugClick},
        {nullptr, nullptr, TButtonKind::Push, nullptr},
        {&ToolButton1, "Выход", TButtonKind::Push, &TMain::ToolButton1Click},
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
        ToolBar1.push_back(e.Button);
    }
    TBSave.SetEnabled(false);
    TBRead.SetEnabled(false);
    TBWrite.SetEnabled(false);
    TBDebug.SetVisible(false);
}

void TMain::ShowProjectCaption() {
    SetCaption(CaptionBase + " - " + ProjectTitle);
}

void TMain::NotifyImageChanged() {
    Saved = false;
    TBSave.SetEnabled(true);
}

bool TMain::FormClose() {
    LinkMode = 0;
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
    if (close) {
        Closed = true;
        SetVisible(false);
    }
    return close;
}

void TMain::ToolButton1Click() {
    FormClose();
}

void TMain::RefillEditor() {
    Refilling = true;
    ShowComposition();
    SpeedButton1Click(*Algorithms.InputButtons[0]);
    Refilling = false;
}

bool TMain::SaveQuestionAllowsContinuing() {
    if (Saved)
        return true;
    if (Ui.MessageBox(TBoxKind::Information, CaptionBase, SaveQuestion, TBoxButtons::OkCancel) !=
        TModalResult::Ok)
        return true;
    // Agreeing to save and then not saving ends the command with nothing changed.
    return Save() == TSaveResult::Saved;
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
}

void TMain::TBOpenClick() {
    if (!SaveQuestionAllowsContinuing())
        return;
    std::string fileName;
    if (!Ui.OpenFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, {}}, fileName))
        return;
    // Read the file before touching anything, so a failure keeps the open project whole.
    std::string bytes, error;
    if (ReadFileBytes(fileName, bytes, error, Layout::ImageSize) != TReadStatus::Read) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Не удалось открыть файл " + fileName, TBoxButtons::Ok);
        return;
    }
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    ShowProjectCaption();
    const std::vector<std::string> lengths = ProjectFile::LoadLengths(ProjectFile::SideFileName(fileName));
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        Algorithms.LenMes.SetValue(k, lengths[static_cast<size_t>(k - 1)]);
    Image.Clear();
    std::copy(bytes.begin(), bytes.end(), Image.Data());
    RefillEditor();
}

TMain::TSaveResult TMain::Save() {
    std::string fileName;
    if (!Ui.SaveFileDialog({ProjectFile::Filter, ProjectFile::DefaultExt, ProjectTitle}, fileName))
        return TSaveResult::Cancelled;
    std::string error;
    const std::string image(reinterpret_cast<const char*>(Image.Data()), Layout::ImageSize);
    if (!WriteFileAtomically(fileName, image, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Cannot create file " + fileName + "\n" + error,
                      TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    std::vector<std::string> lengths;
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        lengths.push_back(Algorithms.LenMes.Value(k));
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    if (!ProjectFile::SaveLengths(sideFile, lengths, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Unable to write to " + sideFile + "\n" + error,
                      TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    Saved = true;
    return TSaveResult::Saved;
}

void TMain::TBSaveClick() {
    Save();
}

void TMain::TBReportClick() {
    TReport report(Algorithms, Composition);
    const std::string text = TReport::Render(report.Build());
    std::string error;
    if (!WriteFileAtomically(ReportFileName, text, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Cannot create file " + ReportFileName + "\n" + error,
                      TBoxButtons::Ok);
        TBReport.SetDown(false);
        return;
    }
    TBReport.SetDown(false);
    if (!Ui.OpenInTextEditor(ReportFileName))
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Не найден файл!", TBoxButtons::Ok);
    SpeedButton1Click(*Algorithms.InputButtons[0]);
}
void TMain::TBFindClick() {}
void TMain::TBReadClick() {}
void TMain::TBWriteClick() {}
void TMain::TBDebugClick() {}
