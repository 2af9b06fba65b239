// The link's bytes: checksums, every packet, replies delivered in odd pieces, and what the
// traffic log and the image view show of them. The controller is the fake device.
#include "LinkRig.h"
#include "support/LinkPackets.h"

namespace {

std::string Bytes(std::initializer_list<uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A block reply as the controller sends it for a read: the block at `address`, every byte `fill`.
std::string ReadReply(uint16_t address, uint8_t fill) {
    return AsString(BlockReply(0x33, address, TBytes(32, fill)));
}

TEST(Checksum, KnownValues) {
    struct Row {
        const char* Meaning;
        std::string Bytes;
        uint8_t Crc;
    };
    const Row rows[] = {
        {"probe", Bytes({0x00, 0x01, 0x04, 0x55}), 0x74},
        {"read request for block 0", Bytes({0x00, 0x01, 0x06, 0x33, 0x00, 0x00}), 0xFE},
        {"the nine digits", "123456789", 0xA1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Meaning);
        EXPECT_EQ(Crc8(row.Bytes), row.Crc);
    }
}

// A controller that answers nothing by itself: the test delivers every byte.
class LinkFrames : public ::testing::Test {
protected:
    void SetUp() override {
        Rig.Start(TImage{}, {"--silent"});
        Rig.Ui.FormScripts.push_back([](TForm& form) {
            auto& dialog = static_cast<TSetComPort&>(form);
            dialog.CheckBox1.Click();
            dialog.ComboBoxPort.Select(LinkRig::Port - 1);
            dialog.Button1.Click();
            return dialog.ModalResult;
        });
        Main().TBFind.Click();
        ASSERT_TRUE(Written(5)); // the probe is out before its answer, and before the clear below
        Deliver(Bytes({0x00, 0x01, 0x04, 0xAA, 0x41}));
        ASSERT_EQ(Main().LinkMode, 0);
        Rig.Device.ClearWritten();
    }
    TMain& Main() { return *Rig.Main; }
    // Feeds bytes and waits until the receive handler has taken them.
    void Deliver(const std::string& bytes) {
        const auto before = Main().FormPort.Memo1.Lines().size();
        const uint8_t mode = Main().LinkMode;
        const int32_t collected = Main().ReplyCount;
        Rig.Device.Feed(bytes);
        ASSERT_TRUE(Rig.Pump([&] {
            return Rig.Device.Waiting() == 0 && Main().CommPort.GetInBuffUsed() == 0 &&
                   (Main().FormPort.Memo1.Lines().size() != before || Main().LinkMode != mode ||
                    Main().ReplyCount != collected);
        }));
    }
    bool Written(size_t count) {
        return Rig.Pump([&] { return Rig.Device.Written().size() >= count; });
    }

    LinkRig Rig{TTransport::Fake};
};

TEST_F(LinkFrames, ReadRequestsFollowTheAddressInEachReply) {
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    EXPECT_EQ(Rig.Device.Written(), Bytes({0x00, 0x01, 0x06, 0x33, 0x00, 0x00, 0xFE}));

    // A reply for 0x0100 moves the read on to 0x0120, whatever was asked.
    Deliver(ReadReply(0x0100, 0x5A));
    ASSERT_TRUE(Written(14));
    std::string next = Bytes({0x00, 0x01, 0x06, 0x33, 0x01, 0x20});
    next += static_cast<char>(Crc8(next));
    EXPECT_EQ(Rig.Device.Written().substr(7), next);
    EXPECT_EQ(Main().Image[0x0100], 0x5A);
    EXPECT_EQ(Main().Image[0x011F], 0x5A);
    EXPECT_EQ(Main().Image[0x0120], 0x00);
}

TEST_F(LinkFrames, WritePacketsCarryTheImageBlockAndItsChecksum) {
    for (size_t i = 0; i < 64; ++i)
        Main().Image[i] = static_cast<uint8_t>(0x80 + i);
    Main().TBWriteClick();
    ASSERT_TRUE(Written(39));
    std::string first = Bytes({0x00, 0x01, 0x26, 0x44, 0x00, 0x00});
    for (size_t i = 0; i < 32; ++i)
        first += static_cast<char>(0x80 + i);
    first += static_cast<char>(Crc8(first));
    EXPECT_EQ(Rig.Device.Written(), first);
    EXPECT_EQ(Rig.Device.WriteSizes().back(), 39u);

    // An echo of different data is reported, and the next block goes out afterwards.
    Rig.Ui.OnBox = [&](const FakeUi::Box&) { EXPECT_EQ(Rig.Device.Written().size(), 39u); };
    Deliver(ReadReply(0x0000, 0x00));
    ASSERT_TRUE(Written(78));
    EXPECT_EQ(Rig.Ui.CountText("Compare Erorr !!!"), 1);
    EXPECT_EQ(static_cast<uint8_t>(Rig.Device.Written()[39 + 6]), 0xA0);
    EXPECT_EQ(static_cast<uint8_t>(Rig.Device.Written()[39 + 5]), 0x20);
}

TEST_F(LinkFrames, ReplyInTwoDeliveriesIsHandledOnceAtTheLast) {
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    const std::string reply = ReadReply(0x0040, 0x11);
    Deliver(reply.substr(0, 10));
    EXPECT_EQ(Main().ReplyCount, 10);
    EXPECT_EQ(Main().ProgressBar.Position(), 0);
    Deliver(reply.substr(10));
    EXPECT_EQ(Main().ReplyCount, 0);
    EXPECT_EQ(Main().ProgressBar.Position(), 32);
    const auto& lines = Main().FormPort.Memo1.Lines();
    const std::vector<std::string> tail(lines.end() - 4, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"byte=000A", "byte=001D", "------------", "copy to0040"}));
}

