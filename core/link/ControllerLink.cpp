#include "link/ControllerLink.h"
#include <algorithm>

using namespace LinkProtocol;

namespace {
// A request goes out at most this often when its replies cannot be trusted, and at most twice as
// often in all (the replies that confirm others included).
constexpr int MaxTries = 4;
// Silence after a request: it goes out once more, then the operation ends.
constexpr int MaxSilences = 2;
// A reply that has begun and then stops for this long (plus ten characters' time) is broken: more
// than the port's 50 ms between deliveries. Asking again too early costs only an answer twice.
constexpr std::chrono::milliseconds GapBase{100};
// Bytes kept while looking for a reply: far more than any reply, so stray bytes cannot grow it.
constexpr size_t MaxPending = 4 * BlockPacketSize;
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

size_t TControllerLink::ReplySize() const {
    return FMode == ModeProbe ? ProbeSize : BlockPacketSize;
}

void TControllerLink::Begin(uint8_t mode) {
    FMode = mode;
    Result = {};
    Result.Mode = mode;
    Pending.clear();
    Previous.reset();
    PreviousTries = 0;
    PairsMode = false;
    NoiseSeen = false;
}

void TControllerLink::StartProbe(bool timed) {
    Begin(ModeProbe);
    Timed = timed;
    ProbeAnswer = 0;
    Request(0);
}

void TControllerLink::StartRead(const ConfigImage& from) {
    Begin(ModeRead);
    Timed = true;
    Received = from;
    Request(0);
}

void TControllerLink::StartWrite(const ConfigImage& image) {
    Begin(ModeWrite);
    Timed = true;
    Outgoing = image;
    Request(0);
}

void TControllerLink::Request(uint16_t address) {
    Requested = address;
    Tries = 0;
    Failures = 0;
    Silences = 0;
    LastBad.clear();
    LastGood.clear();
    SendAgain();
}

void TControllerLink::SendAgain() {
    ++Tries;
    Heard = false;
    TBytes packet;
    if (FMode == ModeProbe)
        packet = ProbePacket();
    else if (FMode == ModeRead)
        packet = ReadRequestPacket(Requested);
    else
        packet = WriteRequestPacket(Requested, {Outgoing.Data() + Requested, BlockSize});
    if (Send)
        Send(packet.data(), packet.size());
    Arm(ReplyTimeout(ReplySize()));
}

void TControllerLink::Arm(std::chrono::milliseconds wait) {
    // Stopped and started again, so a running timer begins its period anew.
    ReplyTimer.SetRunning(false);
    ReplyTimer.Interval = static_cast<int>(std::max<std::chrono::milliseconds::rep>(1, wait.count()));
    ReplyTimer.SetRunning(Timed);
}

void TControllerLink::Receive(const uint8_t* data, size_t size) {
    if (FMode == ModeIdle || size == 0)
        return;
    Pending.insert(Pending.end(), data, data + size);
    Heard = true;
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
        // A reply starts at a header; one whose checksum fails may be stray bytes that look
        // like a header, so the next one is looked for one byte further on.
        for (; at < Pending.size(); ++at) {
            header = HeaderAt(at);
            if (header == THeader::Partial || (header == THeader::Whole && Trusted(Pending.data() + at)))
                break;
            bad = bad || header == THeader::Whole;
        }
        if (header == THeader::Whole) {
            // Bytes skipped before a good reply are noise too.
            NoiseSeen = NoiseSeen || at > 0;
            const TBytes reply(Pending.begin() + static_cast<std::ptrdiff_t>(at),
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
            Retry();
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
    return FMode == ModeProbe || PairsMode || (SumsDiffer && Result.Replies == 0 && Requested == 0);
}

bool TControllerLink::Trusted(const uint8_t* reply) {
    const size_t size = ReplySize();
    if (!PairsMode && ChecksumMatches(reply, size))
        return true;
    if (!PairsAllowed())
        return false;
    // A controller that sums differently: the same reply twice counts as checked.
    if (LastBad.size() == size && std::equal(LastBad.begin(), LastBad.end(), reply)) {
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
    if (FMode == ModeProbe) {
        ProbeAnswer = reply[AnswerAt];
        SumsDiffer = Result.PairsTaken;
        End(ProbeAnswer == ControllerAnswer ? TLinkOutcome::Done : TLinkOutcome::WrongAnswer);
        return;
    }
    TakeBlock(reply);
}

void TControllerLink::TakeBlock(const TBytes& reply) {
    const uint16_t address = Address(reply.data());
    // A request sent again may be answered twice: the late answer to the block before is no news.
    if (Previous && address == *Previous && address != Requested && PreviousTries > 1) {
        Arm(ReplyTimeout(ReplySize()));
        return;
    }
    // A written block the controller reports differently, or any block on a line that has shown
    // noise, counts only when the same reply comes twice.
    const bool differs =
        FMode == ModeWrite && IsBlockAddress(address) &&
        !std::equal(reply.begin() + DataAt, reply.begin() + DataAt + BlockSize, Outgoing.Data() + address);
    if (!PairsMode && (NoiseSeen || differs) && LastGood != reply) {
        LastGood = reply;
        // A good reply is progress: the tries count the failures since.
        Failures = 0;
        if (Tries >= 2 * MaxTries)
            End(TLinkOutcome::Checksum);
        else
            SendAgain();
        return;
    }
    ++Result.Replies;
    if (Log) {
        Log("------------");
        Log("copy to" + Hex4(address));
    }
    // Nothing outside the image is stored, compared or sent.
    if (!IsBlockAddress(address)) {
        Result.BadAddress = address;
        End(TLinkOutcome::Incomplete);
        return;
    }
    if (FMode == ModeRead)
        std::copy_n(reply.begin() + DataAt, BlockSize, Received.Data() + address);
    else if (differs)
        Result.CompareFailures.push_back(address);
    if (address == Requested)
        Result.Moved(address);
    Previous = address;
    PreviousTries = Tries;
    const uint8_t mode = FMode;
    if (OnBlock)
        OnBlock(address, differs);
    if (FMode != mode)
        return; // the operation was ended meanwhile
    const unsigned next = address + BlockSize;
    if (next >= ImageSize) {
        if (!Result.Complete())
            End(TLinkOutcome::Incomplete);
        else
            End(Result.CompareFailures.empty() ? TLinkOutcome::Done : TLinkOutcome::Compare);
    } else if (Result.Replies >= static_cast<int>(2 * Blocks)) {
        // A controller that keeps steering back would keep the transfer going for ever.
        End(TLinkOutcome::Incomplete);
    } else {
        Request(static_cast<uint16_t>(next));
    }
}

void TControllerLink::Overdue() {
    ReplyTimer.SetRunning(false);
    if (FMode == ModeIdle)
        return;
    if (!Heard) {
        if (++Silences >= MaxSilences)
            End(TLinkOutcome::NoReply);
        else
            SendAgain();
        return;
    }
    Retry();
}

void TControllerLink::Retry() {
    Pending.clear();
    NoiseSeen = true;
    if (++Failures < MaxTries && Tries < 2 * MaxTries) {
        SendAgain();
        return;
    }
    End(FMode == ModeProbe ? TLinkOutcome::WrongAnswer : TLinkOutcome::Checksum);
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
    Result.Outcome = outcome;
    if (Result.Mode != ModeProbe && outcome != TLinkOutcome::Done && outcome != TLinkOutcome::Compare)
        Result.Unconfirmed = Requested;
    FMode = ModeIdle;
    if (OnEnd)
        OnEnd();
}
