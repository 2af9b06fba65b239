// The receive handler with arbitrary deliveries in every link mode, on one main window that
// is put back between inputs. The port stays closed, so the packets the handler sends go
// nowhere; the deliveries reach it through HandleDelivery, the same path CommPortDataReceived
// takes once it has the bytes. The diagnostic windows stay hidden: refilling the image view
// for every block would cost more than everything else together.
#include "FuzzUi.h"
#include "app/UnitMain.h"
#include <cstdlib>
#include <cstring>

namespace {
using namespace LinkProtocol;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

TMain& Window() {
    static TFuzzUi ui;
    static TMain main(ui, "");
    // No real device is touched: every port fails the port test, so a probe only waits.
    main.PortTest = [](int) { return false; };
    return main;
}

// Disconnecting ends whatever the last input left running; then the start state.
void Reset(TMain& main, const ConfigImage& start) {
    main.TBFind.SetDown(true);
    main.TBFind.Click();
    main.PortNumber = 1;
    main.Image = start;
    main.Saved = true;
    main.ProgressBar.SetPosition(0);
    main.FormPort.Memo1.Clear();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMain& main = Window();
    static const ConfigImage start = main.Image;
    Reset(main, start);
    if (size < 1)
        return 0;
    // The first byte: the operation started (a searching probe, write, read, a fixed port's probe).
    // A searching probe waits on the search timer, as the connect command starts it.
    switch (data[0] & 0x03) {
    case 0:
        main.Link.StartProbe(false);
        main.Timer.SetRunning(true);
        break;
    case 1:
        main.TBWriteClick();
        break;
    case 2:
        main.TBReadClick();
        break;
    default:
        main.Link.StartProbe(true);
        break;
    }
    // Then deliveries: a length byte (scaled up to 2048) and that many bytes.
    size_t at = 1;
    while (at < size) {
        const size_t want = std::min<size_t>(size_t(data[at]) * 9, ImageSize);
        ++at;
        const size_t n = std::min(want, size - at);
        const bool done = main.Link.Result.Outcome == TLinkOutcome::Done;
        main.HandleDelivery(data + at, n);
        at += n;
        Check(main.LinkMode <= ModeRead);
        Check(main.Link.Waiting() <= 4 * BlockPacketSize);
        Check(main.ProgressBar.Position() <= main.ProgressBar.Max);
        // The project's image changes only when a whole read is done.
        if (!done && main.Link.Result.Outcome != TLinkOutcome::Done)
            Check(main.Image == start);
    }
    // Overdue replies end every operation, whatever came before.
    for (int tick = 0; tick < 32 && main.LinkMode != ModeIdle; ++tick)
        main.Link.ReplyTimer.Tick();
    main.Timer.Tick();
    Check(main.LinkMode == ModeIdle);
    if (main.Link.Result.Outcome != TLinkOutcome::Done || main.Link.Result.Mode != ModeRead)
        Check(main.Image == start);
    return 0;
}
