#include "link/ControllerLink.h"
#include <algorithm>
#include <utility>

using namespace LinkProtocol;

namespace {
// A step fails after this many tries in a row that brought no good reply for its block. A line
// that garbles 1 % of the bytes both ways spoils about half the write exchanges: 20 in a row
// happen to one block in two hundred thousand.
constexpr int MaxFailures = 20;
// Checked replies in a row, with no noise between them, that prove the line clean for the
// operation. CRC-8 lets one garbled reply in 256 through: until then a read's block counts only
// when the same reply came twice.
constexpr int ProofReplies = 8;
// A reply that has begun and then stops for this long (plus ten characters' time) is broken: more
// than the port's 50 ms between deliveries. Asking again too early costs only an answer twice.
constexpr std::chrono::milliseconds GapBase{100};
// A request that brought nothing goes out again after the exchange's time on the line and this
// margin, or twice the longest the controller took lately to begin an answer if that is more.
constexpr std::chrono::milliseconds MarginFloor{200};
constexpr size_t LatencyWindow = 8;
// Probes sent to a controller that stopped answering long requests before it is called silent.
constexpr int LineCheckProbes = 5;
// An operation may take this many times its time on a clean line, and never less than MinBudget.
constexpr int BudgetFactor = 8;
constexpr std::chrono::milliseconds MinBudget{10000};
// Bytes kept while looking for a reply: far more than any reply, so stray bytes cannot grow it.
constexpr size_t MaxPending = 4 * BlockPacketSize;

// CRC-8 sees every error confined to one byte, so a reply whose checksum held and another copy
// that differs from it in one byte at most agree on all the line could have changed unseen: the
// checked one is right unless the other repeated its hidden error byte for byte.
bool NearCopy(const TBytes& checked, const uint8_t* other) {
    size_t differing = 0;
    for (size_t i = 0; i < checked.size(); ++i)
        if (checked[i] != other[i] && ++differing > 1)
            return false;
    return true;
}

bool HoldsBlock(const TBytes& reply, const ConfigImage& image, uint16_t address) {
    return std::equal(reply.begin() + DataAt, reply.begin() + DataAt + BlockSize, image.Data() + address);
}
} // namespace

TControllerLink::TControllerLink(uint8_t& mode) : FMode(mode) {
    ReplyTimer.OnTimer = [this](TTimer&) { Overdue(); };
}

void TControllerLink::SetLine(int baud, double bitsPerCharacter) {
    if (baud > 0)
        ByteTime = std::chrono::duration<double, std::milli>(bitsPerCharacter * 1000.0 / baud);
}

std::chrono::milliseconds TControllerLink::ReplyTimeout(size_t size) const {
    if (FixedTimeout)
        return *FixedTimeout;
    const auto line = ByteTime * static_cast<double>(size) * 3.0;
    return std::chrono::ceil<std::chrono::milliseconds>(line) + std::chrono::seconds(1);
}

size_t TControllerLink::RequestSize() const {
    switch (Current.Kind) {
    case TKind::Probe:
        return ProbeSize;
    case TKind::Write:
        return BlockPacketSize;
    default:
        return ReadRequestSize;
    }
}

size_t TControllerLink::ReplySize() const {
    return Current.Kind == TKind::Probe ? ProbeSize : BlockPacketSize;
}

TControllerLink::TMilliseconds TControllerLink::SilenceWait() const {
    return QuietWait(RequestSize(), ReplySize());
}

TControllerLink::TMilliseconds TControllerLink::QuietWait(size_t request, size_t reply) const {
    const TMilliseconds longest = ReplyTimeout(reply);
    // Until this controller has answered, it gets the longest wait.
    if (Latencies.empty())
        return longest;
    const TMilliseconds margin =
        std::max(MarginFloor, 2 * *std::max_element(Latencies.begin(), Latencies.end()));
    const auto line = std::chrono::ceil<TMilliseconds>(ByteTime * static_cast<double>(request + reply));
    return std::min(longest, line + margin);
}

