// The link's bytes: checksums, every packet, replies delivered in odd pieces, and what the
// traffic log and the image view show of them. The controller is the fake device.
#include "LinkRig.h"
#include "support/MainFixture.h"

namespace {

using namespace LinkProtocol;

std::string AsString(const TBytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A block reply as the controller sends it for a read: the block at `address`, every byte `fill`.
std::string ReadReply(uint16_t address, uint8_t fill) {
    return AsString(BlockReplyPacket(ReadCommand, address, TBytes(BlockSize, fill)));
}

// A controller that answers nothing by itself: the test delivers every byte.
class LinkFrames : public ::testing::Test {
protected:
    void SetUp() override {
        Rig.Start(TImage{}, {"--silent"});
        Rig.Ui.FormScripts.push_back([](TForm& form) {
            auto& dialog = static_cast<TSetComPort&>(form);
            dialog.CheckBox1.Click();
            dialog.SelectPort(LinkRig::Port);
            dialog.Button1.Click();
            return dialog.ModalResult;
        });
        Main().TBFind.Click();
        ASSERT_TRUE(Written(5)); // the probe is out before its answer, and before the clear below
        Deliver(AsString({0x00, 0x01, 0x04, 0xAA, 0x41}));
        ASSERT_EQ(Main().Connection.LinkMode(), 0);
        Rig.Device.ClearWritten();
    }
    TMain& Main() { return *Rig.Main; }
    // Feeds bytes and waits until the receive handler has taken them.
    void Deliver(const std::string& bytes) {
        const auto before = Main().FormPort.Memo1.Lines().size();
        const uint8_t mode = Main().Connection.LinkMode();
        const size_t collected = Main().Connection.Link.Waiting();
        Rig.Device.Feed(bytes);
        ASSERT_TRUE(Rig.Pump([&] {
            return Rig.Device.Waiting() == 0 && Main().Connection.Port.GetInBuffUsed() == 0 &&
                   (Main().FormPort.Memo1.Lines().size() != before || Main().Connection.LinkMode() != mode ||
                    Main().Connection.Link.Waiting() != collected);
        }));
    }
    bool Written(size_t count) {
        return Rig.Pump([&] { return Rig.Device.Written().size() >= count; });
    }

    LinkRig Rig;
};

TEST_F(LinkFrames, ReadTakesOnlyTheBlockAskedForAndOnlyTwice) {
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    EXPECT_EQ(Rig.Device.Written(), AsString({0x00, 0x01, 0x06, 0x33, 0x00, 0x00, 0xFE}));

    // A reply for 0x0100 is not the one asked for: nothing is stored and nothing asked.
    Deliver(ReadReply(0x0100, 0x5A));
    EXPECT_EQ(Main().Connection.Link.Received[0x0100], 0x00);
    // The first reply of a read counts once it came twice the same.
    Deliver(ReadReply(0x0000, 0x5A));
    ASSERT_TRUE(Written(14));
    EXPECT_EQ(Rig.Device.Written().substr(7), AsString(ReadRequestPacket(0x0000)));
    EXPECT_EQ(Main().Connection.Link.Received[0x0000], 0x00);
    Deliver(ReadReply(0x0000, 0x5A));
    ASSERT_TRUE(Written(21));
    EXPECT_EQ(Rig.Device.Written().substr(14), AsString(ReadRequestPacket(0x0020)));
    EXPECT_EQ(Main().Connection.Link.Received[0x0000], 0x5A);
    EXPECT_EQ(Main().Connection.Link.Received[0x001F], 0x5A);
    EXPECT_EQ(Main().Connection.Link.Received[0x0020], 0x00);
}

TEST_F(LinkFrames, WritePacketsCarryTheImageBlockAndItsChecksum) {
    for (size_t i = 0; i < 64; ++i)
        Main().Image[i] = static_cast<uint8_t>(0x80 + i);
    Main().TBWriteClick();
    ASSERT_TRUE(Written(39));
    EXPECT_EQ(Rig.Device.Written(), AsString(WriteRequestPacket(0x0000, {Main().Image.Data(), BlockSize})));
    EXPECT_EQ(Rig.Device.Written()[DataAt], '\x80');
    EXPECT_EQ(Rig.Device.WriteSizes().back(), 39u);

    // An echo of different data is asked for again; the same echo once more is reported, and the
    // next block goes out afterwards.
    Deliver(ReadReply(0x0000, 0x00));
    ASSERT_TRUE(Written(78));
    EXPECT_EQ(Rig.Device.Written().substr(39), Rig.Device.Written().substr(0, 39));
    Rig.Ui.OnBox = [&](const FakeUi::Box&) { EXPECT_EQ(Rig.Device.Written().size(), 78u); };
    Deliver(ReadReply(0x0000, 0x00));
    ASSERT_TRUE(Written(117));
    EXPECT_EQ(Rig.Ui.CountText("Compare Erorr !!!\nблок 0000"), 1);
    EXPECT_EQ(static_cast<uint8_t>(Rig.Device.Written()[78 + 6]), 0xA0);
    EXPECT_EQ(static_cast<uint8_t>(Rig.Device.Written()[78 + 5]), 0x20);
}

TEST_F(LinkFrames, BytesLeftOverBeforeAReadAreDiscarded) {
    // A stray byte while idle stays in the input until the next operation starts.
    Rig.Device.Feed("\x42");
    ASSERT_TRUE(Rig.Pump([&] { return Main().Connection.Port.GetInBuffUsed() == 1; }));
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    Deliver(ReadReply(0x0000, 0x44));
    Deliver(ReadReply(0x0000, 0x44));
    EXPECT_EQ(Main().Connection.Link.Received[0x0000], 0x44);
    EXPECT_EQ(Main().ProgressBar.Position(), 32);
}

TEST_F(LinkFrames, TrafficLogLinesAndDebugFile) {
    Main().FormPort.DebugFilePath = Rig.Dir.File("debug.txt");
    // Hidden: no packet lines anywhere, but the plain lines reach the memo.
    Main().TBReadClick();
    ASSERT_TRUE(Written(7));
    // Each of the first blocks of a read counts once it came twice.
    Deliver(ReadReply(0x0000, 0x01));
    Deliver(ReadReply(0x0000, 0x01));
    EXPECT_EQ(Rig.CountLines("COM"), 0);
    EXPECT_EQ(Rig.CountLines("copy to0000"), 1);
    EXPECT_FALSE(std::filesystem::exists(Rig.Dir.File("debug.txt")));

    Main().TBDebugClick();
    ASSERT_TRUE(Written(21));
    Deliver(ReadReply(0x0020, 0x02));
    Deliver(ReadReply(0x0020, 0x02));
    ASSERT_TRUE(Written(35));
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
    ASSERT_EQ(fileLines.size(), 4u);
    EXPECT_EQ(fileLines[2].substr(fileLines[2].find(' ') + 1), read);
    EXPECT_EQ(fileLines[3].substr(fileLines[3].find(' ') + 1), tail.back());
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
    Deliver(ReadReply(0x0000, 0xFF));
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 1), "255");
    Main().Dbg.Hide();
    ASSERT_TRUE(Written(21));
    Deliver(ReadReply(0x0020, 0x07));
    Deliver(ReadReply(0x0020, 0x07));
    EXPECT_EQ(Main().Dbg.SG.Cell(9, 33), "0");
}

