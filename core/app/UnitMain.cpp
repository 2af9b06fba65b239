#include "app/UnitMain.h"

TMain::TMain(TUi& ui, const std::string& commandLine)
    : TForm("Main"), Ui(ui), Algorithms(Image, CurrentInput, Refilling), Composition(Image, Refilling, Algorithms) {
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

void TMain::ShowProjectCaption() { SetCaption(CaptionBase + " - " + ProjectTitle); }

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
            TBSaveClick();
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

void TMain::ToolButton1Click() { FormClose(); }

void TMain::TBNewClick() {}
void TMain::TBOpenClick() {}
void TMain::TBSaveClick() {}
void TMain::TBReportClick() {}
void TMain::TBFindClick() {}
void TMain::TBReadClick() {}
void TMain::TBWriteClick() {}
void TMain::TBDebugClick() {}