TControllerLink::TMilliseconds TControllerLink::Budget() const {
    const double latency =
        Latencies.empty()
            ? 0.0
            : static_cast<double>(std::min_element(Latencies.begin(), Latencies.end())->count());
    // The first bytes of an answer often come with the whole of it, so the answer's own time on
    // the line is part of the latency measured, not in addition to it.
    const double reply = std::max(latency, static_cast<double>(BlockPacketSize) * ByteTime.count());
    const auto exchange = [&](size_t request) {
        return static_cast<double>(request) * ByteTime.count() + reply;
    };
    double clean = Blocks * exchange(FMode == ModeWrite ? BlockPacketSize : ReadRequestSize);
    if (Planned > static_cast<int>(Blocks))
        clean += Blocks * exchange(ReadRequestSize);
    return std::max(MinBudget, TMilliseconds(static_cast<TMilliseconds::rep>(BudgetFactor * clean)));
}

int TControllerLink::Progress() const {
    return Planned > 0 ? Done * static_cast<int>(ImageSize) / Planned : 0;
}

void TControllerLink::Begin(uint8_t mode) {
    FMode = mode;
    Result = {};
    Result.Mode = mode;
    Pending.clear();
    Steps.clear();
    Alone.clear();
    Rewrites.fill(false);
    LineChecks = 0;
    PairsMode = false;
    CleanRun = 0;
    Proven = false;
    Done = 0;
    Started = LastHeard = Now();
}

void TControllerLink::StartProbe(bool timed) {
    Begin(ModeProbe);
    Timed = timed;
    ProbeAnswer = 0;
    Planned = 0;
    // A new connection: the controller's answer times and the line are learnt anew.
    Latencies.clear();
    NoisyLine = false;
    Steps.push_back({});
    Next();
}

void TControllerLink::StartRead(const ConfigImage& from) {
    Begin(ModeRead);
    Timed = true;
    Received = from;
    for (size_t block = 0; block < Blocks; ++block)
        Steps.push_back({TKind::Read, static_cast<uint16_t>(block * BlockSize), true, {}});
    Planned = static_cast<int>(Blocks);
    Next();
}

void TControllerLink::StartWrite(const ConfigImage& image) {
    Begin(ModeWrite);
    Timed = true;
    Outgoing = image;
    for (size_t block = 0; block < Blocks; ++block)
        Steps.push_back({TKind::Write, static_cast<uint16_t>(block * BlockSize), true, {}});
    Planned = static_cast<int>(ReadBack ? 2 * Blocks : Blocks);
    Next();
}

void TControllerLink::Next() {
    if (Steps.empty() && FMode == ModeWrite) {
        // Blocks that a request gone astray may have overwritten are written again; then every
        // block is read back, the only proof of what the controller holds.
        for (size_t block = 0; block < Blocks; ++block)
            if (std::exchange(Rewrites[block], false))
                Steps.push_back({TKind::Write, static_cast<uint16_t>(block * BlockSize), false, {}});
        if (Steps.empty() && Planned > static_cast<int>(Blocks) && !Result.ReadingBack) {
            Result.ReadingBack = true;
            for (size_t block = 0; block < Blocks; ++block)
                Steps.push_back({TKind::Verify, static_cast<uint16_t>(block * BlockSize), false, {}});
        }
    }
    if (Steps.empty()) {
        End(Result.CompareFailures.empty() ? TLinkOutcome::Done : TLinkOutcome::Compare);
        return;
    }
    Current = std::move(Steps.front());
    Steps.pop_front();
    Request();
}

void TControllerLink::Request() {
    Tries = 0;
    Failures = 0;
    FailureKinds = 0;
    LastBad.clear();
    BadSumsVary = false;
    OtherAddress.reset();
    LastGood = Current.Earlier;
    SendAgain();
}

void TControllerLink::SendAgain() {
    if (PortGone && PortGone()) {
        End(TLinkOutcome::PortLost);
        return;
    }
    if (FMode != ModeProbe && Now() - Started > Budget()) {
        Result.OutOfTime = true;
        End(TLinkOutcome::Noise);
        return;
    }
    // Bytes that came before the request goes out are never part of its reply: the late tail of
    // an abandoned reply would splice with the next one into a frame that repeats byte for byte.
    if (!Pending.empty()) {
        Pending.clear();
        Noise();
    }
    if (Tries++ > 0)
        ++Result.Resent;
    CheckingLine = false;
    Heard = false;
    OtherHeard = false;
    TBytes packet;
    if (Current.Kind == TKind::Probe)
        packet = ProbePacket();
    else if (Current.Kind == TKind::Write)
        packet = WriteRequestPacket(Current.Address, {Outgoing.Data() + Current.Address, BlockSize});
    else
        packet = ReadRequestPacket(Current.Address);
    SentAt = Now();
    if (Send)
        Send(packet.data(), packet.size());
    Arm(SilenceWait());
}

