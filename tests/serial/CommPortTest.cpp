#include "SerialFixture.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char* const WarnSb15 = "Invalid combination (6,7 or 8 data bits with 1.5 stop bits)";
const char* const WarnSb2 = "Invalid combination (5 data bits with 2 stop bits)";

struct CommPortTest : TSerialFixture, ::testing::Test {};

TEST_F(CommPortTest, BaudAcceptsOnlyTheFifteenRatesAndReachesTheOpenDevice) {
    Port.SetBaud(12345);
    EXPECT_EQ(Port.GetBaudRate(), cbr9600);
    EXPECT_EQ(Port.GetBaud(), 9600);
    Port.SetBaud(115200);
    EXPECT_EQ(Port.GetBaudRate(), cbr115200);
    Port.SetBaudRate(cbr56000);
    EXPECT_EQ(Port.GetBaud(), 56000);

    Port.SetOpen(true);
    ASSERT_TRUE(Port.GetOpen());
    EXPECT_EQ(Fake.Settings().Rate, 56000u);
    Port.SetBaud(256000);
    EXPECT_EQ(Fake.Settings().Rate, 256000u);
    Port.SetBaud(1);
    EXPECT_EQ(Fake.Settings().Rate, 256000u);
}

TEST_F(CommPortTest, DataBitsOutsideFiveToEightBecomeEight) {
    Port.SetDataBits(4);
    EXPECT_EQ(Port.GetDataBits(), 8);
    Port.SetDataBits(5);
    EXPECT_EQ(Port.GetDataBits(), 5);
    Port.SetDataBits(9);
    EXPECT_EQ(Port.GetDataBits(), 8);
}

TEST_F(CommPortTest, BitsWarningsOnlyForTheTwoInvalidCombinations) {
    Port.SetStopBits(sb1_5); // 8 data bits
    Port.SetDataBits(5);     // 5 with 1.5: fine
    Port.SetStopBits(sb2_0); // 5 with 2
    Port.SetDataBits(8);     // 8 with 2: fine
    EXPECT_EQ(Port.TakeWarnings(), (std::vector<std::string>{WarnSb15, WarnSb2}));
    EXPECT_TRUE(Port.TakeWarnings().empty()) << "each warning is given once";
    EXPECT_EQ(Port.GetStopBits(), sb2_0); // only warned, kept as set

    // Set once, an invalid combination warns once: not when set again as it is, nor at the opens
    // that replay it (a search opens many ports).
    Port.SetStopBits(sb1_5);
    EXPECT_EQ(Port.TakeWarnings(), std::vector<std::string>{WarnSb15});
    Port.SetStopBits(sb1_5);
    Port.SetDataBits(8);
    Port.SetOpen(true);
    Port.SetOpen(false);
    Port.SetOpen(true);
    EXPECT_TRUE(Port.TakeWarnings().empty());
    EXPECT_EQ(Fake.Opens(), 2);
    EXPECT_EQ(Fake.Settings().StopBits, 1);
    // Another invalid combination is a new choice.
    Port.SetDataBits(7);
    EXPECT_EQ(Port.TakeWarnings(), std::vector<std::string>{WarnSb15});
    EXPECT_EQ(Fake.Settings().ByteSize, 7);
}

TEST_F(CommPortTest, XoffLimitIsClampedToInSizeWhenSet) {
    Port.SetXoffLim(5000);
    EXPECT_EQ(Port.GetXoffLim(), 2048);
    Port.SetXoffLim(1024);
    EXPECT_EQ(Port.GetXoffLim(), 1024);
    Port.SetIBuffSize(100000);
    Port.SetXoffLim(65535);
    EXPECT_EQ(Port.GetXoffLim(), 65535);
    Port.SetIBuffSize(100); // not clamped again when the size changes later
    EXPECT_EQ(Port.GetXoffLim(), 65535);
}

