#include "support/MainFixture.h"
#include <random>

using CompositionRules = MainFixture;

TEST_F(CompositionRules, UnitCountsPackIntoByteZero) {
    Panel().ComboBox58.Select(2);
    Panel().ComboBox57.Select(1);
    Panel().ComboBox55.Select(2);
    EXPECT_EQ(Byte(0), 0x92);
    EXPECT_EQ(Panel().ComboBox54.Items(), (std::vector<std::string>{"0"}));
    // The amplifier count touches nothing else.
    Panel().ComboBox58.Select(1);
    EXPECT_EQ(Byte(0), 0x52);
}

TEST_F(CompositionRules, TheConsolesShareALimitOfTwo) {
    Panel().ComboBox55.Select(1);
    EXPECT_EQ(Panel().ComboBox54.Items(), (std::vector<std::string>{"0", "1"}));
    Panel().ComboBox54.Select(1);
    EXPECT_EQ(Panel().ComboBox55.Items(), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(Panel().ComboBox55.ItemIndex(), 1);
    Panel().ComboBox55.Select(0);
    EXPECT_EQ(Panel().ComboBox54.Items(), (std::vector<std::string>{"0", "1", "2"}));
    EXPECT_EQ(Panel().ComboBox54.ItemIndex(), 1);
}

TEST_F(CompositionRules, TheGongNeedsAnAnnouncerConsole) {
    EXPECT_FALSE(Panel().CheckBox316.Enabled());
    Panel().ComboBox54.Select(1);
    EXPECT_TRUE(Panel().CheckBox316.Enabled());
    EXPECT_FALSE(Panel().CheckBox316.Checked());
    Panel().CheckBox316.Click();
    EXPECT_EQ(Byte(2), 0x80);
    Panel().ComboBox54.Select(0);
    EXPECT_FALSE(Panel().CheckBox316.Checked());
    EXPECT_FALSE(Panel().CheckBox316.Enabled());
    EXPECT_EQ(Byte(2), 0x00);
}

TEST_F(CompositionRules, FewerSplittersHideZonesButKeepTheirStageBits) {
    Panel().ComboBox57.Select(2);
    for (auto& music : Panel().CBMuz)
        music->Click();
    EXPECT_EQ(Byte(1), 0xFF);
    ProgramStages(2, 1);
    Editor().ZoneButton(0, 6).Click();
    Editor().ZoneButton(1, 2).Click();
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Zones), 0x40);

    Panel().ComboBox57.Select(1);
    EXPECT_EQ(Byte(1), 0x0F);
    for (int z = 4; z < 8; ++z) {
        EXPECT_FALSE(Panel().CBMuz[static_cast<size_t>(z)]->Enabled());
        for (int s = 0; s < 8; ++s) {
            EXPECT_FALSE(Editor().ZoneButton(s, z).Down());
            EXPECT_FALSE(Editor().ZoneButton(s, z).Enabled());
            EXPECT_EQ(Editor().ZoneButton(s, z).ImageIndex(), TAlgorithmEditor::PictureUp);
        }
    }
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Zones), 0x40);
    EXPECT_TRUE(Editor().ZoneButton(1, 2).Down());
    EXPECT_TRUE(Editor().ZoneButton(1, 2).Enabled());
    EXPECT_FALSE(Editor().ZoneButton(2, 2).Enabled()); // stage 3 is off

    Panel().ComboBox57.Select(0);
    EXPECT_EQ(Byte(1), 0x00);
    EXPECT_EQ(Byte(Layout::StageOffset(0, 1) + Layout::Zones), 0x04);
}

