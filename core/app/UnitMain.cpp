#include "app/UnitMain.h"
#include "base/Cp1251.h"
#include "link/Crc8.h"
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
    // The lengths are saved with the project: losing an edit of them is losing work.
    Algorithms.LenMes.OnValueEdited = [this](TValueListEditor&) {
        Saved = false;
        TBSave.SetEnabled(true);
    };

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
    LinkMode = ModeIdle;
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
    std::string bytes, error, reason;
    if (ReadFileBytes(fileName, bytes, error, Layout::ImageSize, &reason) != TReadStatus::Read) {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Не удалось открыть файл " + fileName + "\n" + reason,
                      TBoxButtons::Ok);
        return;
    }
    ProjectTitle = ProjectFile::WithoutExtension(fileName);
    ShowProjectCaption();
    std::string note;
    const std::vector<std::string> lengths =
        ProjectFile::LoadLengths(ProjectFile::SideFileName(fileName), note);
    if (!note.empty())
        Ui.Note(note);
    for (int k = 1; k <= ProjectFile::Messages; ++k)
        Algorithms.LenMes.SetValue(k, lengths[static_cast<size_t>(k - 1)]);
    Image.Clear();
    std::copy(bytes.begin(), bytes.end(), Image.Data());
    RefillEditor();
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

void TMain::SendBlockRequest(uint16_t address) {
    uint8_t* packet = LinkMode == ModeRead ? ReadRequest : WritePacket;
    const size_t size = LinkMode == ModeRead ? sizeof ReadRequest : sizeof WritePacket;
    SetAddress(packet, address);
    if (LinkMode == ModeWrite)
        std::copy_n(Image.Data() + address, BlockSize, WritePacket + DataAt);
    Seal(packet, size, Checksum);
    SendPacket(packet, size);
}

void TMain::StartTransfer(const std::string& caption, uint8_t mode) {
    AbandonRead();
    PanelScan.SetCaption(caption);
    PanelScan.SetVisible(true);
    ProgressBar.SetPosition(0);
    LinkMode = mode;
    ReplyCount = 0;
    Transfer = {};
    if (mode == ModeRead)
        ReadBackup = TReadBackup{Image, Saved, TBSave.Enabled()};
    // Bytes left from an earlier exchange would shift every reply of this one.
    CommPort.FlushInBuffer();
    SendBlockRequest(0);
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
    if (size == 0)
        return;
    if (LinkMode == ModeProbe)
        ProbeReply(data, size);
    else if (LinkMode == ModeWrite || LinkMode == ModeRead)
        BlockReply(data, size);
}

void TMain::ProbeReply(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, true, PortNumber);
    // A reply split by the line's timing is judged once it is whole, not from its first
    // piece; one that stays short is judged at the next tick.
    if (Collect(ReplyBuffer, ProbeSize, ReplyCount, data, length))
        JudgeProbeReply();
    else
        Timer.SetRunning(true);
}

void TMain::JudgeProbeReply() {
    const size_t got = std::min(static_cast<size_t>(ReplyCount), ProbeSize);
    ReplyCount = 0;
    Timer.SetRunning(false);
    PanelScan.SetVisible(false);
    // What did not come reads as zero, so an answer shorter than four bytes is a wrong one.
    std::fill(ReplyBuffer + got, ReplyBuffer + ProbeSize, 0);
    // The search may have moved on since it probed the port that answered.
    PortNumber = CommPort.GetComNumber();
    const std::string port = "COM " + std::to_string(PortNumber);
    if (ReplyBuffer[AnswerAt] == ControllerAnswer) {
        const std::string text = "Подключено на " + port;
        Ui.MessageBox(TBoxKind::Information, CaptionBase, text, TBoxButtons::Ok);
        StatusBar1.SetPanelText(0, text);
        TBRead.SetEnabled(true);
        TBWrite.SetEnabled(true);
        if (got < ProbeSize || !ChecksumMatches(ReplyBuffer, ProbeSize))
            Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                          "Неверная контрольная сумма в ответе контроллера на " + port, TBoxButtons::Ok);
    } else {
        Ui.MessageBox(TBoxKind::Error, CaptionBase, "Ошибка подключения !", TBoxButtons::Ok);
    }
    LinkMode = ModeIdle;
}

