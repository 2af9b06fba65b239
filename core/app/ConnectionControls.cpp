#include "app/ConnectionControls.h"
#include <algorithm>
#include <utility>

using namespace LinkProtocol;

namespace {
const std::string SettingsSection = "Connection";
} // namespace

TConnectionControls::TConnectionControls(TUi& ui, std::string caption, TConnection& connection,
                                         const TControls& controls)
    : Ui(ui), Caption(std::move(caption)), Connection(connection), Controls(controls) {
    Connection.OnProbing = [this](int port) {
        Controls.PanelScan.SetCaption("Сканирование порта COM" + std::to_string(port));
    };
    // The component's text first, then why, as the system says it.
    Connection.OnOpenFailed = [this](int, const TSerialErrorInfo& reason) {
        Ui.MessageBox(TBoxKind::Error, TCommPort::ErrorCaption, TCommPort::CantOpenText + "\n" + reason.Text,
                      TBoxButtons::Ok);
    };
    Connection.OnPortWarning = [this](const std::string& text) {
        Ui.MessageBox(TBoxKind::Warning, TCommPort::WarningCaption, text, TBoxButtons::Ok);
    };
    Connection.OnConnectEnded = [this](const TConnectResult& result) { ConnectEnded(result); };
    Connection.OnBlock = [this](uint16_t address, bool differs) { BlockTaken(address, differs); };
    Connection.OnTransferEnded = [this](const TTransferResult& result, bool lineLost) {
        TransferEnded(result, lineLost);
    };
    Connection.OnTraffic = [this](const uint8_t* data, size_t size, bool received) {
        Controls.Log.LogPacket(data, size, received, Connection.PortNumber());
    };
    Connection.OnLogLine = [this](const std::string& line) { Controls.Log.AddLine(line); };
}

void TConnectionControls::Box(TBoxKind kind, const std::string& text) {
    Ui.MessageBox(kind, Caption, text, TBoxButtons::Ok);
}

void TConnectionControls::RestoreChoices() {
    Controls.Dialog.RestoreChoices(
        [this](const std::string& key) { return Controls.Settings.Read(SettingsSection, key); });
}

void TConnectionControls::FindClick() {
    if (!Controls.Find.Down()) {
        Disconnect();
        return;
    }
    Controls.Dialog.ListPorts(); // adapters come and go between connections
    // Cancel changes nothing, neither the line nor what the settings keep; a dialog closed by
    // neither button is cancelled too.
    if (Ui.ShowModal(Controls.Dialog) != TModalResult::Ok) {
        Controls.Dialog.RevertChoices();
        Controls.Find.SetDown(false);
        return;
    }
    for (const auto& [key, value] : Controls.Dialog.StoredChoices())
        Controls.Settings.Write(SettingsSection, key, value);
    if (OnSettingsChanged)
        OnSettingsChanged();
    Controls.Progress.SetPosition(0);
    Controls.Status.SetPanelText(1, "");
    Controls.PanelScan.SetVisible(true);
    Connection.Connect();
}

void TConnectionControls::ConnectEnded(const TConnectResult& result) {
    Controls.PanelScan.SetVisible(false);
    ShowNoise(result.NoiseNote);
    switch (result.Outcome) {
    case TConnectOutcome::Connected:
        Ui.MessageBox(TBoxKind::Information, Caption, result.Text(), TBoxButtons::Ok);
        Controls.Status.SetPanelText(0, result.Text());
        Controls.Read.SetEnabled(true);
        Controls.Write.SetEnabled(true);
        if (result.SumsDiffer)
            Box(TBoxKind::Warning, result.SumsWarning());
        break;
    case TConnectOutcome::PortMissing:
        Box(TBoxKind::Plain, result.Text());
        Controls.Find.SetDown(false);
        break;
    case TConnectOutcome::CantOpen:
        ShowDisconnected();
        break;
    case TConnectOutcome::NoReply:
    case TConnectOutcome::PortLost:
        Box(TBoxKind::Error, result.Text());
        ShowDisconnected();
        break;
    case TConnectOutcome::WrongAnswer:
        Box(TBoxKind::Error, result.Text());
        break;
    case TConnectOutcome::NoController:
        ShowDisconnected();
        Box(TBoxKind::Error, result.Text());
        break;
    }
}

void TConnectionControls::StartRead(const ConfigImage& from) {
    StartTransfer(TConnection::ReadingCaption);
    Connection.StartRead(from);
}

void TConnectionControls::StartWrite(const ConfigImage& image) {
    StartTransfer(TConnection::WritingCaption);
    Connection.StartWrite(image);
}

void TConnectionControls::ShowNoise(const std::string& note) {
    Controls.Status.SetPanelText(NoisePanel, note);
    if (!note.empty())
        Ui.Note(note);
}

void TConnectionControls::StartTransfer(const std::string& caption) {
    Controls.PanelScan.SetCaption(caption);
    Controls.PanelScan.SetVisible(true);
    Controls.Progress.SetPosition(0);
    Controls.Status.SetPanelText(1, "");
    Controls.Status.SetPanelText(NoisePanel, "");
}

void TConnectionControls::BlockTaken(uint16_t address, bool differs) {
    Controls.Progress.SetPosition(Connection.Link.Progress());
    // The image view follows a read as it comes in; the project's image changes only once it is whole.
    if (Connection.LinkMode() == ModeRead && Controls.Dbg.Visible())
        Controls.Dbg.RefillImageView(Connection.Link.Received);
    if (differs)
        Box(TBoxKind::Plain, TConnection::CompareText(address));
}

void TConnectionControls::TransferEnded(const TTransferResult& result, bool lineLost) {
    Controls.PanelScan.SetVisible(false);
    ShowNoise(result.NoiseNote());
    if (!result.Whole()) {
        Controls.Status.SetPanelText(1, result.Status());
        // The image was not touched: a read that failed leaves the project as it was.
        // The status bar shows the port's state while the verdict is read.
        if (lineLost)
            ShowDisconnected();
        Box(TBoxKind::Error, result.Verdict());
        return;
    }
    if (OnTransferWhole)
        OnTransferWhole(result);
    Controls.Status.SetPanelText(1, result.Status());
    if (result.PairsTaken)
        Ui.Note(TConnection::PairsNote);
    if (result.Outcome == TLinkOutcome::Compare)
        Box(TBoxKind::Error, result.Verdict());
}

void TConnectionControls::Disconnect() {
    if (Connection.Transferring())
        Controls.Status.SetPanelText(1, Connection.LinkMode() == ModeRead ? "Чтение не завершено"
                                                                          : "Запись не завершена");
    Connection.Disconnect();
    ShowDisconnected();
}

void TConnectionControls::Close() {
    Connection.Disconnect();
    ShowDisconnected();
}

void TConnectionControls::ShowDisconnected() {
    Controls.Status.SetPanelText(0, NotConnected);
    Controls.Find.SetDown(false);
    Controls.Read.SetEnabled(false);
    Controls.Write.SetEnabled(false);
    Controls.PanelScan.SetVisible(false);
}