void TControllerLink::Arm(TMilliseconds wait) {
    // Stopped and started again, so a running timer begins its period anew.
    ReplyTimer.SetRunning(false);
    ReplyTimer.Interval = static_cast<int>(std::max<TMilliseconds::rep>(1, wait.count()));
    ReplyTimer.SetRunning(Timed);
}

void TControllerLink::Receive(const uint8_t* data, size_t size) {
    if (FMode == ModeIdle || size == 0)
        return;
    const auto now = Now();
    if (!Heard && !CheckingLine) {
        // The first bytes after a request: how long the controller took to begin its answer.
        const auto onLine = std::chrono::ceil<TMilliseconds>(ByteTime * static_cast<double>(RequestSize()));
        Latencies.push_back(
            std::max(TMilliseconds(0), std::chrono::floor<TMilliseconds>(now - SentAt) - onLine));
        if (Latencies.size() > LatencyWindow)
            Latencies.pop_front();
    }
    Heard = true;
    LastHeard = now;
    Pending.insert(Pending.end(), data, data + size);
    // A box shown for a block runs an event loop where more bytes may come: they wait here
    // and are framed once the box is closed.
    if (Framing)
        return;
    Framing = true;
    Frame();
    Framing = false;
}

TControllerLink::THeader TControllerLink::HeaderAt(size_t at) const {
    const size_t have = Pending.size() - at;
    const uint8_t header[] = {0x00, 0x01, static_cast<uint8_t>(ReplySize() - 1)};
    for (size_t i = 0; i < std::size(header) && i < have; ++i)
        if (Pending[at + i] != header[i])
            return THeader::None;
    return have < ReplySize() ? THeader::Partial : THeader::Whole;
}

void TControllerLink::Frame() {
    while (FMode != ModeIdle && !Pending.empty()) {
        const size_t size = ReplySize();
        bool bad = false;
        size_t at = 0;
        THeader header = THeader::None;
        // A copy that confirms the checked reply waiting for its second copy.
        bool confirms = false;
        // A reply starts at a header; one whose checksum fails may be stray bytes that look
        // like a header, so the next one is looked for one byte further on.
        for (; at < Pending.size(); ++at) {
            header = HeaderAt(at);
            if (header == THeader::Partial)
                break;
            if (header == THeader::Whole) {
                if (Trusted(Pending.data() + at))
                    break;
                confirms = !PairsMode && FMode != ModeProbe && !LastGood.empty() &&
                           NearCopy(LastGood, Pending.data() + at);
                if (confirms)
                    break;
            }
            bad = bad || header == THeader::Whole;
        }
        // Stray bytes before a reply are noise; a wrong sum is judged by what follows it.
        if (at > 0 && !bad)
            Noise();
        if (header == THeader::Whole) {
            const TBytes reply = confirms ? LastGood
                                          : TBytes(Pending.begin() + static_cast<std::ptrdiff_t>(at),
                                                   Pending.begin() + static_cast<std::ptrdiff_t>(at + size));
            Pending.erase(Pending.begin(), Pending.begin() + static_cast<std::ptrdiff_t>(at + size));
            Take(reply);
            continue;
        }
        // Nothing before `at` can begin a reply any more.
        Pending.erase(Pending.begin(), Pending.begin() + static_cast<std::ptrdiff_t>(at));
        if (Pending.size() > MaxPending)
            Pending.erase(Pending.begin(), Pending.end() - static_cast<std::ptrdiff_t>(MaxPending));
        if (bad && Pending.empty()) {
            // A whole reply came and none of it holds: ask again at once.
            Failed(BadSum);
            return;
        }
        // Part of a reply, or stray bytes: the rest must follow soon.
        if (FMode != ModeIdle)
            Arm(std::min(ReplyTimeout(size),
                         GapBase + std::chrono::ceil<std::chrono::milliseconds>(ByteTime * 10)));
        return;
    }
}