TEST_F(LinkFrames, ExtraBytesOfADeliveryAreDropped) {
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    Deliver(ReadReply(0x0000, 0x22) + std::string(6, '\x77'));
    EXPECT_EQ(Rig.CountLines("byte=002D"), 1);
    EXPECT_EQ(Main().ReplyCount, 0) << "the 6 bytes past the reply do not start the next one";
    ASSERT_TRUE(Written(14));
    Deliver(ReadReply(0x0020, 0x33));
    EXPECT_EQ(Main().Image[0x0020], 0x33);
}

TEST_F(LinkFrames, BytesLeftOverBeforeAReadAreDiscarded) {
    // A stray byte while idle stays in the input until the next operation starts.
    Rig.Device.Feed("\x42");
    ASSERT_TRUE(Rig.Pump([&] { return Main().CommPort.GetInBuffUsed() == 1; }));
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    Deliver(ReadReply(0x0000, 0x44));
    EXPECT_EQ(Main().Image[0x0000], 0x44) << "the stray byte would have shifted the reply";
    EXPECT_EQ(Main().ProgressBar.Position(), 32);
}

TEST_F(LinkFrames, WrongReplyChecksumIsUsedButNoted) {
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    std::string reply = ReadReply(0x0000, 0x66);
    reply.back() = static_cast<char>(~reply.back());
    Deliver(reply);
    EXPECT_EQ(Main().Image[0x0000], 0x66);
    EXPECT_EQ(Rig.CountLines("crc="), 1);
}

TEST_F(LinkFrames, AProbeReplyInPiecesIsJudgedOnceItsAnswerByteIsIn) {
    Main().ProbePort();
    const size_t boxes = Rig.Ui.Boxes.size();
    Deliver(Bytes({0x00, 0x01, 0x04}));
    EXPECT_EQ(Rig.Ui.Boxes.size(), boxes);
    EXPECT_EQ(Main().LinkMode, 1);
    Deliver(Bytes({0xAA, 0x4F}));
    EXPECT_EQ(Rig.Ui.Boxes.back().Text, "Подключено на COM " + std::to_string(LinkRig::Port));
    EXPECT_EQ(Main().LinkMode, 0);

    Main().ProbePort();
    Deliver(Bytes({0x00, 0x01}));
    Deliver(Bytes({0x04, 0x55, 0x00}));
    EXPECT_EQ(Rig.Ui.Boxes.back().Text, "Ошибка подключения !");
}