// Each reply cut in two at every byte, straight into the receive handler (no threads): the
// first piece alone is judged only when it holds the whole reply, and the reply is judged
// once, whole. Bytes of a delivery past the reply are dropped. A read's reply is cut as the
// second of its pair, the first having come whole.
using ReplyAssembly = MainFixture;

TEST_F(ReplyAssembly, RepliesCutAnywhereAreJudgedOnceWhole) {
    Main->Connection.PortTest = [](int) { return false; }; // a probe then waits on a closed port
    TBytes block(BlockSize);
    for (size_t i = 0; i < BlockSize; ++i)
        block[i] = static_cast<uint8_t>(0x40 + i);
    TBytes longer = BlockReplyPacket(ReadCommand, 0x0000, block);
    longer.insert(longer.end(), 6, 0x77);
    struct Row {
        const char* Meaning;
        uint8_t Mode;
        TBytes Delivery;
        std::string Judged; // the box or traffic-log line that shows the reply was judged
    };
    const Row rows[] = {
        {"probe answered AA", ModeProbe, ProbeReplyPacket(ControllerAnswer), "Подключено на COM 1"},
        {"probe answered 55", ModeProbe, ProbeReplyPacket(0x55), "Ошибка подключения !"},
        {"read reply for block 0", ModeRead, BlockReplyPacket(ReadCommand, 0x0000, block), "copy to0000"},
        {"write echo of block 0", ModeWrite, BlockReplyPacket(WriteCommand, 0x0000, TBytes(BlockSize)),
         "copy to0000"},
        {"delivery of 45 bytes", ModeRead, longer, "copy to0000"},
    };
    auto judged = [&](const std::string& outcome) {
        const auto& lines = Main->FormPort.Memo1.Lines();
        return Ui.CountText(outcome) + static_cast<int>(std::count(lines.begin(), lines.end(), outcome));
    };
    for (const Row& row : rows) {
        const size_t whole = row.Mode == ModeProbe ? ProbeSize : BlockPacketSize;
        for (size_t cut = 1; cut <= whole; ++cut) {
            SCOPED_TRACE(std::string(row.Meaning) + ", first piece " + std::to_string(cut));
            Main->Saved = true;
            if (row.Mode == ModeProbe)
                Main->Connection.Link.StartProbe(false);
            else if (row.Mode == ModeRead) {
                Main->TBReadClick();
                Main->Connection.HandleDelivery(row.Delivery.data(), BlockPacketSize);
            } else
                Main->TBWriteClick();
            const int before = judged(row.Judged);
            const size_t first = cut == whole ? row.Delivery.size() : cut;
            Main->Connection.HandleDelivery(row.Delivery.data(), first);
            EXPECT_EQ(judged(row.Judged) - before, cut == whole ? 1 : 0);
            if (first < row.Delivery.size())
                Main->Connection.HandleDelivery(row.Delivery.data() + first, row.Delivery.size() - first);
            EXPECT_EQ(judged(row.Judged) - before, 1);
            EXPECT_EQ(Main->Connection.Link.Waiting(), 0u);
            if (row.Mode == ModeRead) {
                EXPECT_TRUE(std::equal(block.begin(), block.end(),
                                       Main->Connection.Link.Received.Data() + Address(row.Delivery.data())));
            }
            EXPECT_EQ(Main->Connection.LinkMode(), row.Mode == ModeProbe ? ModeIdle : row.Mode);
        }
    }
    EXPECT_EQ(Ui.CountText("Compare Erorr !!!"), 0);
}

} // namespace