TEST_F(CommPortTest, OpenAppliesEverySettingAndTheMainWindowsEventMask) {
    Port.MonitorEvents = 0x017D;
    Port.SetComControl(ccSoft);
    Port.SetParity(paMark);
    Port.SetXonLim(10);
    Port.SetXonChar(0x21);
    Port.SetXoffChar(0x22);
    Port.SetEventChar('\n');
    Port.SetOpen(true);
    const TLineSettings s = Fake.Settings();
    EXPECT_EQ(s.Flags, 0x1311u);
    EXPECT_EQ(s.Parity, 3);
    EXPECT_EQ(s.ByteSize, 8);
    EXPECT_EQ(s.XonLim, 10);
    EXPECT_EQ(s.XoffLim, 1024);
    EXPECT_EQ(s.XonChar, 0x21);
    EXPECT_EQ(s.XoffChar, 0x22);
    EXPECT_EQ(s.EventChar, '\n');
    EXPECT_EQ(Fake.EventMask(), 0x017Du);
    EXPECT_EQ(LastComNumber, 2);
    Port.SetComControl(ccHard);
    EXPECT_EQ(Fake.Settings().Flags, 0x202Du);
    Port.SetComControl(ccNone);
    EXPECT_EQ(Fake.Settings().Flags, 0x0001u);
}

TEST_F(CommPortTest, OpenAndCloseRaiseTheirEventsAtTheEnd) {
    std::vector<std::string> seen;
    Port.SetDTR(true);
    Port.OnOpen = [&](TCommPort& sender, int) {
        seen.push_back(std::string("open ") + (sender.GetOpen() ? "open" : "closed") +
                       (Fake.Dtr() ? " dtr" : ""));
    };
    Port.OnClose = [&](TCommPort& sender) {
        seen.push_back(std::string("close ") + (sender.GetOpen() ? "open" : "closed") +
                       (Fake.IsOpen() ? " device" : ""));
    };
    Port.SetOpen(true);
    Port.SetOpen(true);
    Port.OpenPort();
    Port.SetOpen(false);
    Port.SetOpen(false);
    Port.ClosePort();
    EXPECT_EQ(seen, (std::vector<std::string>{"open open dtr", "close closed"}));
}

TEST_F(CommPortTest, MissingPortIsReportedAndStaysClosed) {
    bool opened = false;
    Port.OnOpen = [&](TCommPort&, int) { opened = true; };
    Fake.Remove();
    Port.SetOpen(true);
    EXPECT_FALSE(Port.GetOpen());
    EXPECT_FALSE(Port.IsEnabled());
    EXPECT_FALSE(opened);
    EXPECT_EQ(Port.GetOpenError().Error, TSerialError::NotFound);
    char c = 'x';
    EXPECT_EQ(Port.PutBlock(&c, 1), 0u);
    EXPECT_EQ(Port.GetBlock(&c, 1), 0u);
}

TEST_F(CommPortTest, DtrAndRtsWhileClosedAreAppliedAtOpen) {
    Port.SetDTR(true);
    EXPECT_TRUE(Port.GetDTR());
    EXPECT_FALSE(Fake.Dtr());
    Port.SetOpen(true);
    EXPECT_TRUE(Fake.Dtr());
    EXPECT_FALSE(Fake.Rts());
    Port.SetRTS(true);
    EXPECT_TRUE(Fake.Rts());

    // Refused by the device: the flag keeps its old value.
    Fake.RefuseEscapes(true);
    Port.SetDTR(false);
    EXPECT_TRUE(Port.GetDTR());
    EXPECT_FALSE(Port.SetBreak(true));
    // PowerOff sets both flags whatever the device answered.
    Port.PowerOff();
    EXPECT_FALSE(Port.GetDTR());
    EXPECT_FALSE(Port.GetRTS());
}

