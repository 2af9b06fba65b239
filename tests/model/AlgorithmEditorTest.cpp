#include "support/MainFixture.h"

using AlgorithmEditor = MainFixture;

// Every zone button and relay box of every stage sets its own bit of the shown input's stage
// record and clears it again; nothing else in the image moves.
TEST_F(AlgorithmEditor, EachZoneAndRelayControlTogglesOnlyItsOwnBit) {
    Panel().ComboBox57.Select(2);
    Panel().ComboBox56.Select(8);
    ShowInput(5);
    ProgramStages(Layout::Stages, 1);
    const auto toggles = [this](auto& control, size_t offset, unsigned mask) {
        const ConfigImage before = Main->Image;
        ConfigImage set = before;
        set[offset] = static_cast<uint8_t>(set[offset] ^ mask);
        control.Click();
        EXPECT_EQ(Main->Image, set) << control.Name;
        control.Click();
        EXPECT_EQ(Main->Image, before) << control.Name;
    };
    for (int s = 0; s < Layout::Stages; ++s) {
        const size_t record = Layout::StageOffset(5, s);
        for (int z = 0; z < 8; ++z) {
            TButton& zone = Editor().ZoneButton(s, z);
            toggles(zone, record + Layout::Zones, 1u << z);
            EXPECT_EQ(zone.ImageIndex(), TAlgorithmEditor::PictureUp);
        }
        // Module 1 K1 is the top bit of the first relay byte, module 8 K2 the low bit of the second.
        for (int relay = 0; relay < 16; ++relay) {
            TCheckBox& box = Editor().RelayBox(s, relay / 2, relay % 2);
            toggles(box, record + Layout::Relays + relay / 8, 0x80u >> (relay % 8));
        }
    }
}

// The last message, the most repeats and the longest pause of each stage reach its record and
// its time: 255 plays of message 72's 2 s with 254 pauses of 35 s.
TEST_F(AlgorithmEditor, EachStageTakesTheLastMessageTheMostRepeatsAndTheLongestPause) {
    Editor().LenMes.EditValue(72, "2");
    ShowInput(2);
    ProgramStages(Layout::Stages, 1);
    for (int s = 0; s < Layout::Stages; ++s) {
        const size_t record = Layout::StageOffset(2, s);
        Message(s).Select(Message(s).Count() - 1);
        Repeats(s).Select(Repeats(s).Count() - 1);
        Pause(s).Select(Pause(s).Count() - 1);
        EXPECT_EQ(Byte(record + Layout::MessageNumber), 72) << s;
        EXPECT_EQ(Byte(record + Layout::RepeatCount), 255) << s;
        EXPECT_EQ(Byte(record + Layout::StageFlags), 0x80 | 7 << 3) << s;
        EXPECT_EQ(Time(s), "9400") << s;
    }
}

TEST_F(AlgorithmEditor, StageTimeIsPlaysTimesLengthPlusPauses) {
    EXPECT_FALSE(Stage(1).Enabled()) << "stage 2 waits for stage 1";
    Editor().LenMes.EditValue(5, "10");
    Stage(0).Click();
    Repeats(0).Select(3);
    Message(0).Select(4);
    Pause(0).Select(1);
    EXPECT_EQ(Time(0), "40");
    EXPECT_TRUE(Stage(1).Enabled());
    EXPECT_EQ(Editor().TotalTime->Caption(), "40");
    EXPECT_EQ(Byte(4), 0x88);
    EXPECT_EQ(Byte(5), 3);
    EXPECT_EQ(Byte(9), 5);
    // Editing the length table recomputes; an emptied length becomes "0" at once.
    Editor().LenMes.EditValue(5, "");
    EXPECT_EQ(Editor().LenMes.Value(5), "0");
    EXPECT_EQ(Time(0), "10");
    for (int r = 1; r <= 72; ++r)
        EXPECT_FALSE(Editor().LenMes.Value(r).empty());
}

