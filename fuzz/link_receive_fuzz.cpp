// The receive handler with arbitrary deliveries in every link mode. The port stays closed, so
// the packets the handler sends go nowhere; the deliveries reach it through HandleDelivery,
// the same path CommPortDataReceived takes once it has the bytes.
#include "FuzzUi.h"
#include "app/UnitMain.h"
#include <cstdlib>
#include <cstring>

namespace {
void Check(bool condition) {
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFuzzUi ui;
    static TMain main(ui, "");
    static const ConfigImage start = main.Image;
    // No real device is touched: every port fails the port test, so a probe only waits.
    main.PortTest = [](int) { return false; };
    main.Image = start;
    main.LinkMode = 0;
    if (size < 1)
        return 0;
    // The first byte: the operation started (probe, write, read) and whether the views are shown.
    const uint8_t setup = data[0];
    if (setup & 0x10)
        main.TBDebugClick();
    else {
        main.Dbg.Hide();
        main.FormPort.Hide();
    }
    switch (setup & 0x03) {
    case 0:
        main.ProbePort();
        break;
    case 1:
        main.TBWriteClick();
        break;
    default:
        main.TBReadClick();
        break;
    }
    const ConfigImage before = main.Image;
    const uint8_t readHeader[4] = {0x00, 0x01, 0x06, 0x33}, writeHeader[4] = {0x00, 0x01, 0x26, 0x44};
    // Then deliveries: a length byte (scaled up to 2048) and that many bytes.
    size_t at = 1;
    while (at < size) {
        const size_t want = std::min<size_t>(size_t(data[at]) * 9, 2048);
        ++at;
        const size_t n = std::min(want, size - at);
        const bool writing = main.LinkMode == 2;
        main.HandleDelivery(data + at, n);
        at += n;
        Check(main.LinkMode <= 3);
        Check(main.ReplyCount >= 0 && main.ReplyCount < static_cast<int32_t>(TMain::ReplySize));
        Check(main.ProgressBar.Position() <= 2048 + 32);
        Check(std::memcmp(main.ReadRequest, readHeader, 4) == 0);
        Check(std::memcmp(main.WritePacket, writeHeader, 4) == 0);
        if (writing)
            Check(std::memcmp(main.Image.Data(), before.Data(), Layout::ImageSize) == 0);
    }
    return 0;
}