TEST_F(CompositionRules, FewerModulesClearTheRelaysOfTheShownInputOnly) {
    Panel().ComboBox56.Select(3);
    ProgramStages(2, 1);
    for (int s = 0; s < 2; ++s)
        for (int m = 0; m < 3; ++m)
            Editor().RelayBox(s, m, 1).Click();
    ShowInput(1);
    ProgramStages(1, 1);
    Editor().RelayBox(0, 2, 0).Click();
    ShowInput(0);
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Relays), 0x54);

    Panel().ComboBox56.Select(1);
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Relays), 0x40);
    EXPECT_EQ(Byte(Layout::StageOffset(0, 1) + Layout::Relays), 0x40);
    EXPECT_TRUE(Editor().RelayBox(0, 0, 1).Enabled());
    EXPECT_FALSE(Editor().RelayBox(0, 1, 1).Enabled());
    EXPECT_FALSE(Editor().RelayBox(2, 0, 0).Enabled()); // stage 3 is off
    // Input 2 keeps module 3's relay until it is shown.
    EXPECT_EQ(Byte(Layout::StageOffset(1, 0) + Layout::Relays), 0x08);
    ShowInput(1);
    EXPECT_EQ(Byte(Layout::StageOffset(1, 0) + Layout::Relays), 0x00);

    Panel().ComboBox56.Select(8);
    EXPECT_EQ(Byte(2), 0x08);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Editor().RelayBox(0, i / 2, i % 2).Enabled());
}

TEST_F(CompositionRules, RefillingSilencesThePanelHandlerButNotTheStageHandler) {
    Panel().ComboBox56.Select(2);
    Panel().ComboBox54.Select(1);
    Panel().CheckBox316.Click();
    ProgramStages(1, 1);
    Editor().RelayBox(0, 1, 0).Click();
    Main->Refilling = true;
    Panel().CBMuz[0]->SetChecked(true);
    EXPECT_EQ(Byte(1), 0x00);
    Panel().ComboBox54.SetItemIndex(0);
    Panel().ApplyRules("PultDiktor");
    EXPECT_FALSE(Panel().CheckBox316.Checked());
    EXPECT_EQ(Byte(2) & 0x80, 0x80); // the gong bit stays while refilling
    Panel().ComboBox56.SetItemIndex(1);
    Panel().ApplyRules("Modul");
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Relays), 0x00); // relays are cleared all the same
}

TEST_F(CompositionRules, ShowCompositionDecodesCountsAndIdentity) {
    Main->Image[0] = 0x92;
    Main->Image[1] = 0x81;
    Main->Image[2] = 0xC3;
    const char serial[] = {'A', '7', 0, 'Z'};
    for (int i = 0; i < 4; ++i)
        Main->Image[483 + static_cast<size_t>(i)] = static_cast<uint8_t>(serial[i]);
    Main->Image[488] = '0';
    Main->Image[489] = '9';
    Main->Image[497] = static_cast<uint8_t>('\xC0'); // a Cyrillic letter in the controller's code page
    Main->ShowComposition();
    EXPECT_EQ(Panel().ComboBox58.ItemIndex(), 2);
    EXPECT_EQ(Panel().ComboBox57.ItemIndex(), 1);
    EXPECT_EQ(Panel().ComboBox54.ItemIndex(), 0);
    EXPECT_EQ(Panel().ComboBox55.ItemIndex(), 2);
    EXPECT_TRUE(Panel().CBMuz[0]->Checked());
    EXPECT_TRUE(Panel().CBMuz[7]->Checked());
    EXPECT_EQ(Panel().ComboBox56.ItemIndex(), 3);
    EXPECT_TRUE(Panel().CheckBox316.Checked());
    EXPECT_TRUE(Panel().CheckBox325.Checked());
    EXPECT_EQ(Panel().Edit1.Text(), "A7");
    EXPECT_EQ(Panel().Edit2.Text(), "09");
    EXPECT_EQ(Panel().Edit5.Text(), "А");
    // Written back through the handler: the text ends at its first zero and is padded with zeros.
    EXPECT_EQ(Byte(486), 0);
    EXPECT_EQ(Byte(497), 0xC0);

    // A module count beyond the choices leaves the box empty and the byte as it was.
    Main->Image[2] = 0x0C;
    Main->ShowComposition();
    EXPECT_EQ(Panel().ComboBox56.ItemIndex(), -1);
    Main->ApplyRules("ALL");
    EXPECT_EQ(Byte(2), 0x0C);
    EXPECT_FALSE(Editor().RelayBox(0, 0, 0).Enabled());
}