TEST_F(CommPortTest, ClosedPortLineCalls) {
    EXPECT_FALSE(Port.SetBreak(true));
    EXPECT_FALSE(Port.GetModemState(1));
    EXPECT_EQ(Port.GetOutQueCount(), 0);
    Port.PowerOn();
    EXPECT_TRUE(Port.GetDTR() && Port.GetRTS());
    char c = 'q';
    EXPECT_EQ(Port.PutString(""), 0u);
    EXPECT_EQ(Port.GetChar(), 0);
    EXPECT_FALSE(Port.CharReady());
    EXPECT_EQ(Port.PutChar(c), 0u);
}

TEST_F(CommPortTest, ModemStateReadsTheDeviceNow) {
    Fake.SetCts(true);
    Fake.SetDcd(true);
    Port.SetOpen(true);
    EXPECT_TRUE(Port.GetModemState(1));
    EXPECT_FALSE(Port.GetModemState(2));
    EXPECT_FALSE(Port.GetModemState(3));
    EXPECT_TRUE(Port.GetModemState(4));
    EXPECT_FALSE(Port.GetModemState(5));
    Fake.SetModemReadable(false);
    EXPECT_FALSE(Port.GetModemState(1));
}

TEST_F(CommPortTest, InSizeChangeWhileOpenReopensAndLosesWaitingBytes) {
    std::vector<std::string> seen;
    Port.OnOpen = [&](TCommPort&, int) { seen.push_back("open"); };
    Port.OnClose = [&](TCommPort&) { seen.push_back("close"); };
    Port.SetOpen(true);
    Fake.Feed("abc");
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 3; }));
    Port.SetIBuffSize(4096);
    EXPECT_TRUE(Port.GetOpen());
    EXPECT_EQ(Port.GetInBuffUsed(), 0u);
    EXPECT_EQ(Port.GetInBuffFree(), 4096u);
    EXPECT_EQ(seen, (std::vector<std::string>{"open", "close", "open"}));
}

TEST_F(CommPortTest, ComNumberChangeWhileOpenClosesThePort) {
    int closes = 0;
    Port.OnClose = [&](TCommPort&) { ++closes; };
    Port.SetOpen(true);
    Port.SetComNumber(12);
    EXPECT_FALSE(Port.GetOpen());
    EXPECT_EQ(closes, 1);
    EXPECT_FALSE(Fake.IsOpen());
    Port.SetOpen(true);
    EXPECT_EQ(LastComNumber, 12);
}

// 4000 bytes drained leave OutPos at 4000; 200 more go 96 to the end of the ring and 104 from 0.
TEST_F(CommPortTest, OutputRingWrapsAtItsEnd) {
    Port.SetOpen(true);
    std::string first(4000, '\0'), second(200, '\0');
    for (std::size_t i = 0; i < first.size(); ++i)
        first[i] = static_cast<char>(i * 7);
    for (std::size_t i = 0; i < second.size(); ++i)
        second[i] = static_cast<char>(i * 13 + 1);
    ASSERT_EQ(Port.PutBlock(first.data(), 4000), 4000u);
    ASSERT_TRUE(Fake.WaitWritten(4000, Soon()));
    ASSERT_TRUE(Pump([&] { return Port.GetOutBuffUsed() == 0; }));
    ASSERT_EQ(Port.PutBlock(second.data(), 200), 200u);
    ASSERT_TRUE(Fake.WaitWritten(4200, Soon()));
    EXPECT_EQ(Fake.Written(), first + second);
    const auto sizes = Fake.WriteSizes();
    ASSERT_GE(sizes.size(), 2u);
    EXPECT_EQ(sizes[sizes.size() - 2], 96u);
    EXPECT_EQ(sizes.back(), 104u);
}

