// Connect, Read and Write against the simulated controller, through the fake device and
// (on POSIX) through a pseudo-terminal served by verda-sim.
#include "LinkRig.h"

namespace {

class LinkTransfer : public ::testing::TestWithParam<TRigKind> {
protected:
    std::unique_ptr<LinkRig> OwnRig = GetParam().Make();
    LinkRig& Rig = *OwnRig;
    TMain& Main() { return *Rig.Main; }
    // Requests the editor sent since connecting, as the controller saw them (fake device only).
    int RequestsFor(uint8_t command) {
        const std::string written = Rig.Device.Written();
        const std::string header{'\x00', '\x01', command == 0x33 ? '\x06' : '\x26',
                                 static_cast<char>(command)};
        int n = 0;
        for (size_t at = written.find(header); at != std::string::npos; at = written.find(header, at + 1))
            ++n;
        return n;
    }
};

TEST_P(LinkTransfer, ProbeAnswerDecidesTheConnection) {
    Rig.Start(PatternImage(1));
    Rig.Connect();
    EXPECT_EQ(Rig.Ui.CountText("Подключено на COM 3"), 1);
    EXPECT_EQ(Main().StatusBar1.PanelText(0), "Подключено на COM 3");
    EXPECT_TRUE(Main().TBRead.Enabled());
    EXPECT_TRUE(Main().TBWrite.Enabled());
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_TRUE(Main().Connection.Port.GetOpen());

    // Disconnecting closes the port and returns to "not connected".
    Main().TBFind.Click();
    EXPECT_FALSE(Main().Connection.Port.GetOpen());
    EXPECT_EQ(Main().StatusBar1.PanelText(0), TConnectionControls::NotConnected);
    EXPECT_FALSE(Main().TBRead.Enabled());
    EXPECT_FALSE(Main().TBWrite.Enabled());
}

TEST_P(LinkTransfer, WrongProbeAnswerIsAConnectionError) {
    Rig.Start(PatternImage(1), {"--probe-answer", "55"});
    Rig.Connect();
    ASSERT_EQ(Rig.Ui.Boxes.size(), 1u);
    EXPECT_EQ(Rig.Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_EQ(Rig.Ui.Boxes[0].Text, "Ошибка подключения !");
    EXPECT_FALSE(Main().TBRead.Enabled());
    EXPECT_TRUE(Main().TBFind.Down());
    EXPECT_TRUE(Main().Connection.Port.GetOpen()) << "the port stays open after a wrong answer";
}

TEST_P(LinkTransfer, FullReadFillsTheImageAndTheEditor) {
    const TImage memory = PatternImage(3);
    Rig.Start(memory);
    Rig.Connect();
    Main().TBReadClick();
    EXPECT_EQ(Main().PanelScan.Caption(), "Чтение данных ...");
    ASSERT_TRUE(Rig.Transfer());

    EXPECT_EQ(Main().ProgressBar.Position(), 2048);
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_EQ(Main().Caption(), "Конфигурация -  *");
    EXPECT_TRUE(Main().TBSave.Enabled());
    EXPECT_TRUE(Main().TBReport.Enabled());
    EXPECT_FALSE(Main().Saved);
    EXPECT_EQ(Rig.CountLines("copy to"), 64);
    EXPECT_EQ(Main().FormPort.Memo1.Lines().back(), "copy to07E0");
    if (Rig.FakeDevice()) {
        // Every block asked for once, and some asked again until the line proved clean.
        EXPECT_EQ(RequestsFor(0x33), 64 + Main().Connection.Link.Result.Resent);
        EXPECT_GT(Main().Connection.Link.Result.Resent, 0);
        // The last request asks for 0x07E0.
        EXPECT_EQ(Rig.Device.Written().substr(Rig.Device.Written().size() - 7, 6),
                  std::string("\x00\x01\x06\x33\x07\xE0", 6));
    }
    // The image as received, before the editor's refill.
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), Main().Connection.Link.Received.Data()));
    EXPECT_EQ(Main().StatusBar1.PanelText(1), "Чтение завершено");
    // Bytes the editor does not interpret stay as received after the refill.
    const TImage image = Rig.Image();
    EXPECT_TRUE(std::equal(image.begin() + 0x0700, image.end(), memory.begin() + 0x0700));
}

TEST_P(LinkTransfer, FullWriteReportsAStuckBlockOnceAndCompletes) {
    Rig.Start(TImage{}, {"--stuck-block", "0100"});
    Rig.Connect();
    const TImage image = PatternImage(9);
    std::copy(image.begin(), image.end(), Main().Image.Data());
    Main().TBWriteClick();
    ASSERT_EQ(Rig.Ui.Boxes.back().Text,
              "Текущие настройки конфигурации контроллера будут изменены!\n\tПродолжить?");
    ASSERT_TRUE(Rig.Transfer());

    EXPECT_EQ(Rig.Ui.CountText("Compare Erorr !!!\nблок 0100"), 1);
    EXPECT_EQ(Rig.Ui.Texts().back(), "Запись завершена, но контроллер хранит иначе блоки 0100.");
    EXPECT_EQ(Main().Connection.Link.Result.CompareFailures, std::vector<uint16_t>{0x0100});
    EXPECT_EQ(Main().ProgressBar.Position(), 2048);
    EXPECT_FALSE(Main().PanelScan.Visible());
    EXPECT_TRUE(Main().TBReport.Enabled());
    EXPECT_EQ(Rig.Image(), image) << "a write never changes the image";
    TImage expected = image;
    std::fill_n(expected.begin() + 0x0100, 32, 0);
    EXPECT_EQ(Rig.Memory(), expected);
}

INSTANTIATE_TEST_SUITE_P(Each, LinkTransfer, ::testing::ValuesIn(RigKinds()), RigKindName);

} // namespace