// Random images that obey the chaining and composition rules decode without a byte
// changing, and bytes the editor does not interpret survive any edits.
TEST_F(CompositionRules, ConsistentImagesSurviveDecodingAndForeignBytesSurviveEdits) {
    std::mt19937 random(20261209);
    auto roll = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        Start();
        ConfigImage image;
        for (size_t i = 0; i < image.Size(); ++i)
            image[i] = static_cast<uint8_t>(roll(256));
        const int fire = roll(3), announcer = roll(3 - fire), splitters = roll(3), modules = roll(9);
        image[0] = static_cast<uint8_t>(roll(3) << 6 | splitters << 4 | announcer << 2 | fire);
        const int musicMask = splitters == 0 ? 0 : splitters == 1 ? 0x0F : 0xFF;
        image[1] &= static_cast<uint8_t>(musicMask);
        image[2] = static_cast<uint8_t>((image[2] & 0x70) | modules);
        if (announcer > 0 && roll(2))
            image[2] |= 0x80;
        for (int n = 0; n < 8; ++n) {
            int chained = roll(9);
            for (int s = 0; s < 8; ++s) {
                uint8_t* r = image.Data() + Layout::StageOffset(n, s);
                r[0] = static_cast<uint8_t>((r[0] & 0x7F) | (s < chained ? 0x80 : 0));
                if (s < chained - 1 && r[1] == 0)
                    r[1] = 1;
                r[5] = static_cast<uint8_t>(1 + roll(72));
                const uint16_t relays = static_cast<uint16_t>(r[3] << 8 | r[4]);
                const uint16_t allowed =
                    static_cast<uint16_t>(modules == 8 ? 0xFFFF : ~(0xFFFF >> (2 * modules)));
                r[3] = static_cast<uint8_t>((relays & allowed) >> 8);
                r[4] = static_cast<uint8_t>(relays & allowed);
            }
        }
        image[480] = 0x53;
        image[481] = 0x4E;
        image[496] = 0x56;
        for (size_t i = 483; i < 499; ++i)
            if (i != 487 && i != 490 && i != 493 && i != 496)
                image[i] = static_cast<uint8_t>('0' + roll(10));

        Main->Image = image;
        Main->Refilling = true;
        Main->ShowComposition();
        for (int n = 0; n < 8; ++n)
            ShowInput(n);
        Main->Refilling = false;
        ShowInput(0);
        ASSERT_EQ(Main->Image, image) << "round " << round;

        // Edits never touch the bytes the editor does not interpret.
        for (int edit = 0; edit < 60; ++edit) {
            switch (roll(6)) {
            case 0:
                ShowInput(roll(8));
                break;
            case 1:
                Stage(roll(8)).Click();
                break;
            case 2:
                Repeats(roll(8)).Select(roll(256));
                break;
            case 3:
                Editor().ZoneButton(roll(8), roll(8)).Click();
                break;
            case 4:
                Editor().RelayBox(roll(8), roll(8), roll(2)).Click();
                break;
            default:
                Panel().ComboBox57.Select(roll(3));
                Panel().ComboBox56.Select(roll(9));
                break;
            }
        }
        for (size_t i = 0; i < image.Size(); ++i) {
            const bool interpreted = i <= 2 || (i >= 4 && i <= 387) || i == 480 || i == 481 || i == 496 ||
                                     (i >= 483 && i <= 486) || (i >= 488 && i <= 489) ||
                                     (i >= 491 && i <= 492) || (i >= 494 && i <= 495) ||
                                     (i >= 497 && i <= 498);
            if (!interpreted) {
                ASSERT_EQ(Main->Image[i], image[i]) << "offset " << i;
            }
        }
        // Stage records keep their unused flag bits.
        for (int n = 0; n < 8; ++n)
            for (int s = 0; s < 8; ++s) {
                const size_t r = Layout::StageOffset(n, s);
                ASSERT_EQ(Main->Image[r] & 0x47, image[r] & 0x47);
            }
    }
}
