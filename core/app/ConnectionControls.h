#pragma once
#include "app/Settings.h"
#include "forms/Debug.h"
#include "forms/Port.h"
#include "forms/UnitPort.h"
#include "link/Connection.h"
#include "model/ConfigImage.h"
#include "ui/Button.h"
#include "ui/Panel.h"
#include "ui/ProgressBar.h"
#include "ui/StatusBar.h"
#include "ui/Ui.h"
#include <functional>
#include <string>

// What the main window shows of the connection, and how the user drives it: Connect, Read and
// Write, the progress panel, the connection's state in the status bar, the traffic log, the image
// view while a read comes in, and a box for each outcome; the dialog's choices are kept in the
// settings between runs. The main window owns the controls, the settings and the project; it hears
// when the settings changed and of every read or write that went through.
class TConnectionControls {
public:
    static inline const std::string NotConnected = "Нет подключения";

    // The main window's controls and windows that show the connection.
    struct TControls {
        TButton& Find;
        TButton& Read;
        TButton& Write;
        TPanel& PanelScan;
        TProgressBar& Progress;
        TStatusBar& Status;
        TSetComPort& Dialog;
        TDbg& Dbg;
        TFormPort& Log;
        TSettings& Settings;
    };
    // caption: the boxes' caption.
    TConnectionControls(TUi& ui, std::string caption, TConnection& connection, const TControls& controls);

    // The dialog's choices went into the settings (its OK button applied them).
    std::function<void()> OnSettingsChanged;
    // A read or a write went through to its last block; a read's image is in Connection.Link.Received.
    std::function<void(const TTransferResult& result)> OnTransferWhole;

    // The dialog's choices as the settings kept them from the last run.
    void RestoreChoices();
    // Connect went down (the dialog, then the probe or the search) or up (disconnects).
    void FindClick();
    void StartRead(const ConfigImage& from);
    void StartWrite(const ConfigImage& image);
    // The window closes: what runs ends without a word and the port closes.
    void Close();

    // The status bar panel that says what a noisy line did in the last operation.
    static constexpr size_t NoisePanel = 3;

private:
    void StartTransfer(const std::string& caption);
    // "Линия с помехами: …" in its panel and as a note, or the panel cleared.
    void ShowNoise(const std::string& note);
    void BlockTaken(uint16_t address, bool differs);
    void ConnectEnded(const TConnectResult& result);
    void TransferEnded(const TTransferResult& result, bool lineLost);
    // The user disconnects: a transfer under way is said not to be finished.
    void Disconnect();
    // The port closed: "Нет подключения", Connect up, Read and Write disabled.
    void ShowDisconnected();
    void Box(TBoxKind kind, const std::string& text);

    TUi& Ui;
    const std::string Caption;
    TConnection& Connection;
    TControls Controls;
};