TEST_F(CommPortTest, InputRingWrapsAtItsEnd) {
    Port.SetIBuffSize(16);
    Port.SetOpen(true);
    char buffer[32];
    Fake.Feed("0123456789");
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 10; }));
    ASSERT_EQ(Port.GetBlock(buffer, 32), 10u);
    Fake.Feed("abcdefghijkl"); // 6 to the end of the ring, 6 from index 0
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 12; }));
    EXPECT_EQ(Port.GetInBuffFree(), 4u);
    ASSERT_EQ(Port.GetBlock(buffer, 5), 5u);
    EXPECT_EQ(std::string(buffer, 5), "abcde");
    ASSERT_EQ(Port.GetBlock(buffer, 32), 7u);
    EXPECT_EQ(std::string(buffer, 7), "fghijkl");
    EXPECT_EQ(Port.GetBlock(buffer, 32), 0u);
}

// Under ccHard with CTS off the writer waits with WriteWake clear; a full ring takes nothing more
// and does not set it; CTS on releases the whole ring.
TEST_F(CommPortTest, FullOutputRingUnderCtsStall) {
    Port.SetComControl(ccHard);
    Port.SetOpen(true);
    std::string block(4096, '\0');
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i);
    ASSERT_EQ(Port.PutBlock(block.data(), 4096), 4096u);
    ASSERT_TRUE(Pump([&] { return !Port.WriteWake().IsSet(); }));
    EXPECT_EQ(Port.GetOutBuffFree(), 0u);
    EXPECT_EQ(Port.PutChar('x'), 0u);
    EXPECT_FALSE(Port.WriteWake().IsSet());
    EXPECT_EQ(Fake.WriteAttempts(), 0);

    Fake.SetCts(true);
    ASSERT_TRUE(Fake.WaitWritten(4096, Soon()));
    EXPECT_EQ(Fake.Written(), block);
    EXPECT_TRUE(Port.GetCTS());
    ASSERT_TRUE(Pump([&] { return Port.GetOutBuffUsed() == 0; }));
}

// GetBlock wakes the reader on every call with bytes waiting, a take of 0 included, and not on
// an empty ring. The reader is kept busy in a read so the signal stays visible.
TEST_F(CommPortTest, GetBlockWakesTheReaderOnlyWhenBytesWait) {
    Port.SetIBuffSize(8);
    Port.SetOpen(true);
    Fake.Feed("abcd");
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 4; }));
    Fake.HoldReads(true);
    const int reads = Fake.ReadAttempts();
    Fake.Feed("ef");
    ASSERT_TRUE(Pump([&] { return Fake.ReadAttempts() > reads; }));
    Port.ReadWake().Reset(); // nothing else sets it while the reader is held and the line is quiet

    char buffer[8];
    EXPECT_EQ(Port.GetBlock(buffer, 0), 0u);
    EXPECT_TRUE(Port.ReadWake().IsSet());
    ASSERT_EQ(Port.GetBlock(buffer, 8), 4u);
    Port.ReadWake().Reset();
    EXPECT_EQ(Port.GetBlock(buffer, 8), 0u);
    EXPECT_FALSE(Port.ReadWake().IsSet());

    Fake.HoldReads(false);
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 2; }));
    EXPECT_TRUE(Port.CharReady());
    EXPECT_EQ(Port.GetChar(), 'e');
    EXPECT_EQ(Port.GetChar(), 'f');
}

TEST_F(CommPortTest, FlushesEmptyTheRings) {
    Port.SetComControl(ccHard); // CTS off: the output stays queued
    Port.SetOpen(true);
    Fake.Feed("abc");
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 3; }));
    Port.PutString("xyz");
    Port.FlushInBuffer();
    Port.FlushOutBuffer();
    EXPECT_EQ(Port.GetInBuffUsed(), 0u);
    EXPECT_EQ(Port.GetOutBuffUsed(), 0u);
    EXPECT_FALSE(Port.WriteWake().IsSet());
    Fake.SetCts(true);
    Port.PutString("ok");
    ASSERT_TRUE(Fake.WaitWritten(2, Soon()));
    EXPECT_EQ(Fake.Written(), "ok");
    Fake.Feed("d");
    ASSERT_TRUE(Pump([&] { return Port.GetInBuffUsed() == 1; }));
    EXPECT_EQ(Port.GetChar(), 'd');
}

} // namespace
