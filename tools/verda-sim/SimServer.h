#pragma once
#include "SimController.h"
#include "SimOptions.h"
#include "SimPty.h"
#include <chrono>
#include <cstdint>

// Carries bytes between the pseudo-terminal and the controller: optional line pacing,
// replies in pieces, the hang-up after a number of answers, and a half-received request
// dropped once the line has been idle for a packet's time or the editor clears its input.
class TSimServer {
public:
    TSimServer(TSimController& controller, TSimPty& pty, const TSimOptions& options);
    // Serves until stopFd becomes readable.
    void Run(int stopFd);

private:
    using TClock = std::chrono::steady_clock;

    // Waits for the deadline; false if a stop was asked for meanwhile.
    bool WaitUntil(TClock::time_point deadline);
    // False when the server must stop.
    bool Receive();
    // Waits until the editor has read what was sent; false if a stop was asked for.
    bool AwaitDelivery();
    bool Send(const TSimController::TBytes& reply);
    bool SendPiece(const uint8_t* data, size_t n);
    bool WriteAll(const uint8_t* data, size_t n);
    std::chrono::nanoseconds ByteTimeNow() const;

    TSimController& Controller;
    TSimPty& Pty;
    const TSimOptions& Options;
    int StopFd = -1;
    uint64_t Sent = 0;
    // When each direction of the line is next free, for pacing.
    TClock::time_point RxFreeAt{};
    TClock::time_point TxFreeAt{};
    // When the last received byte was through.
    TClock::time_point LastByteAt{};
};
