#include "model/Configuration.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
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

TEST_F(CompositionRules, FewerSplittersHideZonesAndClearTheirStageBits) {
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
    EXPECT_EQ(Byte(Layout::StageOffset(0, 0) + Layout::Zones), 0x00);
    EXPECT_TRUE(Editor().ZoneButton(1, 2).Down());
    EXPECT_TRUE(Editor().ZoneButton(1, 2).Enabled());
    EXPECT_FALSE(Editor().ZoneButton(2, 2).Enabled()); // stage 3 is off

    // Zones given back show what is stored, at once: here a bit an opened image brought.
    Main->Image[Layout::StageOffset(0, 0) + Layout::Zones] = 0x40;
    Panel().ComboBox57.Select(2);
    EXPECT_TRUE(Editor().ZoneButton(0, 6).Down());
    EXPECT_TRUE(Editor().ZoneButton(0, 6).Enabled());
    EXPECT_EQ(Editor().ZoneButton(0, 6).ImageIndex(), TAlgorithmEditor::PictureDown);
    EXPECT_FALSE(Editor().ZoneButton(0, 5).Down());

    Panel().ComboBox57.Select(0);
    EXPECT_EQ(Byte(1), 0x00);
    EXPECT_EQ(Byte(Layout::StageOffset(0, 1) + Layout::Zones), 0x00);
}

TEST_F(CompositionRules, FewerModulesClearTheirRelaysInEveryInput) {
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
    // Input 2 has lost module 3's relay too.
    ShowInput(1);
    EXPECT_EQ(Byte(Layout::StageOffset(1, 0) + Layout::Relays), 0x00);
    EXPECT_FALSE(Editor().RelayBox(0, 2, 0).Checked());
    EXPECT_FALSE(Editor().RelayBox(0, 2, 0).Enabled());
    ShowInput(0);

    Panel().ComboBox56.Select(8);
    EXPECT_EQ(Byte(2), 0x08);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(Editor().RelayBox(0, i / 2, i % 2).Enabled());
}

// Whatever the image held and however the counts change, no input keeps a zone, relay, music
// zone or gong bit of hardware the user's count edits took away, and one Undo brings back the
// image as it was before the change.
TEST_F(CompositionRules, CountChangesLeaveNoInputWithBitsOfHardwareNotFitted) {
    std::mt19937 random(29);
    TempDir dir;
    for (int round = 0; round < 16; ++round) {
        std::string bytes(Layout::ImageSize, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(random());
        bytes[0] = static_cast<char>(random() % 3 << 4 | random() % 3 << 2); // no fire console
        bytes[2] = static_cast<char>((bytes[2] & 0xF0) | random() % 9);
        TempDir::Write(dir.File("p.usr"), bytes);
        Main->Saved = true;
        Ui.FileAnswers = {dir.File("p.usr")};
        Main->TBOpenClick();
        ShowInput(static_cast<int>(random() % 8));
        bool zones = false, relays = false, gong = false;
        for (int step = 0; step < 12; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
            const ConfigImage before = Main->Image;
            const unsigned kind = random() % 3;
            TComboBox& box = kind == 0   ? Panel().ComboBox57
                             : kind == 1 ? Panel().ComboBox56
                                         : Panel().ComboBox54;
            box.Select(static_cast<int>(random() % static_cast<unsigned>(box.Count())));
            (kind == 0 ? zones : kind == 1 ? relays : gong) = true;

            const TConfiguration c = DecodeConfiguration(Main->Image, nullptr);
            const int reach = ZonesProvided(c.Composition.Splitters);
            const int switched = 2 * ModulesProvided(c.Composition.Modules);
            for (int z = reach; zones && z < 8; ++z)
                ASSERT_FALSE(c.Composition.MusicZones[static_cast<size_t>(z)]) << z;
            ASSERT_FALSE(gong && c.Composition.Gong && c.Composition.AnnouncerConsoles == 0);
            for (const TInputSettings& input : c.Inputs)
                for (const TStageSettings& stage : input.Stages) {
                    for (int z = reach; zones && z < 8; ++z)
                        ASSERT_FALSE(stage.Zones[static_cast<size_t>(z)]) << z;
                    for (int j = switched; relays && j < 16; ++j)
                        ASSERT_FALSE(stage.Relays[static_cast<size_t>(j)]) << j;
                }
            if (Main->Image != before) {
                Main->TBUndoClick();
                ASSERT_EQ(Main->Image, before);
                Main->TBRedoClick();
            }
        }
    }
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
    Main->Image[491] = '1';
    Main->Image[494] = '2';
    Main->Image[495] = '6';
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
    EXPECT_EQ(Panel().Edit3.Text(), "1");
    EXPECT_EQ(Panel().Edit4.Text(), "26");
    EXPECT_EQ(Panel().Edit5.Text(), "А");
    // Decoding writes nothing back: a text ends at its first zero, the bytes after it stay.
    EXPECT_EQ(Byte(486), 'Z');
    EXPECT_TRUE(Main->Saved);
}

// A module count of 9 to 15 shows no selection, makes no relay available and clears none,
// in any input shown and in the report.
TEST_F(CompositionRules, AnUnreadableModuleCountKeepsEveryRelay) {
    Panel().ComboBox56.Select(2);
    ProgramStages(2, 1);
    Editor().RelayBox(1, 1, 1).Click();
    Main->Image[Layout::StageOffset(5, 0) + Layout::Relays] = 0xFF;
    Main->Image[2] = 0x0C;
    const ConfigImage image = Main->Image;
    Main->ShowComposition();
    EXPECT_EQ(Panel().ComboBox56.ItemIndex(), -1);
    ShowInput(5);
    TempDir dir;
    Main->ReportFileName = dir.File("VarokConfig.txt");
    Main->TBReportClick();
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Editor().RelayBox(1, 1, 1).Checked());
    EXPECT_FALSE(Editor().RelayBox(1, 1, 1).Enabled());
}

