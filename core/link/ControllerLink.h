#pragma once
#include "link/LinkProtocol.h"
#include "link/TransferResult.h"
#include "model/ConfigImage.h"
#include "ui/Timer.h"
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The conversation with the controller: one request out, one reply back, for the probe and
// for each block of a read or a write. A reply is framed by its header and used only once its
// checksum holds; a request without a good reply is sent again; a reply that does not come
// ends the operation. The editor and the command line both run it and learn from Result how
// the operation ended.
class TControllerLink {
public:
    // mode: the connection's LinkMode, which this link keeps.
    explicit TControllerLink(uint8_t& mode);

    // Puts a packet on the line (the connection reports it for the traffic log too).
    std::function<void(const uint8_t* data, size_t size)> Send;
    // A plain line for the traffic log.
    std::function<void(const std::string& line)> Log;
    // A block reply was taken: a read's block is in Received; `differs`: a written block the
    // controller holds differently. The next request goes out after it returns.
    std::function<void(uint16_t address, bool differs)> OnBlock;
    // The operation ended; Result says how.
    std::function<void()> OnEnd;

    // Runs out when a reply is overdue: the front ends run it, tests tick it by hand.
    TTimer ReplyTimer{"ReplyTimer"};

    // The line's character format, from which the wait for a reply follows.
    void SetLine(int baud, double bitsPerCharacter);
    // A fixed wait for each reply instead (nothing: the line's).
    void SetTimeout(std::optional<std::chrono::milliseconds> timeout) { FixedTimeout = timeout; }
    // The longest wait for a reply of `size` bytes: three times its line time plus a second.
    std::chrono::milliseconds ReplyTimeout(size_t size) const;

    // timed: the link ends an unanswered probe itself; otherwise the port search moves on.
    void StartProbe(bool timed);
    // from: the image the read starts over; Received holds it until every block came.
    void StartRead(const ConfigImage& from);
    void StartWrite(const ConfigImage& image);
    void Receive(const uint8_t* data, size_t size);
    // Whether anything came back since the probe went out.
    bool ProbeHeard() const { return FMode == LinkProtocol::ModeProbe && Heard; }
    // The search moves on: a probe answer that came but could not be trusted is a wrong answer.
    void JudgeProbe();
    // Ends the operation without a verdict (the port closed under it).
    void Abandon();
    // Received bytes not yet framed into a reply.
    size_t Waiting() const { return Pending.size(); }

    TTransferResult Result;
    // The probe's answer byte once trusted.
    uint8_t ProbeAnswer = 0;
    // The connecting probe was answered with a checksum that does not hold, the same twice.
    bool SumsDiffer = false;
    // A read's image: the starting image with every block received so far.
    ConfigImage Received;

private:
    using TBytes = LinkProtocol::TBytes;
    enum class THeader { None, Partial, Whole };
    void Begin(uint8_t mode);
    void Request(uint16_t address);
    void SendAgain();
    void Arm(std::chrono::milliseconds wait);
    size_t ReplySize() const;
    THeader HeaderAt(size_t at) const;
    void Frame();
    bool Trusted(const uint8_t* reply);
    bool PairsAllowed() const;
    void Take(const TBytes& reply);
    void TakeBlock(const TBytes& reply);
    void Overdue();
    void Retry();
    void End(TLinkOutcome outcome);

    uint8_t& FMode;
    std::chrono::duration<double, std::milli> ByteTime{10.0 / 9.6};
    std::optional<std::chrono::milliseconds> FixedTimeout;
    bool Timed = true;
    TBytes Pending;
    bool Framing = false;
    // The request outstanding, how often it went out, and what came for it.
    uint16_t Requested = 0;
    int Tries = 0;
    // Sends answered by no reply that could be trusted.
    int Failures = 0;
    int Silences = 0;
    bool Heard = false;
    TBytes LastBad;
    // A checked reply waiting to be confirmed by the same reply once more.
    TBytes LastGood;
    // The line has shown noise in this operation: a checksum of CRC-8 lets one corrupted reply in
    // 256 through, so from now on every block reply is taken only when it comes twice the same.
    bool NoiseSeen = false;
    // The block taken last, and how often it had been asked for: a late reply to it is no news.
    std::optional<uint16_t> Previous;
    int PreviousTries = 0;
    bool PairsMode = false;
    ConfigImage Outgoing;
};
