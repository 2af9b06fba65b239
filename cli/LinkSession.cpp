#include "LinkSession.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include <algorithm>
#include <ostream>
#include <unistd.h>

using namespace LinkProtocol;

TLinkSession::TLinkSession(const TLinkOptions& options, std::ostream& err)
    : Options(options), Err(err), ProgressOnTerminal(isatty(STDERR_FILENO) == 1), Ui(err), Main(Ui, "") {
    // The user's part in the connection dialog: the choices, then OK.
    TSetComPort& dialog = Main.SetComPort;
    Ui.OnShowModal = [&dialog](TForm&) {
        dialog.Button1.Click();
        return dialog.ModalResult;
    };
    if (options.Port != 0) {
        dialog.CheckBox1.SetChecked(false);
        dialog.SelectPort(options.Port);
    }
    dialog.ComboBoxSpeed.Type(options.Baud);
    dialog.ComboBoxControl.SetItemIndex(options.Flow);
    dialog.RadioGroupParity.SetItemIndex(options.Parity);
    dialog.RadioGroupData.SetItemIndex(options.Data);
    dialog.RadioGroupStop.SetItemIndex(options.Stop);
    if (options.TimeoutSeconds)
        Main.Link.SetTimeout(
            std::chrono::milliseconds(static_cast<long long>(*options.TimeoutSeconds * 1000 + 0.5)));
    Main.Link.ReadBack = !options.NoReadback;
    Main.ProgressBar.Watch([this] { ShowProgress(); });
}

void TLinkSession::ShowProgress() {
    if (!ProgressOnTerminal || (Main.LinkMode != ModeRead && Main.LinkMode != ModeWrite))
        return;
    const int blocks = Main.ProgressBar.Position() / static_cast<int>(BlockSize);
    Err << "\r" << Main.PanelScan.Caption() << " " << blocks << "/" << Blocks
        << (blocks == static_cast<int>(Blocks) ? "\n" : "") << std::flush;
}

int TLinkSession::Probe() {
    Main.TBFind.Click();
    // The probe's verdict, "Ошибка открытия COM n !" or "Контроллер не найден" has been shown
    // once Connect is up again or the probe is over.
    Timers.RunUntil([this] { return !Main.TBFind.Down() || Main.LinkMode != ModeProbe; });
    const TTransferResult& result = Main.Link.Result;
    if (result.Mode == ModeProbe && result.Outcome == TLinkOutcome::Done)
        return ExitDone;
    // A fixed port the component could not open: the system's reason after its fixed text.
    const TSerialErrorInfo& reason = Main.CommPort.GetOpenError();
    if (Options.Port != 0 && !Main.CommPort.GetOpen() && reason.Error != TSerialError::None &&
        Main.CommPort.GetComNumber() == Options.Port)
        Err << "COM " << Options.Port << ": " << reason.Text << std::endl;
    return ExitLink;
}

TLinkOutcome TLinkSession::Transfer(void (TMain::*command)()) {
    (Main.*command)();
    Timers.RunUntil([this] { return Main.LinkMode == ModeIdle; });
    return Main.Link.Result.Outcome;
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
    if (Transfer(&TMain::TBReadClick) != TLinkOutcome::Done)
        return ExitLink;
    // The image as received: the editor's refill after the read may rewrite some bytes.
    const auto* received = reinterpret_cast<const char*>(Main.Link.Received.Data());
    bytes.assign(received, received + Layout::ImageSize);
    return ExitDone;
}

int TLinkSession::Write() {
    std::string bytes, error;
    uint64_t size = 0;
    if (ReadFileBytes(Options.Project, bytes, error, Layout::ImageSize, nullptr, &size) !=
        TReadStatus::Read) {
        Err << (error.empty() ? "Не найден файл " + Options.Project : error) << std::endl;
        return ExitFile;
    }
    // The file's bytes as they are, not decoded into the editor; a short file is zero-filled,
    // and said to be.
    if (const std::string note = ProjectFile::SizeNote(Options.Project, size); !note.empty())
        Err << note << std::endl;
    bytes.resize(Layout::ImageSize, '\0');
    std::copy(bytes.begin(), bytes.end(), reinterpret_cast<char*>(Main.Image.Data()));
    if (const int status = Probe(); status != ExitDone)
        return status;
    const TLinkOutcome outcome = Transfer(&TMain::TBWriteClick);
    if (outcome == TLinkOutcome::Done && Main.Link.Result.ReadingBack)
        Err << Main.Link.Result.Status() << std::endl;
    if (outcome == TLinkOutcome::Compare) {
        for (const uint16_t address : Main.Link.Result.CompareFailures)
            Err << "block " << Hex4(address) << " compared differently" << std::endl;
        return ExitCompare;
    }
    return outcome == TLinkOutcome::Done ? ExitDone : ExitLink;
}
