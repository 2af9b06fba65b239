// The receive handler with arbitrary deliveries in every link mode, on one connection that is
// put back between inputs. The port stays closed, so the packets the link sends go nowhere; the
// deliveries reach it through HandleDelivery, the same path DataReceived takes once it has the
// bytes.
#include "link/Connection.h"
#include <algorithm>
#include <cstdlib>

namespace {
using namespace LinkProtocol;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// What the connection reported of the operation under way.
struct TReports {
    int Ends = 0;
    int Blocks = 0;
};

TConnection& Line(TReports& reports) {
    static THandOver handOver;
    static TConnection connection(handOver);
    // No real device is touched: every port fails the port test.
    connection.PortTest = [](int) { return false; };
    connection.OnConnectEnded = [&reports](const TConnectResult&) { ++reports.Ends; };
    connection.OnTransferEnded = [&reports](const TTransferResult& result, bool) {
        ++reports.Ends;
        // A read said to be done moved every block once.
        Check(result.Outcome != TLinkOutcome::Done || result.Mode != ModeRead || result.Complete());
    };
    connection.OnBlock = [&reports](uint16_t address, bool) {
        ++reports.Blocks;
        Check(IsBlockAddress(address));
    };
    return connection;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TReports reports;
    static TConnection& connection = Line(reports);
    static const ConfigImage start;
    // Disconnecting ends whatever the last input left running.
    connection.Disconnect();
    reports = {};
    if (size < 1)
        return 0;
    // The first byte: the operation started (a searching probe, write, read, a fixed port's probe).
    // A searching probe waits on the search timer, as a connect starts it.
    TLineChoice line;
    line.Search = (data[0] & 0x03) == 0;
    connection.Apply(line);
    switch (data[0] & 0x03) {
    case 0:
        connection.Link.StartProbe(false);
        connection.SearchTimer.SetRunning(true);
        break;
    case 1:
        connection.StartWrite(start);
        break;
    case 2:
        connection.StartRead(start);
        break;
    default:
        connection.Link.StartProbe(true);
        break;
    }
    // Then deliveries: a length byte (scaled up to 2048) and that many bytes.
    size_t at = 1;
    while (at < size) {
        const size_t want = std::min<size_t>(size_t(data[at]) * 9, ImageSize);
        ++at;
        const size_t n = std::min(want, size - at);
        connection.HandleDelivery(data + at, n);
        at += n;
        Check(connection.LinkMode() <= ModeRead);
        Check(connection.Link.Waiting() <= 4 * BlockPacketSize);
        // The link ends a transfer that a controller keeps steering back.
        Check(reports.Blocks <= static_cast<int>(2 * Blocks));
        Check(reports.Ends <= 1);
    }
    // Overdue replies end every operation, whatever came before; the search's tick then moves on
    // past the last port.
    for (int tick = 0; tick < 32 && connection.LinkMode() != ModeIdle; ++tick)
        connection.Link.ReplyTimer.Tick();
    connection.SearchTimer.Tick();
    Check(connection.LinkMode() == ModeIdle);
    Check(reports.Ends == 1);
    return 0;
}