bool TControllerLink::PairsAllowed() const {
    // Only a controller that failed the check on the probe too, and failed it the same way
    // twice, is believed to sum differently; for it the first block decides the operation.
    return FMode == ModeProbe || PairsMode ||
           (SumsDiffer && Result.Replies == 0 && Current.Moves && Current.Address == 0);
}

bool TControllerLink::Trusted(const uint8_t* reply) {
    const size_t size = ReplySize();
    if (!PairsMode && ChecksumMatches(reply, size))
        return true;
    const bool repeated = LastBad.size() == size && std::equal(LastBad.begin(), LastBad.end(), reply);
    if (!LastBad.empty() && !repeated) {
        // Wrong sums that vary are the line's, not the controller's.
        BadSumsVary = true;
        Noise();
    }
    // A controller that sums differently: the same reply twice counts as checked, but not at a
    // probe that has met noise, where the pair may be the line's.
    if (repeated && PairsAllowed() && !(FMode == ModeProbe && Result.Noisy)) {
        if (FMode != ModeProbe)
            PairsMode = true;
        Result.PairsTaken = true;
        return true;
    }
    LastBad.assign(reply, reply + size);
    return false;
}

void TControllerLink::Take(const TBytes& reply) {
    ReplyTimer.SetRunning(false);
    if (Current.Kind == TKind::Probe) {
        // A wrong sum before a good one was the line's.
        if (!LastBad.empty() && !Result.PairsTaken)
            Noise();
        ProbeAnswer = reply[AnswerAt];
        SumsDiffer = Result.PairsTaken;
        End(ProbeAnswer == ControllerAnswer ? TLinkOutcome::Done : TLinkOutcome::WrongAnswer);
        return;
    }
    TakeBlock(reply);
}

void TControllerLink::TakeBlock(const TBytes& reply) {
    const uint16_t address = Address(reply.data());
    if (address != Current.Address) {
        OtherBlockNamed(reply, address);
        return;
    }
    // A copy of this reply came before with a wrong sum: with this one it makes a pair.
    const bool confirmed = !PairsMode && !LastBad.empty() && NearCopy(reply, LastBad.data());
    // A wrong sum before a good reply was the line's.
    if (!PairsMode && !LastBad.empty()) {
        Noise();
        LastBad.clear();
    }
    const bool differs = Current.Kind != TKind::Read && !HoldsBlock(reply, Outgoing, address);
    // An echo of the very block written confirms itself. A read's block, or one the controller
    // holds differently, is taken on its checksum alone only where the line has proved clean.
    bool alone = false;
    if (!PairsMode && (Current.Kind == TKind::Read || differs)) {
        if (!LastGood.empty() && LastGood != reply) {
            // Two checked replies that disagree: one of them got past its checksum.
            Noise();
            LastGood.clear();
        }
        if (LastGood.empty() && !confirmed) {
            if (!Proven || differs) {
                LastGood = reply;
                Progressed();
                SendAgain();
                return;
            }
            alone = true;
        }
    }
    Progressed();
    Accept(reply, differs, alone);
}

void TControllerLink::Progressed() {
    Failures = 0;
    FailureKinds = 0;
    if (++CleanRun >= ProofReplies && !PairsMode)
        Proven = true;
}

void TControllerLink::Accept(const TBytes& reply, bool differs, bool alone) {
    const uint16_t address = Current.Address;
    ++Result.Replies;
    if (Log) {
        Log("------------");
        Log("copy to" + Hex4(address));
    }
    if (alone)
        Alone.push_back({Current.Kind, address, false, reply});
    if (Current.Kind == TKind::Read)
        std::copy_n(reply.begin() + DataAt, BlockSize, Received.Data() + address);
    if (Current.Kind == TKind::Write)
        Rewrites[address / BlockSize] = false;
    if (differs)
        Result.Differs(address);
    if (Current.Moves)
        Result.Moved(address);
    if (Current.Moves || Current.Kind == TKind::Verify)
        ++Done;
    const uint8_t mode = FMode;
    if (OnBlock)
        OnBlock(address, differs && Current.Kind == TKind::Write);
    if (FMode != mode)
        return; // the operation was ended meanwhile
    Next();
}

