// The editor's link with its own event mask through the Win32 serial device: under Wine, a COM
// port linked to verda-sim's pseudo-terminal (no modem lines), named by scripts/test-windows.sh.
#include "app/UnitMain.h"
#include "forms/Port.h"
#include "support/FakeUi.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(ComPortTransfer, WriteThenReadThroughTheWin32Device) {
    const char* setting = std::getenv("VAROK_WINE_COM");
    const int port = setting ? std::atoi(setting) : 0;
    if (port <= 0)
        GTEST_SKIP() << "VAROK_WINE_COM names no port (scripts/test-windows.sh sets it)";
    FakeUi ui;
    TMain main(ui, "");
    auto finished = [&] {
        return PumpUntil(
            main.HandOver, [&] { return main.Connection.LinkMode() == 0; }, std::chrono::seconds(30));
    };
    ui.FormScripts.push_back([port](TForm& form) {
        auto& dialog = static_cast<TSetComPort&>(form);
        dialog.CheckBox1.Click();
        dialog.SelectPort(port);
        dialog.Button1.Click();
        return dialog.ModalResult;
    });
    main.TBFind.Click();
    ASSERT_TRUE(finished());
    ASSERT_EQ(main.StatusBar1.PanelText(0), "Подключено на COM " + std::to_string(port));

    uint8_t pattern[Layout::ImageSize];
    for (size_t i = 0; i < sizeof pattern; ++i)
        pattern[i] = static_cast<uint8_t>(i * 13 + (i >> 8) + 5);
    std::copy(std::begin(pattern), std::end(pattern), main.Image.Data());
    main.TBWriteClick();
    ASSERT_TRUE(finished());
    EXPECT_EQ(main.Connection.Link.Result.Outcome, TLinkOutcome::Done);

    main.TBReadClick();
    ASSERT_TRUE(finished());
    // The image as received, before the editor's refill.
    EXPECT_TRUE(std::equal(std::begin(pattern), std::end(pattern), main.Connection.Link.Received.Data()));
    EXPECT_EQ(main.ProgressBar.Position(), static_cast<int>(Layout::ImageSize));
}

} // namespace