// Fields no other test reaches: the AUX priority bit and the second and third date parts.
TEST_F(CompositionRules, AuxPriorityAndTheDatePartsLandInTheirBytes) {
    Panel().CheckBox325.Click();
    EXPECT_EQ(Byte(2), 0x40);
    Start("-debug");
    Panel().Edit3.Type("12");
    Panel().Edit4.Type("7");
    EXPECT_EQ((std::vector<uint8_t>{Byte(490), Byte(491), Byte(492), Byte(493), Byte(494), Byte(495)}),
              (std::vector<uint8_t>{0, '1', '2', 0, '7', 0}));
}

// Decoding shows what the image holds, whatever the screen showed before: the console
// choices are refilled first, and a gong or a music zone that the composition leaves no
// room for shows checked and disabled. The user's own count edit still takes them away.
TEST_F(CompositionRules, DecodingShowsWhatTheImageHoldsWhateverTheScreenShowedBefore) {
    Panel().ComboBox55.Select(2);
    ASSERT_EQ(Panel().ComboBox54.Items(), (std::vector<std::string>{"0"}));
    Main->Image[0] = 0x18; // one splitter, two announcer consoles, no fire console
    Main->Image[1] = 0xFF;
    Main->Image[2] = 0x80;
    Main->ShowComposition();
    Main->ApplyRules("ALL");
    EXPECT_EQ(Panel().ComboBox54.ItemIndex(), 2);
    EXPECT_EQ(Panel().ComboBox55.Items(), (std::vector<std::string>{"0"}));
    EXPECT_EQ(Panel().ComboBox55.ItemIndex(), 0);
    EXPECT_TRUE(Panel().CheckBox316.Checked());
    EXPECT_TRUE(Panel().CheckBox316.Enabled());

    Main->Image[0] = 0x10; // one splitter, no announcer console, yet the gong bit is set
    Main->ShowComposition();
    ShowInput(0);
    EXPECT_TRUE(Panel().CheckBox316.Checked());
    EXPECT_FALSE(Panel().CheckBox316.Enabled());
    for (int z = 4; z < 8; ++z) {
        EXPECT_TRUE(Panel().CBMuz[static_cast<size_t>(z)]->Checked()) << z;
        EXPECT_FALSE(Panel().CBMuz[static_cast<size_t>(z)]->Enabled()) << z;
    }
    // Edits elsewhere leave them; the edits of their own counts take them away.
    ProgramStages(2, 1);
    Panel().ComboBox55.Select(1);
    EXPECT_EQ(Byte(1), 0xFF);
    EXPECT_EQ(Byte(2), 0x80);
    Panel().ComboBox54.Select(0);
    EXPECT_FALSE(Panel().CheckBox316.Checked());
    EXPECT_EQ(Byte(2), 0x00);
    Panel().ComboBox57.Select(1);
    EXPECT_EQ(Byte(1), 0x0F);
}
