#pragma once
#include "base/HandOver.h"
#include "serial/CommPort.h"
#include "support/FakeSerialDevice.h"

#include <chrono>
#include <functional>

// A port on the fake device, with the test thread as the UI thread.
struct TSerialFixture {
    THandOver HandOver;
    TFakeSerialDevice Fake;
    TCommPort Port{HandOver};
    int LastComNumber = 0;

    TSerialFixture() {
        Port.DeviceFactory = [this](int n) {
            LastComNumber = n;
            return Fake.Connect();
        };
    }
    // Handlers of a test capture its locals: the port closes without them.
    ~TSerialFixture() {
        Port.OnOpen = nullptr;
        Port.OnClose = nullptr;
        Port.OnDataReceived = nullptr;
        // A test that failed while it held the fake's reads or writes must not hang the close.
        Fake.HoldReads(false);
        Fake.HoldWrites(false);
        Port.SetOpen(false);
    }
    bool Pump(const std::function<bool()>& cond,
              std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        return PumpUntil(HandOver, cond, timeout);
    }
    static std::chrono::steady_clock::time_point Soon() {
        return std::chrono::steady_clock::now() + std::chrono::seconds(10);
    }
};
