#pragma once
#include "link/LinkProtocol.h"
#include "link/TransferResult.h"
#include "model/ConfigImage.h"
#include "ui/Timer.h"
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The conversation with the controller: one request out, one reply back, for the probe and
// for each block of a read or a write. A reply is framed by its header, only from bytes that
// came after its request went out, and used only once its checksum holds; until the line has
// proved clean in the operation, a read's block counts only when the same reply came twice. A
// request without a good reply is sent again; a block that gets none after many tries in a row,
// or an operation that runs far over its time, ends the operation. A write reads every block
// back after the last one. The editor and the command line both run it and learn from Result
// how the operation ended.
class TControllerLink {
public:
    using TClock = std::chrono::steady_clock;

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
    // Whether the port hung up or vanished: asked before every request and whenever a reply is
    // overdue.
    std::function<bool()> PortGone;
    // The clock of the operation's time and the controller's answer times; tests set their own.
    std::function<TClock::time_point()> Now = [] { return TClock::now(); };

    // Runs out when a reply is overdue: the front ends run it, tests tick it by hand.
    TTimer ReplyTimer{"ReplyTimer"};

    // A write reads every block back after the last one and compares it with the image.
    bool ReadBack = true;

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
    // How far the read or write is, 0 … 2048: a write that reads back has that as its second half.
    int Progress() const;

    TTransferResult Result;
    // The probe's answer byte once trusted.
    uint8_t ProbeAnswer = 0;
    // The connecting probe was answered with a checksum that does not hold, the same twice, on a
    // line that showed no noise.
    bool SumsDiffer = false;
    // A read's image: the starting image with every block received so far.
    ConfigImage Received;

private:
    using TBytes = LinkProtocol::TBytes;
    using TMilliseconds = std::chrono::milliseconds;
    enum class THeader { None, Partial, Whole };
    enum class TKind { Probe, Read, Write, Verify };
    // One request and what it takes to be answered.
    struct TStep {
        TKind Kind = TKind::Probe;
        uint16_t Address = 0;
        // The block's one move of the operation (not a check, a rewrite or the read-back).
        bool Moves = false;
        // A reply taken before on its checksum alone, which this step's reply must repeat.
        TBytes Earlier;
    };
    // Why tries failed, to name why a step did.
    enum TFailure : unsigned { Silent = 1, Garbled = 2, BadSum = 4, OtherBlock = 8 };

    void Begin(uint8_t mode);
    void Next();
    void Request();
    void SendAgain();
    void Arm(TMilliseconds wait);
    size_t RequestSize() const;
    size_t ReplySize() const;
    TMilliseconds SilenceWait() const;
    // How long a request of `request` bytes waits for its reply of `reply` bytes to begin.
    TMilliseconds QuietWait(size_t request, size_t reply) const;
    TMilliseconds Budget() const;
    THeader HeaderAt(size_t at) const;
    void Frame();
    bool Trusted(const uint8_t* reply);
    bool PairsAllowed() const;
    void Take(const TBytes& reply);
    void TakeBlock(const TBytes& reply);
    void Progressed();
    void Accept(const TBytes& reply, bool differs, bool alone);
    void OtherBlockNamed(const TBytes& reply, uint16_t address);
    void Noise();
    void Unprove();
    void Overdue();
    void CheckLine();
    void Failed(TFailure kind);
    TLinkOutcome FailureOutcome() const;
    void End(TLinkOutcome outcome);

    uint8_t& FMode;
    std::chrono::duration<double, std::milli> ByteTime{10.0 / 9.6};
    std::optional<TMilliseconds> FixedTimeout;
    bool Timed = true;
    TBytes Pending;
    bool Framing = false;

    TStep Current;
    std::deque<TStep> Steps;
    int Tries = 0;
    // Tries in a row that brought no good reply for the step, and why they failed.
    int Failures = 0;
    unsigned FailureKinds = 0;
    // Since the request last went out: anything heard, a reply that named another block.
    bool Heard = false;
    bool OtherHeard = false;
    std::optional<uint16_t> OtherAddress;
    TBytes LastBad;
    bool BadSumsVary = false;
    // A checked reply waiting to be confirmed by the same reply once more.
    TBytes LastGood;
    // Checked replies in a row without noise; once enough came the line has proved clean, and a
    // read's block may be taken on its checksum alone (kept here in case noise comes after all).
    int CleanRun = 0;
    bool Proven = false;
    std::vector<TStep> Alone;
    // Blocks a write request that went astray may have overwritten: written again before the end.
    std::array<bool, LinkProtocol::Blocks> Rewrites{};
    bool PairsMode = false;
    // Probes sent in the operation to tell a silent controller from a line that loses long
    // requests; whether the answer to one is awaited.
    int LineChecks = 0;
    bool CheckingLine = false;
    // The line has shown noise since the connecting probe.
    bool NoisyLine = false;
    ConfigImage Outgoing;
    int Planned = 0;
    int Done = 0;

    TClock::time_point Started{};
    TClock::time_point SentAt{};
    TClock::time_point LastHeard{};
    // How long the controller took to begin its latest answers, after its request was on the line.
    std::deque<TMilliseconds> Latencies;
};
