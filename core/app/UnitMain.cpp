#include "app/UnitMain.h"
#include "link/Crc8.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include "report/Report.h"
#include <algorithm>
#include <cstdio>

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
    PortTest = TestOpenDevice;

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

TMain::~TMain() {
    // Close while every window the handlers reach still exists.
    CommPort.OnDataReceived = nullptr;
    CommPort.SetOpen(false);
}

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
    if (Dbg.Visible())
        Dbg.RefillImageView(Image);
}

bool TMain::FormClose() {
    LinkMode = 0;
    CommPort.SetOpen(false);
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

namespace {
// The box's fixed text names the file; the file layer's message names it again, so only the
// reason that follows the name is added.
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
    std::string error;
    const std::string image(reinterpret_cast<const char*>(Image.Data()), Layout::ImageSize);
    if (!WriteFileAtomically(fileName, image, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      FileFailure("Cannot create file " + fileName, fileName, error), TBoxButtons::Ok);
        return TSaveResult::Failed;
    }
    std::vector<std::string> lengths;
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        lengths.push_back(Algorithms.LenMes.Value(k));
    const std::string sideFile = ProjectFile::SideFileName(fileName);
    if (!ProjectFile::SaveLengths(sideFile, lengths, error)) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      FileFailure("Unable to write to " + sideFile, sideFile, error), TBoxButtons::Ok);
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
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      FileFailure("Cannot create file " + ReportFileName, ReportFileName, error),
                      TBoxButtons::Ok);
        TBReport.SetDown(false);
        return;
    }
    TBReport.SetDown(false);
    if (!Ui.OpenInTextEditor(ReportFileName))
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Не найден файл!", TBoxButtons::Ok);
    SpeedButton1Click(*Algorithms.InputButtons[0]);
}
void TMain::TBDebugClick() {
    Dbg.Show();
    FormPort.Show();
    NotifyImageChanged();
}

namespace {
std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
    return text;
}
} // namespace

void TMain::UpdateChecksum(uint8_t byte) {
    Checksum = Crc8Update(Checksum, byte);
}

void TMain::SealPacket(uint8_t* packet, size_t length) {
    Checksum = 0;
    for (size_t i = 0; i + 1 < length; ++i)
        UpdateChecksum(packet[i]);
    packet[length - 1] = Checksum;
}

void TMain::SendPacket(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, false, PortNumber);
    CommPort.PutBlock(reinterpret_cast<const char*>(data), static_cast<uint32_t>(length));
}

void TMain::SendBlockRequest(uint16_t address) {
    auto fill = [this, address](uint8_t* packet, size_t length) {
        packet[4] = static_cast<uint8_t>(address >> 8);
        packet[5] = static_cast<uint8_t>(address & 0xFF);
        SealPacket(packet, length);
        SendPacket(packet, length);
    };
    if (LinkMode == 3) {
        fill(ReadRequest, sizeof ReadRequest);
    } else {
        std::copy(Image.Data() + address, Image.Data() + address + BlockSize, WritePacket + 6);
        fill(WritePacket, sizeof WritePacket);
    }
}

void TMain::StartTransfer(const std::string& caption, uint8_t mode) {
    PanelScan.SetCaption(caption);
    PanelScan.SetVisible(true);
    ProgressBar.SetPosition(0);
    LinkMode = mode;
    ReplyCount = 0;
    CompareFailures.clear();
    // Bytes left from an earlier exchange would shift every reply of this one.
    CommPort.FlushInBuffer();
    SendBlockRequest(0);
}

void TMain::TBReadClick() {
    if (!Saved && Ui.MessageBox(TBoxKind::Information, CaptionBase,
                                "Текущий проект конфигурации будет изменен!\n\tПродолжить?",
                                TBoxButtons::OkCancel) != TModalResult::Ok)
        return;
    StartTransfer("Чтение данных ...", 3);
}

void TMain::TBWriteClick() {
    if (Ui.MessageBox(TBoxKind::Information, CaptionBase,
                      "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?",
                      TBoxButtons::OkCancel) != TModalResult::Ok)
        return;
    StartTransfer("Запись данных ...", 2);
}

void TMain::CommPortDataReceived(TCommPort&, uint32_t) {
    Timer.SetRunning(false);
    if (LinkMode == 0)
        return;
    uint8_t work[Layout::ImageSize] = {};
    const uint32_t size = CommPort.GetBlock(reinterpret_cast<char*>(work), sizeof work);
    HandleDelivery(work, size);
}

void TMain::HandleDelivery(const uint8_t* data, size_t size) {
    if (size == 0)
        return;
    if (LinkMode == 1)
        ProbeReply(data, size);
    else if (LinkMode == 2 || LinkMode == 3)
        BlockReply(data, size);
}

void TMain::ProbeReply(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, true, PortNumber);
    // The answer is byte 3. A reply split by the line's timing is judged once that byte
    // is in, not from its first piece: a piece of a good answer is no failure.
    if (static_cast<size_t>(ReplyCount) < ReplySize)
        std::copy(data, data + std::min(length, ReplySize - static_cast<size_t>(ReplyCount)),
                  ReplyBuffer + ReplyCount);
    ReplyCount += static_cast<int32_t>(length);
    if (ReplyCount < 4)
        return;
    ReplyCount = 0;
    PanelScan.SetVisible(false);
    if (ReplyBuffer[3] == 0xAA) {
        const std::string text = "Подключено на COM " + std::to_string(PortNumber);
        Ui.MessageBox(TBoxKind::Information, CaptionBase, text, TBoxButtons::Ok);
        StatusBar1.SetPanelText(0, text);
        TBRead.SetEnabled(true);
        TBWrite.SetEnabled(true);
    } else {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Ошибка подключения !", TBoxButtons::Ok);
    }
    LinkMode = 0;
}

