#include "link/Connection.h"
#include <algorithm>

using namespace LinkProtocol;

namespace {
// Line bits of one character: start bit, data bits, parity bit, stop bits.
double BitsPerCharacter(const TCommPort& port) {
    const double stop = port.GetStopBits() == sb1_0 ? 1.0 : port.GetStopBits() == sb1_5 ? 1.5 : 2.0;
    return 1.0 + port.GetDataBits() + (port.GetParity() == paNone ? 0.0 : 1.0) + stop;
}
} // namespace

std::string TConnectResult::Text() const {
    const std::string port = "COM " + std::to_string(Port);
    switch (Outcome) {
    case TConnectOutcome::Connected:
        return "Подключено на " + port;
    case TConnectOutcome::PortMissing:
        return "Ошибка открытия " + port + " !";
    case TConnectOutcome::CantOpen:
        return {};
    case TConnectOutcome::NoReply:
        return "Нет ответа от контроллера на " + port;
    case TConnectOutcome::WrongAnswer:
        return "Ошибка подключения !";
    case TConnectOutcome::NoController:
        return TConnection::NoController;
    case TConnectOutcome::PortLost:
        return "Нет подключения";
    }
    return {};
}

std::string TConnectResult::SumsWarning() const {
    return SumsDiffer ? "Неверная контрольная сумма в ответе контроллера на COM " + std::to_string(Port) : "";
}

std::string TConnection::CompareText(uint16_t address) {
    return "Compare Erorr !!!\nблок " + Hex4(address);
}

TConnection::TConnection(THandOver& handOver) : Port(handOver), PortTest(TestOpenDevice) {
    Port.SetComNumber(1);
    Port.MonitorEvents = EventBit(evRxChar) | EventBit(evTxEmpty) | EventBit(evCTS) | EventBit(evDSR) |
                         EventBit(evRlsd) | EventBit(evBreak) | EventBit(evRing);
    Port.OnDataReceived = [this](TCommPort&, uint32_t) { DataReceived(); };
    Link.Send = [this](const uint8_t* data, size_t size) { Send(data, size); };
    Link.Log = [this](const std::string& line) {
        if (OnLogLine)
            OnLogLine(line);
    };
    Link.OnBlock = [this](uint16_t address, bool differs) {
        if (OnBlock)
            OnBlock(address, differs);
    };
    Link.OnEnd = [this] { LinkEnded(); };
    Link.PortGone = [this] { return Port.GetGone(); };
    SearchTimer.Interval = 1000;
    SearchTimer.OnTimer = [this](TTimer&) { SearchTick(); };
    LineTimer.Interval = 1000;
    LineTimer.OnTimer = [this](TTimer&) { LineTick(); };
}

TConnection::~TConnection() {
    Shut();
}

void TConnection::Shut() {
    Port.OnDataReceived = nullptr;
    Link.OnEnd = nullptr;
    Disconnect();
}

void TConnection::TakeWarnings(TReports& reports) {
    for (std::string& text : Port.TakeWarnings())
        reports.push_back([this, text = std::move(text)] {
            if (OnPortWarning)
                OnPortWarning(text);
        });
}

void TConnection::Apply(const TLineChoice& choice) {
    FSearch = choice.Search;
    FPortNumber = choice.Search ? 1 : choice.Port;
    Port.SetBaud(choice.Baud);
    Port.SetComControl(choice.Control);
    Port.SetParity(choice.Parity);
    // Together: a new invalid combination warns once, a valid one never.
    Port.SetCharacterFormat(choice.DataBits, choice.StopBits);
    Port.SetDTR(choice.Dtr);
    Port.SetRTS(choice.Rts);
    TReports reports;
    TakeWarnings(reports);
    for (const auto& report : reports)
        report();
}

void TConnection::Connect() {
    ProbePort();
}

void TConnection::Disconnect() {
    SearchTimer.SetRunning(false);
    LineTimer.SetRunning(false);
    Link.Abandon();
    Port.SetOpen(false);
}

void TConnection::ProbePort() {
    // Told once the step is done: a box may run an event loop, where the search timer or a
    // delivery must find the connection whole.
    TReports reports;
    auto end = [&](TConnectOutcome outcome) {
        reports.push_back([this, result = TConnectResult{outcome, FPortNumber}] {
            if (OnConnectEnded)
                OnConnectEnded(result);
        });
    };
    // A port that does not exist or cannot be opened costs no time: the search goes straight on.
    for (;; ++FPortNumber) {
        if (FPortNumber > 255) {
            FPortNumber = 255;
            Disconnect();
            end(TConnectOutcome::NoController);
            break;
        }
        FLinkMode = ModeProbe;
        if (!PortTest(FPortNumber)) {
            if (FSearch)
                continue;
            SearchTimer.SetRunning(false);
            end(TConnectOutcome::PortMissing);
            break;
        }
        Port.SetComNumber(FPortNumber);
        Port.SetOpen(true);
        TakeWarnings(reports);
        if (Port.GetOpen()) {
            Port.FlushInBuffer();
            Link.SetLine(Port.GetBaud(), BitsPerCharacter(Port));
            // A fixed port waits for its answer as long as the link does; a search steps on with the timer.
            Link.StartProbe(!FSearch);
            SearchTimer.SetRunning(FSearch);
            // The port now tried comes before what happened on the way to it.
            reports.insert(reports.begin(), [this, port = FPortNumber] {
                if (OnProbing)
                    OnProbing(port);
            });
            break;
        }
        reports.push_back([this, port = FPortNumber, reason = Port.GetOpenError()] {
            if (OnOpenFailed)
                OnOpenFailed(port, reason);
        });
        if (!FSearch) {
            Disconnect();
            end(TConnectOutcome::CantOpen);
            break;
        }
    }
    for (const auto& report : reports)
        report();
}

