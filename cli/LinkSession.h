#pragma once
#include "BatchUi.h"
#include "ExitStatus.h"
#include "LinkOptions.h"
#include "app/UnitMain.h"
#include "link/TimerRunner.h"
#include <iosfwd>
#include <string>

// One link command on a headless main window: the connection dialog filled in from the
// options, then Connect, Read or Write exactly as the editor runs them. The main window's
// timers run here as the editor's event loop runs them; each operation's outcome comes from
// the link.
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
    // Reads a whole image; the outcome of the link.
    TLinkOutcome Transfer(void (TMain::*command)());
    // "Чтение данных ... 32/64" (blocks) on standard error when it is a terminal; nothing otherwise.
    void ShowProgress();

    const TLinkOptions& Options;
    std::ostream& Err;
    bool ProgressOnTerminal;
    TBatchUi Ui;
    TMain Main;
    TTimerRunner Timers{Main.HandOver, {&Main.Timer, &Main.Link.ReplyTimer}};
};
