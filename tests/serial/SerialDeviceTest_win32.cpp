// The Win32 serial device on a COM port whose peer takes bytes at 110 baud, so a large write is
// held back as under flow control. Under Wine, scripts/test-windows.sh maps the port to a
// pseudo-terminal served by verda-sim --pace and names it in VAROK_WINE_SLOW_COM.
#include "serial/CommTypes.h"
#include "serial/SerialDevice.h"

#include <chrono>
#include <cstdlib>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// The write runs on a thread of its own that outlives a test which gave up on it.
std::future<TSerialError> StartWrite(const std::shared_ptr<TSerialDevice>& device,
                                     const std::shared_ptr<const std::string>& block) {
    auto task = std::make_shared<std::packaged_task<TSerialError()>>([device, block] {
        std::uint32_t done = 0;
        return device->Write(block->data(), static_cast<std::uint32_t>(block->size()), done);
    });
    auto result = task->get_future();
    std::thread([task] { (*task)(); }).detach();
    return result;
}

TEST(Win32SerialDevice, TransmitAbortEndsTheHeldWriteAndOneIssuedRightAfterIt) {
    const char* setting = std::getenv("VAROK_WINE_SLOW_COM");
    const int port = setting ? std::atoi(setting) : 0;
    if (port <= 0)
        GTEST_SKIP() << "VAROK_WINE_SLOW_COM names no port (scripts/test-windows.sh sets it)";
    const std::shared_ptr<TSerialDevice> device = MakeSerialDevice(port);
    ASSERT_EQ(device->Open().Error, TSerialError::None);
    TLineSettings settings;
    ASSERT_TRUE(device->GetSettings(settings));
    settings.Rate = 110;
    ASSERT_TRUE(device->SetSettings(settings));
    const auto block = std::make_shared<const std::string>(1 << 20, 'U');

    // A write held back by the slow peer ends when the close's purge comes.
    auto held = StartWrite(device, block);
    // A megabyte at 110 baud takes a day: still running after a while means held back.
    ASSERT_EQ(held.wait_for(300ms), std::future_status::timeout) << "the peer took the whole block";
    device->Purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
    ASSERT_EQ(held.wait_for(10s), std::future_status::ready) << "the held write did not end";
    EXPECT_EQ(held.get(), TSerialError::Cancelled);

    // A write issued just after the purge ends too, rather than waiting for the peer.
    device->Purge(PurgeFlag::TxAbort | PurgeFlag::TxClear);
    auto late = StartWrite(device, block);
    ASSERT_EQ(late.wait_for(10s), std::future_status::ready) << "the write after the purge did not end";
    EXPECT_EQ(late.get(), TSerialError::Cancelled);
    device->Close();
}

} // namespace
