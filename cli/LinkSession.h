#pragma once
#include "ExitStatus.h"
#include "LinkOptions.h"
#include "base/HandOver.h"
#include "link/Connection.h"
#include "link/TimerRunner.h"
#include <iosfwd>
#include <optional>
#include <string>

// One link command on a connection of its own: the line chosen by the options, then the probe,
// the read or the write. The connection's timers run here as the editor's event loop runs them;
// whatever the editor would show of its reports goes to err, worded as the editor words it.
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
    // Starts a read or a write and runs it to its end; how it ended.
    TLinkOutcome Transfer(bool read, const ConfigImage& image);
    // "Чтение данных ... 32/64" (blocks) on standard error when it is a terminal; nothing otherwise.
    void ShowProgress();
    void ConnectEnded(const TConnectResult& result);
    void TransferEnded(const TTransferResult& result);

    const TLinkOptions& Options;
    std::ostream& Err;
    bool ProgressOnTerminal;
    THandOver HandOver;
    TConnection Connection{HandOver};
    TTimerRunner Timers{HandOver, {&Connection.SearchTimer, &Connection.Link.ReplyTimer}};
    std::optional<TConnectResult> Connected;
    bool TransferDone = false;
    // "Чтение данных ..." or "Запись данных ...", and the position of the editor's progress bar.
    std::string Caption;
    int Progress = 0;
};