void TControllerLink::OtherBlockNamed(const TBytes& reply, uint16_t address) {
    // A request or a reply went astray past its checksum, or came late: the line is not clean.
    Unprove();
    OtherHeard = true;
    OtherAddress = address;
    // A write that reached another block left this block's data there: that block is written again.
    if (Current.Kind == TKind::Write && IsBlockAddress(address) && !HoldsBlock(reply, Outgoing, address))
        Rewrites[address / BlockSize] = true;
    // The reply for the block asked for may still come.
    Arm(SilenceWait());
}

void TControllerLink::Noise() {
    Result.Noisy = true;
    NoisyLine = true;
    Unprove();
}

void TControllerLink::Unprove() {
    CleanRun = 0;
    if (!Proven)
        return;
    Proven = false;
    // The blocks taken on their checksum alone since the line proved clean are asked again.
    Steps.insert(Steps.begin(), Alone.begin(), Alone.end());
    Alone.clear();
}

void TControllerLink::Overdue() {
    ReplyTimer.SetRunning(false);
    if (FMode == ModeIdle)
        return;
    if (PortGone && PortGone()) {
        End(TLinkOutcome::PortLost);
        return;
    }
    if (!Heard) {
        // Nothing at all for two of the longest waits on a line that has shown no noise: the
        // controller does not answer. On a noisy line the requests may be what got lost.
        if (!NoisyLine && Now() - LastHeard >= 2 * ReplyTimeout(ReplySize())) {
            if (Current.Kind == TKind::Write && LineChecks < LineCheckProbes) {
                CheckLine();
                return;
            }
            End(TLinkOutcome::NoReply);
            return;
        }
        // A request or its whole reply was lost.
        Unprove();
        Failed(Silent);
        return;
    }
    if (Pending.empty() && OtherHeard) {
        Failed(OtherBlock);
        return;
    }
    // A reply that began and stopped.
    Noise();
    Failed(Garbled);
}

void TControllerLink::CheckLine() {
    // A line that spoils long packets lets a short one through: a controller that answers the
    // probe is there, and what went lost were the write requests.
    ++LineChecks;
    CheckingLine = true;
    Heard = false;
    Pending.clear();
    const TBytes probe = ProbePacket();
    if (Send)
        Send(probe.data(), probe.size());
    Arm(QuietWait(ProbeSize, ProbeSize));
}

void TControllerLink::Failed(TFailure kind) {
    FailureKinds |= kind;
    if (++Failures >= MaxFailures) {
        End(FailureOutcome());
        return;
    }
    SendAgain();
}

TLinkOutcome TControllerLink::FailureOutcome() const {
    if (FailureKinds == Silent && !NoisyLine)
        return TLinkOutcome::NoReply;
    if (Current.Kind == TKind::Probe)
        return TLinkOutcome::WrongAnswer;
    if (FailureKinds == OtherBlock)
        return TLinkOutcome::Incomplete;
    if (FailureKinds == BadSum && !BadSumsVary)
        return TLinkOutcome::Checksum;
    return TLinkOutcome::Noise;
}

void TControllerLink::JudgeProbe() {
    if (FMode == ModeProbe)
        End(TLinkOutcome::WrongAnswer);
}

void TControllerLink::Abandon() {
    ReplyTimer.SetRunning(false);
    Pending.clear();
    FMode = ModeIdle;
}

void TControllerLink::End(TLinkOutcome outcome) {
    ReplyTimer.SetRunning(false);
    Pending.clear();
    Steps.clear();
    Result.Outcome = outcome;
    Result.Noisy = Result.Noisy || outcome == TLinkOutcome::Noise;
    if (Result.Mode != ModeProbe && outcome != TLinkOutcome::Done && outcome != TLinkOutcome::Compare) {
        Result.Unconfirmed = Current.Address;
        if (outcome == TLinkOutcome::Incomplete && OtherAddress && !IsBlockAddress(*OtherAddress))
            Result.BadAddress = OtherAddress;
    }
    FMode = ModeIdle;
    if (OnEnd)
        OnEnd();
}
