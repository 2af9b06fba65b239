#pragma once
#include "BatchUi.h"
#include "ExitStatus.h"
#include "LinkOptions.h"
#include "app/UnitMain.h"
#include <chrono>
#include <iosfwd>
#include <string>

// One link command on a headless main window: the connection dialog filled in from the
// options, then Connect, Read or Write exactly as the editor runs them, with a limit on
// the wait for each reply because nobody is there to disconnect.
class TLinkSession {
public:
    // Every message and the progress go to err.
    TLinkSession(const TLinkOptions& options, std::ostream& err);

    // Connect; ExitDone once a controller answered 0xAA.
    int Probe();
    // Connect, Read, and the 2048 bytes as received into options.Output.
    int Read();
    // Connect and Read as Read does; the 2048 bytes as received into bytes.
    int ReadImage(std::string& bytes);
    // The project file's bytes as they are, then Connect and Write.
    int Write();

private:
    // Pumps the port's hand-overs until the probe is answered; false when no reply came.
    bool AwaitProbeReply();
    // Probes until a reply was judged: on the fixed port, or port after port; false when none came.
    bool SearchPorts();
    // Pumps until the transfer ends; false when a reply took longer than the timeout.
    bool AwaitTransfer();
    // "Чтение данных ... 32/64" (blocks) on standard error when it is a terminal; nothing otherwise.
    void ShowProgress(bool last);

    const TLinkOptions& Options;
    std::ostream& Err;
    std::chrono::milliseconds Timeout;
    bool ProgressOnTerminal;
    TBatchUi Ui;
    TMain Main;
};