TEST_F(AlgorithmEditor, UnlimitedRepeatsNeverEndWhateverTheLength) {
    Editor().LenMes.EditValue(2, "12");
    Stage(0).Click();
    Message(0).Select(1);
    EXPECT_EQ(Time(0), "Без огр");
    EXPECT_EQ(Editor().TotalTime->Caption(), "Без ограничения");
    Editor().LenMes.EditValue(2, "0");
    EXPECT_EQ(Time(0), "Без огр");
    EXPECT_EQ(Editor().TotalTime->Caption(), "Без ограничения");
}

TEST_F(AlgorithmEditor, AStageWithoutALengthShowsZeroNeverAnEarlierTime) {
    Editor().LenMes.EditValue(1, "7");
    Stage(0).Click();
    Message(0).Select(0);
    Repeats(0).Select(2);
    EXPECT_EQ(Time(0), "14");
    // Choosing no message is impossible by picking; an image without one shows it.
    Main->Image[Layout::StageOffset(0, 0) + Layout::MessageNumber] = 0;
    Message(0).SetItemIndex(-1);
    Repeats(0).Select(3);
    EXPECT_EQ(Time(0), "0");

    // Input 2 plays no message at stage 1: it shows 0, never input 1's 21 s.
    const size_t r = Layout::StageOffset(1, 0);
    Main->Image[r] = 0x80;
    Main->Image[r + Layout::RepeatCount] = 2;
    Main->Image[Layout::StageOffset(0, 0) + Layout::MessageNumber] = 1;
    ShowInput(1);
    ShowInput(0);
    EXPECT_EQ(Time(0), "21");
    ShowInput(1);
    EXPECT_EQ(Time(0), "0");
    EXPECT_EQ(Editor().TotalTime->Caption(), "0");
}

TEST_F(AlgorithmEditor, MessageNumbersOutsideTheTableShowNoChoiceAndStayStored) {
    const uint8_t numbers[] = {0, 1, 72, 73, 255};
    for (int s = 0; s < 5; ++s)
        Main->Image[Layout::StageOffset(0, s) + Layout::MessageNumber] = numbers[s];
    ShowInput(0);
    const int shown[] = {-1, 0, 71, -1, -1};
    for (int s = 0; s < 5; ++s) {
        EXPECT_EQ(Message(s).ItemIndex(), shown[s]) << int(numbers[s]);
        EXPECT_EQ(Byte(Layout::StageOffset(0, s) + Layout::MessageNumber), numbers[s]);
    }
}

TEST_F(AlgorithmEditor, UnlimitedRepeatsCutTheChainAfterTheStage) {
    ProgramStages(4, 2);
    for (int s = 0; s < 4; ++s)
        ASSERT_TRUE(Stage(s).Checked());
    Repeats(1).Select(0);
    EXPECT_TRUE(Stage(1).Checked());
    for (int s = 2; s < 8; ++s) {
        EXPECT_FALSE(Stage(s).Checked()) << s;
        EXPECT_EQ(Byte(Layout::StageOffset(0, s)) & 0x80, 0) << s;
    }
    EXPECT_FALSE(Stage(2).Enabled());
    // The enabling pass judges by the repeat boxes alone: stage 3 still counts 2 plays.
    EXPECT_TRUE(Stage(3).Enabled());
    EXPECT_TRUE(Stage(4).Enabled());
    EXPECT_FALSE(Stage(5).Enabled());
    // Their other fields stay in the image.
    EXPECT_EQ(Byte(Layout::StageOffset(0, 2) + Layout::RepeatCount), 2);
}

TEST_F(AlgorithmEditor, UncheckingStageOneWithCountedRepeatsLeavesStageTwoEnabled) {
    ProgramStages(2, 2);
    Stage(0).Click();
    EXPECT_FALSE(Stage(1).Checked());
    EXPECT_TRUE(Stage(1).Enabled());
    EXPECT_EQ(Byte(Layout::StageOffset(0, 1)) & 0x80, 0);
    EXPECT_FALSE(Message(0).Enabled());
}

TEST_F(AlgorithmEditor, PauseOfInputTwoStageThreeLandsInByte64) {
    ShowInput(1);
    ProgramStages(3, 1);
    Pause(2).Select(3);
    EXPECT_EQ(Byte(64), 0x98);
}

