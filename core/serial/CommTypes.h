#pragma once
#include <cstdint>

// The component's enumerations; the ordinal is what is stored.
enum TBaudRate {
    cbr110,
    cbr300,
    cbr600,
    cbr1200,
    cbr2400,
    cbr4800,
    cbr9600,
    cbr14400,
    cbr19200,
    cbr38400,
    cbr56000,
    cbr57600,
    cbr115200,
    cbr128000,
    cbr256000
};
enum TParity { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sb1_0, sb1_5, sb2_0 };
enum TComControl { ccNone, ccSoft, ccHard };
enum TEventState { evRxChar, evRxEventChar, evTxEmpty, evCTS, evDSR, evRlsd, evBreak, evError, evRing };

// A set of TEventState: bit i stands for member i.
using TEventStates = std::uint16_t;
constexpr TEventStates EventBit(TEventState e) {
    return static_cast<TEventStates>(1u << e);
}

// Line-event bits as the device reports them.
namespace CommEvent {
constexpr std::uint32_t RxChar = 0x0001;
constexpr std::uint32_t RxFlag = 0x0002;
constexpr std::uint32_t TxEmpty = 0x0004;
constexpr std::uint32_t Cts = 0x0008;
constexpr std::uint32_t Dsr = 0x0010;
constexpr std::uint32_t Rlsd = 0x0020;
constexpr std::uint32_t Break = 0x0040;
constexpr std::uint32_t Err = 0x0080;
constexpr std::uint32_t Ring = 0x0100;
} // namespace CommEvent

// Modem-status bits as the device reports them.
namespace ModemStatus {
constexpr std::uint32_t Cts = 0x10;
constexpr std::uint32_t Dsr = 0x20;
constexpr std::uint32_t Ring = 0x40;
constexpr std::uint32_t Rlsd = 0x80;
} // namespace ModemStatus

// Bits of the control-flags word of the line settings.
namespace ControlFlag {
constexpr std::uint32_t Binary = 0x0001;
constexpr std::uint32_t OutxCtsFlow = 0x0004;
constexpr std::uint32_t OutxDsrFlow = 0x0008;
constexpr std::uint32_t DtrControlShift = 4;
constexpr std::uint32_t OutX = 0x0100;
constexpr std::uint32_t InX = 0x0200;
constexpr std::uint32_t RtsControlShift = 12;
constexpr std::uint32_t ForNone = 0x0001;
constexpr std::uint32_t ForSoft = 0x1311;
constexpr std::uint32_t ForHard = 0x202D;
} // namespace ControlFlag

// Purge flags.
namespace PurgeFlag {
constexpr std::uint32_t TxAbort = 0x0001;
constexpr std::uint32_t RxAbort = 0x0002;
constexpr std::uint32_t TxClear = 0x0004;
constexpr std::uint32_t RxClear = 0x0008;
} // namespace PurgeFlag