void TConnection::SearchTick() {
    if (FLinkMode == ModeProbe && FSearch) {
        // An answer that began but could not be trusted is judged now rather than waited for.
        if (Link.ProbeHeard()) {
            Link.JudgeProbe();
            return;
        }
        ++FPortNumber;
        ProbePort();
        return;
    }
    SearchTimer.SetRunning(false);
}

void TConnection::LineTick() {
    // A transfer finds a lost port itself and says so when it ends.
    if (FLinkMode != ModeIdle || !Port.GetOpen() || !Port.GetGone())
        return;
    Disconnect();
    if (OnConnectEnded)
        OnConnectEnded({TConnectOutcome::PortLost, FPortNumber});
}

void TConnection::StartRead(const ConfigImage& from) {
    StartTransfer(ModeRead, from);
}

void TConnection::StartWrite(const ConfigImage& image) {
    StartTransfer(ModeWrite, image);
}

void TConnection::StartTransfer(uint8_t mode, const ConfigImage& image) {
    Link.SetLine(Port.GetBaud(), BitsPerCharacter(Port));
    // Bytes left from an earlier exchange would only be stray bytes before the first reply.
    Port.FlushInBuffer();
    if (mode == ModeRead)
        Link.StartRead(image);
    else
        Link.StartWrite(image);
}

void TConnection::Send(const uint8_t* data, size_t size) {
    if (OnTraffic)
        OnTraffic(data, size, false);
    Port.PutBlock(reinterpret_cast<const char*>(data), static_cast<uint32_t>(size));
}

void TConnection::DataReceived() {
    SearchTimer.SetRunning(false);
    // The port tells of received bytes again only when more come: what waits is taken now, piece
    // by piece. Only what waited when the delivery came: bytes that come meanwhile bring a
    // delivery of their own, and a line flooding faster than it is framed must not hold the UI
    // thread here. A piece that ends the exchange leaves the rest in the ring: stray bytes,
    // flushed when the next probe, read or write starts.
    uint32_t left = Port.GetInBuffUsed();
    uint8_t work[ImageSize];
    while (left > 0 && FLinkMode != ModeIdle) {
        const uint32_t size = Port.GetBlock(reinterpret_cast<char*>(work), sizeof work);
        if (size == 0)
            break;
        left -= std::min(left, size);
        HandleDelivery(work, size);
    }
}

void TConnection::HandleDelivery(const uint8_t* data, size_t size) {
    if (size == 0 || FLinkMode == ModeIdle)
        return;
    if (OnTraffic)
        OnTraffic(data, size, true);
    if (FLinkMode != ModeProbe && OnLogLine)
        OnLogLine("byte=" + Hex4(static_cast<unsigned>(size)));
    Link.Receive(data, size);
    // A search waits for an answer that has begun no longer than for one that has not: the
    // next tick judges it.
    if (FLinkMode == ModeProbe && FSearch)
        SearchTimer.SetRunning(true);
}

void TConnection::LinkEnded() {
    const TTransferResult& result = Link.Result;
    if (result.Mode == ModeProbe) {
        SearchTimer.SetRunning(false);
        // The search may have moved on since it probed the port that answered.
        FPortNumber = Port.GetComNumber();
        TConnectResult connect{TConnectOutcome::WrongAnswer, FPortNumber};
        if (result.Outcome == TLinkOutcome::Done) {
            connect.Outcome = TConnectOutcome::Connected;
            connect.SumsDiffer = Link.SumsDiffer;
            LineTimer.SetRunning(true);
        } else if (result.Outcome == TLinkOutcome::NoReply || result.Outcome == TLinkOutcome::PortLost) {
            connect.Outcome = result.Outcome == TLinkOutcome::NoReply ? TConnectOutcome::NoReply
                                                                      : TConnectOutcome::PortLost;
            Disconnect();
        }
        connect.NoiseNote = result.NoiseNote();
        if (OnConnectEnded)
            OnConnectEnded(connect);
        return;
    }
    const bool lost = !result.Whole() && Port.GetGone();
    if (lost)
        Disconnect();
    if (OnTransferEnded)
        OnTransferEnded(result, lost);
}