void TMain::BlockReply(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, true, PortNumber);
    FormPort.AddLine("byte=" + Hex4(static_cast<unsigned>(length)));
    if (static_cast<size_t>(ReplyCount) < ReplySize) {
        const size_t room = ReplySize - static_cast<size_t>(ReplyCount);
        std::copy(data, data + std::min(length, room), ReplyBuffer + ReplyCount);
    }
    ReplyCount += static_cast<int32_t>(length);
    if (static_cast<size_t>(ReplyCount) < ReplySize)
        return;
    ProgressBar.SetPosition(ProgressBar.Position() + static_cast<int>(BlockSize));
    uint16_t address = static_cast<uint16_t>(ReplyBuffer[4] << 8 | ReplyBuffer[5]);
    FormPort.AddLine("------------");
    FormPort.AddLine("copy to" + Hex4(address));
    // The controller's checksum decides nothing, but a wrong one is worth seeing.
    const uint8_t crc = Crc8(ReplyBuffer, ReplySize - 1);
    if (crc != ReplyBuffer[ReplySize - 1])
        FormPort.AddLine("crc=" + Hex4(ReplyBuffer[ReplySize - 1]).substr(2) + " expected " +
                         Hex4(crc).substr(2));
    // A block that would reach past the image is never stored or compared.
    if (address > Layout::ImageSize - BlockSize) {
        EndTransfer();
        ReplyCount = 0;
        Ui.MessageBox(TBoxKind::Error, CaptionBase,
                      "Контроллер ответил блоком с адресом " + Hex4(address) +
                          " за пределами конфигурации. Операция прервана.",
                      TBoxButtons::Ok);
        return;
    }
    const uint8_t mode = LinkMode;
    if (mode == 3) {
        std::copy(ReplyBuffer + 6, ReplyBuffer + 6 + BlockSize, Image.Data() + address);
    } else if (!std::equal(ReplyBuffer + 6, ReplyBuffer + 6 + BlockSize, Image.Data() + address)) {
        CompareFailures.push_back(address);
        Ui.MessageBox(TBoxKind::Plain, CaptionBase, "Compare Erorr !!!", TBoxButtons::Ok);
    }
    if (OnBlockReply)
        OnBlockReply(address);
    address = static_cast<uint16_t>(address + BlockSize);
    ReplyCount = 0;
    if (mode == 3)
        NotifyImageChanged();
    if (address >= Layout::ImageSize)
        CompleteTransfer();
    else
        SendBlockRequest(address);
}

void TMain::EndTransfer() {
    PanelScan.SetVisible(false);
    LinkMode = 0;
}

void TMain::CompleteTransfer() {
    const bool read = LinkMode == 3;
    EndTransfer();
    TBSave.SetEnabled(true);
    TBReport.SetEnabled(true);
    if (!read)
        return;
    ProjectTitle.clear();
    ShowProjectCaption();
    ShowComposition();
    SpeedButton1Click(*Algorithms.InputButtons[0]);
    for (int s = 0; s < 7; ++s) {
        TCheckBox& stage = *Algorithms.StageBoxes[static_cast<size_t>(s)];
        if (stage.Enabled())
            CheckBox180Click(stage);
    }
}

void TMain::TBFindClick() {
    if (TBFind.Down()) {
        if (Ui.ShowModal(SetComPort) == TModalResult::Ok) {
            PanelScan.SetVisible(true);
            ProbePort();
        } else {
            TBFind.SetDown(false);
        }
        return;
    }
    Timer.SetRunning(false);
    CommPort.SetOpen(false);
    StatusBar1.SetPanelText(0, NotConnected);
    TBRead.SetEnabled(false);
    TBWrite.SetEnabled(false);
    PanelScan.SetVisible(false);
}

void TMain::ProbePort() {
    PanelScan.SetCaption("Сканирование порта COM" + std::to_string(PortNumber));
    LinkMode = 1;
    ReplyCount = 0;
    uint8_t probe[5] = {0x00, 0x01, 0x04, 0x55, 0x00};
    SealPacket(probe, sizeof probe);
    if (TestOpenPort(PortNumber)) {
        ProbeOpening = true;
        CommPort.SetComNumber(PortNumber);
        CommPort.SetOpen(true);
        ProbeOpening = false;
        CommPort.FlushInBuffer();
        SendPacket(probe, sizeof probe);
    } else if (!SetComPort.CheckBox1.Checked()) {
        PanelScan.SetVisible(false);
        Timer.SetRunning(false);
        Ui.MessageBox(TBoxKind::Plain, CaptionBase,
                      "Ошибка открытия COM " + std::to_string(PortNumber) + " !", TBoxButtons::Ok);
        TBFind.SetDown(false);
        return;
    }
    Timer.SetRunning(true);
}

void TMain::TimerTimer() {
    if (ProbeOpening)
        return;
    if (LinkMode == 1 && SetComPort.CheckBox1.Checked()) {
        ++PortNumber;
        if (PortNumber > 255)
            Timer.SetRunning(false);
        else
            ProbePort();
        return;
    }
    Timer.SetRunning(false);
}
