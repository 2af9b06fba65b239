#include "LinkSession.h"
#include "project/FileUtil.h"
#include <algorithm>
#include <ostream>
#include <unistd.h>

TLinkSession::TLinkSession(const TLinkOptions& options, std::ostream& err)
    : Options(options), Err(err),
      Timeout(std::chrono::milliseconds(static_cast<long long>(options.TimeoutSeconds * 1000 + 0.5))),
      ProgressOnTerminal(isatty(STDERR_FILENO) == 1), Ui(err), Main(Ui, "") {
    // The user's part in the connection dialog: the choices, then OK.
    TSetComPort& dialog = Main.SetComPort;
    Ui.OnShowModal = [&dialog](TForm&) {
        dialog.Button1.Click();
        return dialog.ModalResult;
    };
    if (options.Port != 0) {
        dialog.CheckBox1.SetChecked(false);
        dialog.ComboBoxPort.SetItemIndex(options.Port - 1);
    }
    dialog.ComboBoxSpeed.Type(options.Baud);
    dialog.ComboBoxControl.SetItemIndex(options.Flow);
    dialog.RadioGroupParity.SetItemIndex(options.Parity);
    dialog.RadioGroupData.SetItemIndex(options.Data);
    dialog.RadioGroupStop.SetItemIndex(options.Stop);
}

int TLinkSession::Probe() {
    Main.TBFind.Click();
    if (!Main.TBFind.Down())
        return ExitLink; // the port failed the port test; the message is out
    const bool answered = SearchPorts();
    // A port that could not be opened has been named with its reason; nothing was sent there.
    if (!answered && Options.Port != 0 && !Main.CommPort.GetOpen())
        return ExitLink;
    if (!answered) {
        Err << (Options.Port != 0 ? "Нет ответа от контроллера на COM " + std::to_string(Main.PortNumber)
                                  : std::string("Контроллер не найден на COM 1 … 255"))
            << std::endl;
        return ExitLink;
    }
    // The reply handler has shown "Подключено на COM N" or "Ошибка подключения !".
    return Main.TBRead.Enabled() ? ExitDone : ExitLink;
}

bool TLinkSession::AwaitProbeReply() {
    // A port the component could not open has said so; nothing was sent that could be answered.
    // The system's reason follows the component's fixed text.
    if (!Main.CommPort.GetOpen() || Main.CommPort.GetComNumber() != Main.PortNumber) {
        const TSerialErrorInfo& reason = Main.CommPort.GetOpenError();
        if (reason.Error != TSerialError::None && Main.CommPort.GetComNumber() == Main.PortNumber)
            Err << "COM " << Main.PortNumber << ": " << reason.Text << std::endl;
        return false;
    }
    return PumpUntil(
        Main.HandOver, [this] { return Main.LinkMode != LinkProtocol::ModeProbe; }, Timeout);
}

bool TLinkSession::SearchPorts() {
    for (;;) {
        if (AwaitProbeReply())
            return true;
        if (!Main.Timer.Running())
            return false; // past port 255
        // The timer's tick judges an answer cut short or moves on to the next port; a port
        // that failed the test does not wait for it. A fixed port gets that one tick.
        Main.Timer.Tick();
        if (Main.LinkMode != LinkProtocol::ModeProbe)
            return true;
        if (Options.Port != 0)
            return false;
    }
}

void TLinkSession::ShowProgress(bool last) {
    if (!ProgressOnTerminal)
        return;
    Err << "\r" << Main.PanelScan.Caption() << " " << Main.ProgressBar.Position() / LinkProtocol::BlockSize
        << "/" << Main.ProgressBar.Max / LinkProtocol::BlockSize << (last ? "\n" : "") << std::flush;
}

bool TLinkSession::AwaitTransfer() {
    while (Main.LinkMode != 0) {
        const int replies = Main.Transfer.Replies;
        const bool moved = PumpUntil(
            Main.HandOver, [&] { return Main.LinkMode == 0 || Main.Transfer.Replies != replies; }, Timeout);
        ShowProgress(Main.LinkMode == 0 || !moved);
        if (!moved) {
            Err << "Нет ответа от контроллера" << std::endl;
            return false;
        }
    }
    return true;
}

int TLinkSession::Read() {
    std::string bytes;
    if (const int status = ReadImage(bytes); status != ExitDone)
        return status;
    std::string error;
    if (!WriteFileAtomically(Options.Output, bytes, error)) {
        Err << error << std::endl;
        return ExitFile;
    }
    return ExitDone;
}

int TLinkSession::ReadImage(std::string& bytes) {
    if (const int status = Probe(); status != ExitDone)
        return status;
    // The image as received: the editor's refill after the last block may rewrite some bytes.
    // Only the image's last block completes the transfer, so the copy is taken at that one.
    bytes.assign(Layout::ImageSize, '\0');
    Main.OnBlockReply = [&](uint16_t address) {
        if (address + LinkProtocol::BlockSize >= Layout::ImageSize)
            std::copy_n(reinterpret_cast<const char*>(Main.Image.Data()), Layout::ImageSize, bytes.begin());
    };
    Main.TBRead.Click();
    if (!AwaitTransfer() || !Ui.Errors.empty())
        return ExitLink;
    return ExitDone;
}

int TLinkSession::Write() {
    std::string bytes, error;
    if (ReadFileBytes(Options.Project, bytes, error, Layout::ImageSize) != TReadStatus::Read) {
        Err << (error.empty() ? "Не найден файл " + Options.Project : error) << std::endl;
        return ExitFile;
    }
    // The file's bytes as they are, not decoded into the editor; a short file is zero-filled.
    bytes.resize(Layout::ImageSize, '\0');
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(Main.Image.Data()));
    if (const int status = Probe(); status != ExitDone)
        return status;
    Main.TBWrite.Click();
    if (!AwaitTransfer() || !Ui.Errors.empty())
        return ExitLink;
    for (const uint16_t address : Main.Transfer.CompareFailures)
        Err << "block " << LinkProtocol::Hex4(address) << " compared differently" << std::endl;
    return Main.Transfer.CompareFailures.empty() ? ExitDone : ExitCompare;
}
