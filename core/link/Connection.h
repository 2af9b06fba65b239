#pragma once
#include "base/HandOver.h"
#include "link/ControllerLink.h"
#include "link/LinkProtocol.h"
#include "link/TransferResult.h"
#include "model/ConfigImage.h"
#include "serial/CommPort.h"
#include "ui/Timer.h"
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The line as the user chose it: one port, or a search of ports 1 … 255, and the character format.
struct TLineChoice {
    bool Search = true;
    int Port = 1;
    // A rate the component does not offer (0 for a text that is no number) leaves the rate as it was.
    int Baud = 9600;
    TComControl Control = ccNone;
    TParity Parity = paNone;
    std::uint16_t DataBits = 8;
    TStopBits StopBits = sb1_0;
    bool Dtr = true;
    bool Rts = true;
};

// How a connect ended.
enum class TConnectOutcome {
    // 0xAA came back.
    Connected,
    // The one port chosen does not exist or another program holds it.
    PortMissing,
    // The one port chosen exists, but the component could not open it (the open failure said why).
    CantOpen,
    // The one port chosen stayed silent.
    NoReply,
    // An answer other than 0xAA, or none that could be trusted.
    WrongAnswer,
    // The search passed port 255 without an answer.
    NoController,
    // The port went away while it was probed (an adapter pulled out).
    PortLost,
};

struct TConnectResult {
    TConnectOutcome Outcome = TConnectOutcome::NoController;
    int Port = 0;
    // Connected to a controller whose checksums do not hold, answering the same twice.
    bool SumsDiffer = false;

    // The user's message: "Подключено на COM 3", "Ошибка открытия COM 7 !" …; empty after CantOpen.
    std::string Text() const;
    // The warning after connecting to a controller whose checksums do not hold; empty otherwise.
    std::string SumsWarning() const;
    // What the line did during the probe: "Линия с помехами: …", or nothing on a clean line.
    std::string NoiseNote{};
};

// The connection to the controller: the line settings, the port search, the probe, and the
// start and end of each read and write. It shows nothing: it reports what happens through the
// On… callbacks, each raised once its own state is whole again, so whoever shows a report may
// run an event loop meanwhile. The editor's main window, the command line, the benchmark and the
// fuzz target subscribe to them alike.
class TConnection {
    // Declared first: the link keeps it.
    uint8_t FLinkMode = LinkProtocol::ModeIdle;

public:
    static inline const std::string NoController = "Контроллер не найден";
    static inline const std::string ReadingCaption = "Чтение данных ...";
    static inline const std::string WritingCaption = "Запись данных ...";
    static inline const std::string PairsNote =
        "Контрольные суммы в ответах контроллера не совпадают: каждый ответ принят, когда пришёл "
        "дважды одинаковым.";
    // The box for a written block the controller holds otherwise.
    static std::string CompareText(uint16_t address);

    explicit TConnection(THandOver& handOver);
    ~TConnection();
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    // 0 idle, 1 probing, 2 writing, 3 reading: the one LinkMode, which the link keeps up to date.
    uint8_t LinkMode() const { return FLinkMode; }
    bool Transferring() const {
        return FLinkMode == LinkProtocol::ModeRead || FLinkMode == LinkProtocol::ModeWrite;
    }
    // The port in use or under test (1 … 255).
    int PortNumber() const { return FPortNumber; }

    // The component that carries the bytes; tests give it a fake device.
    TCommPort Port;
    // The conversation of each probe, read and write: framing, checks, retries, the reply timer.
    TControllerLink Link{FLinkMode};
    // Steps the search on to the next port every 1000 ms; the owner runs it as it runs Link.ReplyTimer.
    TTimer SearchTimer{"Timer"};
    // Watches the line every second while connected: a port that went away meanwhile (a USB
    // adapter pulled out) ends the connection even when nothing is being sent, told as a
    // connect that ended with PortLost. The owner runs it as it runs SearchTimer.
    TTimer LineTimer{"LineTimer"};
    // Whether port n exists and can be opened exclusively now; tests may replace it.
    std::function<bool(int)> PortTest;

    // The choices take effect at once, the port's warnings are reported.
    void Apply(const TLineChoice& choice);
    // Probes the chosen port, or searches from port 1.
    void Connect();
    // Ends what runs and closes the port; nothing is reported.
    void Disconnect();
    // Disconnects for good: what comes in meanwhile is neither handled nor reported.
    void Shut();
    // from: the image the read starts over; Link.Received holds the blocks as they come.
    void StartRead(const ConfigImage& from);
    void StartWrite(const ConfigImage& image);

    // The component's received-data event: takes what waits and hands it to HandleDelivery.
    void DataReceived();
    // One delivery of received bytes.
    void HandleDelivery(const uint8_t* data, size_t size);
    // SearchTimer's period has passed.
    void SearchTick();
    // LineTimer's period has passed.
    void LineTick();

    // The probe went out on `port`.
    std::function<void(int port)> OnProbing;
    // The component could not open `port`; a search goes on with the next port.
    std::function<void(int port, const TSerialErrorInfo& reason)> OnOpenFailed;
    // The component's warning about the character format.
    std::function<void(const std::string& text)> OnPortWarning;
    std::function<void(const TConnectResult& result)> OnConnectEnded;
    // A block reply was taken (a read's block is in Link.Received); differs: a written block the
    // controller holds otherwise. The next request goes out once it returns; bytes that come
    // meanwhile wait in the link.
    std::function<void(uint16_t address, bool differs)> OnBlock;
    // A read or write ended; lineLost: the port went away with it and is closed.
    std::function<void(const TTransferResult& result, bool lineLost)> OnTransferEnded;
    // Every packet sent and every delivery taken, and the link's plain lines, for the traffic log.
    std::function<void(const uint8_t* data, size_t size, bool received)> OnTraffic;
    std::function<void(const std::string& line)> OnLogLine;

private:
    using TReports = std::vector<std::function<void()>>;
    void ProbePort();
    void StartTransfer(uint8_t mode, const ConfigImage& image);
    void Send(const uint8_t* data, size_t size);
    void LinkEnded();
    void TakeWarnings(TReports& reports);

    int FPortNumber = 1;
    bool FSearch = true;
};