TEST_F(AlgorithmEditor, ZoneAndRelayBitsFollowTheirOwnBitOrders) {
    Panel().ComboBox57.Select(2);
    Panel().ComboBox56.Select(8);
    Stage(0).Click();
    Editor().ZoneButton(0, 0).Click();
    EXPECT_EQ(Byte(6), 0x01);
    EXPECT_EQ(Editor().ZoneButton(0, 0).ImageIndex(), TAlgorithmEditor::PictureDown);
    Editor().RelayBox(0, 0, 0).Click();
    EXPECT_EQ(Byte(7), 0x80);
    Editor().RelayBox(0, 7, 1).Click();
    EXPECT_EQ(Byte(8), 0x01);

    ShowInput(2);
    Stage(0).Click();
    Editor().ZoneButton(0, 1).Click();
    EXPECT_EQ(Byte(100), 0x80);
    EXPECT_EQ(Byte(102), 0x02);
}

TEST_F(AlgorithmEditor, SwitchingInputsShowsEachAsItWasLeft) {
    Panel().ComboBox57.Select(1);
    Panel().ComboBox56.Select(2);
    Editor().LenMes.EditValue(3, "9");
    ProgramStages(2, 3);
    Message(1).Select(2);
    Pause(1).Select(4);
    Editor().ZoneButton(1, 3).Click();
    Editor().RelayBox(1, 1, 1).Click();
    const ConfigImage before = Main->Image;
    ShowInput(1);
    EXPECT_FALSE(Editor().InputButtons[0]->Down());
    EXPECT_FALSE(Stage(0).Checked());
    EXPECT_FALSE(Editor().ZoneButton(1, 3).Down());
    ShowInput(0);
    EXPECT_EQ(Main->Image, before);
    EXPECT_TRUE(Stage(1).Checked());
    EXPECT_EQ(Message(1).Text(), "3");
    EXPECT_EQ(Pause(1).Text(), "20");
    EXPECT_TRUE(Editor().ZoneButton(1, 3).Down());
    EXPECT_TRUE(Editor().RelayBox(1, 1, 1).Checked());
    EXPECT_EQ(Time(1), "67"); // three plays of 9 s with two pauses of 20 s
}

// The user can leave stage 1 off and stage 2 on: looking at the input again, or at
// another input whose chain is broken, keeps every bit and marks nothing.
TEST_F(AlgorithmEditor, LookingAtABrokenChainKeepsItAndMarksNothing) {
    ProgramStages(1, 2);
    Stage(0).Click();
    ASSERT_TRUE(Stage(1).Enabled());
    Stage(1).Click();
    const size_t s1 = Layout::StageOffset(0, 0), s2 = Layout::StageOffset(0, 1);
    ASSERT_EQ(Byte(s1) & 0x80, 0);
    ASSERT_EQ(Byte(s2) & 0x80, 0x80);
    // Input 4 plays stage 1 without end, and yet has stages 2 and 3 switched on.
    for (int s = 0; s < 3; ++s)
        Main->Image[Layout::StageOffset(3, s)] = 0x80;
    const ConfigImage image = Main->Image;
    Main->Saved = true;
    ShowInput(3);
    EXPECT_TRUE(Stage(1).Checked());
    EXPECT_FALSE(Stage(1).Enabled()); // stage 1's repeat box shows "Без огр"
    EXPECT_TRUE(Stage(2).Checked());
    ShowInput(0);
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->Saved);
    EXPECT_FALSE(Stage(0).Checked());
    EXPECT_TRUE(Stage(1).Checked());
    EXPECT_TRUE(Stage(1).Enabled());
    EXPECT_TRUE(Message(1).Enabled());
    EXPECT_FALSE(Stage(2).Enabled());

    // The user's own edits still chain: "Без огр" at stage 1 unchecks stage 2 and clears its bit.
    Stage(0).Click();
    Repeats(0).Select(0);
    EXPECT_FALSE(Stage(1).Checked());
    EXPECT_EQ(Byte(s2) & 0x80, 0);
    EXPECT_FALSE(Main->Saved);
}