void TMain::BlockReply(const uint8_t* data, size_t length) {
    FormPort.LogPacket(data, length, true, PortNumber);
    FormPort.AddLine("byte=" + Hex4(static_cast<unsigned>(length)));
    if (!Collect(ReplyBuffer, sizeof ReplyBuffer, ReplyCount, data, length))
        return;
    ReplyCount = 0;
    ++Transfer.Replies;
    ProgressBar.SetPosition(std::min(ProgressBar.Position() + static_cast<int>(BlockSize), ProgressBar.Max));
    const uint16_t address = Address(ReplyBuffer);
    FormPort.AddLine("------------");
    FormPort.AddLine("copy to" + Hex4(address));
    // The controller's checksum decides nothing, but a wrong one is worth seeing.
    if (!ChecksumMatches(ReplyBuffer, sizeof ReplyBuffer)) {
        Transfer.BadChecksums.push_back(address);
        FormPort.AddLine("crc=" + Hex4(ReplyBuffer[sizeof ReplyBuffer - 1]).substr(2) + " expected " +
                         Hex4(Crc8(ReplyBuffer, sizeof ReplyBuffer - 1)).substr(2));
    }
    // Nothing outside the image is stored, compared or sent.
    if (!IsBlockAddress(address)) {
        FailTransfer("Контроллер ответил блоком с недопустимым адресом " + Hex4(address) +
                     ". Операция прервана.");
        return;
    }
    const uint8_t mode = LinkMode;
    const bool asked = address == Address(mode == ModeRead ? ReadRequest : WritePacket);
    if (mode == ModeRead) {
        std::copy_n(ReplyBuffer + DataAt, BlockSize, Image.Data() + address);
    } else if (!std::equal(ReplyBuffer + DataAt, ReplyBuffer + DataAt + BlockSize, Image.Data() + address)) {
        Transfer.CompareFailures.push_back(address);
        Ui.MessageBox(TBoxKind::Plain, CaptionBase, "Compare Erorr !!!", TBoxButtons::Ok);
    }
    if (asked)
        Transfer.Moved(address);
    if (OnBlockReply)
        OnBlockReply(address);
    if (mode == ModeRead)
        NotifyImageChanged();
    const unsigned next = address + BlockSize;
    if (next >= ImageSize)
        CompleteTransfer();
    else if (Transfer.Replies >= static_cast<int>(2 * Blocks))
        // A controller that keeps steering back would keep the transfer going for ever.
        FailTransfer("Контроллер не закончил передачу за " + std::to_string(Transfer.Replies) +
                     " ответов. Операция прервана.");
    else
        SendBlockRequest(static_cast<uint16_t>(next));
}

void TMain::EndTransfer() {
    PanelScan.SetVisible(false);
    LinkMode = ModeIdle;
}

void TMain::FailTransfer(const std::string& text) {
    EndTransfer();
    AbandonRead();
    Ui.MessageBox(TBoxKind::Error, CaptionBase, text, TBoxButtons::Ok);
    WarnBadChecksums();
}

void TMain::WarnBadChecksums() {
    if (!Transfer.BadChecksums.empty())
        Ui.MessageBox(TBoxKind::Warning, CaptionBase,
                      "Неверная контрольная сумма в ответах контроллера для блоков " +
                          TTransferResult::BlockList(Transfer.BadChecksums) + ". Данные использованы.",
                      TBoxButtons::Ok);
}

void TMain::AbandonRead() {
    if (!ReadBackup)
        return;
    Image = ReadBackup->Image;
    Saved = ReadBackup->Saved;
    TBSave.SetEnabled(ReadBackup->SaveEnabled);
    ReadBackup.reset();
    if (Dbg.Visible())
        Dbg.RefillImageView(Image);
}

void TMain::CompleteTransfer() {
    const bool read = LinkMode == ModeRead;
    if (!Transfer.Complete()) {
        std::string text = read ? "Чтение не завершено." : "Запись не завершена.";
        if (const auto missing = Transfer.Missing(); !missing.empty())
            text += (read ? " Контроллер не передал блоки " : " Контроллер не подтвердил запись блоков ") +
                    TTransferResult::BlockList(missing) + ".";
        if (const auto repeated = Transfer.Repeated(); !repeated.empty())
            text += " Блоки переданы повторно: " + TTransferResult::BlockList(repeated) + ".";
        text += read ? " Конфигурация не изменена."
                     : " Контроллер может хранить частично записанную конфигурацию.";
        FailTransfer(text);
        return;
    }
    ReadBackup.reset();
    EndTransfer();
    TBSave.SetEnabled(true);
    TBReport.SetEnabled(true);
    if (read) {
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
    WarnBadChecksums();
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
    ShowDisconnected();
}

void TMain::ShowDisconnected() {
    Timer.SetRunning(false);
    CommPort.SetOpen(false);
    AbandonRead();
    StatusBar1.SetPanelText(0, NotConnected);
    TBFind.SetDown(false);
    TBRead.SetEnabled(false);
    TBWrite.SetEnabled(false);
    PanelScan.SetVisible(false);
}

void TMain::ProbePort() {
    PanelScan.SetCaption("Сканирование порта COM" + std::to_string(PortNumber));
    LinkMode = ModeProbe;
    ReplyCount = 0;
    uint8_t probe[ProbeSize] = {0x00, 0x01, ProbeSize - 1, ProbeCommand};
    Seal(probe, sizeof probe, Checksum);
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
    // A probe answer cut short is judged now rather than waited for for ever.
    if (LinkMode == ModeProbe && ReplyCount > 0) {
        JudgeProbeReply();
        return;
    }
    if (LinkMode == ModeProbe && SetComPort.CheckBox1.Checked()) {
        ++PortNumber;
        if (PortNumber > 255)
            Timer.SetRunning(false);
        else
            ProbePort();
        return;
    }
    Timer.SetRunning(false);
}