TEST_F(LinkFrames, TrafficLogLinesAndDebugFile) {
    Main().FormPort.DebugFilePath = Rig.Dir.File("debug.txt");
    // Hidden: no packet lines anywhere, but the plain lines reach the memo.
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    Deliver(ReadReply(0x0000, 0x01));
    EXPECT_EQ(Rig.CountLines("COM"), 0);
    EXPECT_EQ(Rig.CountLines("copy to0000"), 1);
    EXPECT_FALSE(std::filesystem::exists(Rig.Dir.File("debug.txt")));

    Main().TBDebugClick();
    ASSERT_TRUE(Written(14));
    Deliver(ReadReply(0x0020, 0x02));
    ASSERT_TRUE(Written(21));
    const uint8_t probe[] = {0x00, 0x01, 0x04, 0x55, 0x74};
    EXPECT_EQ(TFormPort::PacketLine(probe, 5, false, 1), "COM1 Write : 0x00 0x01 0x04 0x55 0x74");
    const std::string reply = ReadReply(0x0020, 0x02);
    const std::string read =
        TFormPort::PacketLine(reinterpret_cast<const uint8_t*>(reply.data()), 39, true, 3);
    EXPECT_EQ(read.substr(0, 47), "COM3 Read  : 0x00 0x01 0x26 0x33 0x00 0x20 0x02");
    EXPECT_EQ(read.size(), 12u + 39 * 5);
    const auto& lines = Main().FormPort.Memo1.Lines();
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{read, "byte=0027", "------------", "copy to0020",
                                              "COM3 Write : 0x00 0x01 0x06 0x33 0x00 0x40 0xB8"}));

    // The packet lines once more in the file, after a time stamp, each ending in CR LF.
    const std::string file = TempDir::Read(Rig.Dir.File("debug.txt"));
    std::vector<std::string> fileLines;
    for (size_t start = 0, end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
        fileLines.push_back(file.substr(start, end - start));
    ASSERT_EQ(fileLines.size(), 2u);
    EXPECT_EQ(fileLines[0].substr(fileLines[0].find(' ') + 1), read);
    EXPECT_EQ(fileLines[1].substr(fileLines[1].find(' ') + 1), tail.back());
    for (const auto& line : fileLines)
        EXPECT_TRUE(line.size() > 9 && std::isdigit(static_cast<unsigned char>(line[0])) && line[2] == ':' &&
                    line[5] == ':' && line[8] == ' ')
            << line;

    // Lines accumulate across runs: the file is appended to, never truncated.
    Main().FormPort.AppendToDebugFile("next");
    EXPECT_EQ(TempDir::Read(Rig.Dir.File("debug.txt")).rfind(file, 0), 0u);
}

TEST_F(LinkFrames, ImageViewShowsBitsAndRefillsOnlyWhileShown) {
    Main().Image[0x0010] = 0xA5;
    Main().NotifyImageChanged();
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 17), "") << "hidden: not refilled";

    Main().Saved = true;
    Main().TBSave.SetEnabled(false);
    Main().TBDebugClick();
    EXPECT_TRUE(Main().Dbg.Visible());
    EXPECT_TRUE(Main().FormPort.Visible());
    EXPECT_FALSE(Main().Saved);
    EXPECT_TRUE(Main().TBSave.Enabled());
    EXPECT_EQ(Main().Dbg.SG.Cell(0, 17), "0010");
    std::string bits;
    for (int c = 1; c <= 8; ++c)
        bits += Main().Dbg.SG.Cell(c, 17);
    EXPECT_EQ(bits, "10100101");
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 17), "165");

    // A block read while shown refills the view; after hiding it stays as it was.
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    Deliver(ReadReply(0x0000, 0xFF));
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 1), "255");
    Main().Dbg.Hide();
    ASSERT_TRUE(Written(14));
    Deliver(ReadReply(0x0020, 0x07));
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 33), "0");
}

} // namespace
