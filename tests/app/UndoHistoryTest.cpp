#include "link/LinkProtocol.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <random>

namespace {

// Everything the editor shows: each control's state, the times and the note.
std::string Screen(TMain& main) {
    std::string shown = std::to_string(main.CurrentInput);
    auto add = [&shown](const TControl& c, const std::string& state) {
        shown += "|" + c.Name + (c.Enabled() ? "+" : "-") + state;
    };
    std::vector<TControl*> all = main.Algorithms.GridControls();
    for (TControl* c : main.Composition.Controls())
        all.push_back(c);
    for (TControl* c : all) {
        if (auto* box = dynamic_cast<TComboBox*>(c))
            add(*c, std::to_string(box->ItemIndex()) + box->Text() + std::to_string(box->Count()));
        else if (auto* check = dynamic_cast<TCheckBox*>(c))
            add(*c, check->Checked() ? "x" : "o");
        else if (auto* button = dynamic_cast<TButton*>(c))
            add(*c, (button->Down() ? "v" : "^") + std::to_string(button->ImageIndex()));
        else if (auto* edit = dynamic_cast<TEdit*>(c))
            add(*c, edit->Text());
    }
    for (auto& time : main.Algorithms.StageTimes)
        shown += "|" + time->Caption();
    shown += "|" + main.Algorithms.TotalTime->Caption() + (main.Algorithms.LengthsNote.Visible() ? "!" : "");
    return shown;
}

// What a step changes (the bytes and the lengths), and everything the editor shows.
using TSeen = std::pair<std::string, std::string>;

class UndoHistory : public MainFixture {
protected:
    TSeen Seen() {
        std::string data(reinterpret_cast<const char*>(Main->Image.Data()), ConfigImage::Size());
        for (int k = 1; k <= 72; ++k)
            data += "|" + Editor().LenMes.Value(k);
        return {data, Screen(*Main)};
    }
    // A whole read from a controller holding `memory`.
    void Read(const ConfigImage& memory) {
        using namespace LinkProtocol;
        Main->TBReadClick();
        for (uint16_t address = 0; address < ImageSize; address += BlockSize) {
            const TBytes reply =
                BlockReplyPacket(ReadCommand, address, std::span(memory.Data() + address, BlockSize));
            // Until the line has proved clean a reply counts when it came twice the same.
            const int before = Main->Connection.Link.Progress();
            for (int copy = 0; copy < 2 && Main->Connection.Link.Progress() == before; ++copy)
                Main->Connection.HandleDelivery(reply.data(), reply.size());
        }
        EXPECT_EQ(Main->StatusBar1.PanelText(1), "Чтение завершено");
    }
    // One thing a user does, chosen at random among the enabled controls.
    void Act(std::mt19937& random) {
        auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const int s = pick(8);
        TComboBox* fields[] = {&Message(s), &Repeats(s), &Pause(s)};
        TComboBox* counts[] = {&Panel().ComboBox54, &Panel().ComboBox55, &Panel().ComboBox56,
                               &Panel().ComboBox57, &Panel().ComboBox58};
        TComboBox& field = *fields[pick(3)];
        TComboBox& count = *counts[pick(5)];
        switch (pick(9)) {
        case 0:
            return Stage(s).Click();
        case 1:
            return field.Select(pick(std::min(field.Count(), 4)));
        case 2:
            return Editor().ZoneButton(s, pick(8)).Click();
        case 3:
            return Editor().RelayBox(s, pick(8), pick(2)).Click();
        case 4:
            return count.Select(pick(count.Count()));
        case 5:
            return Panel().CBMuz[static_cast<size_t>(s)]->Click();
        case 6:
            return Editor().LenMes.EditValue(1 + pick(4), std::to_string(pick(3)));
        case 7:
            return ShowInput(pick(8));
        default: {
            ConfigImage memory;
            for (size_t i = 0; i < ConfigImage::Size(); ++i)
                memory[i] = static_cast<uint8_t>(random());
            Read(memory);
            break;
        }
        }
    }
};

// Random edits, reads and input switches from a random start, then runs of undo and redo:
// every undo gives back the bytes, the lengths and the screen from before its step, every
// redo those from after it.
TEST_F(UndoHistory, EveryStepGoesBackAndForthExactly) {
    TempDir dir;
    for (unsigned round = 1; round <= 6; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::mt19937 random(round);
        std::string start(ConfigImage::Size(), '\0');
        for (char& c : start)
            c = static_cast<char>(random());
        TempDir::Write(dir.File("start.usr"), start);
        Start();
        ASSERT_TRUE(Main->OpenProject(dir.File("start.usr")));
        ShowInput(static_cast<int>(random() % 8));

        std::vector<std::pair<TSeen, TSeen>> done, undone; // before and after each step
        for (int action = 0; action < 150; ++action) {
            const TSeen before = Seen();
            Act(random);
            const TSeen after = Seen();
            if (after.first != before.first) {
                done.push_back({before, after});
                undone.clear();
            }
            if (random() % 10 == 0) {
                for (int n = static_cast<int>(random() % 6); n > 0 && !done.empty(); --n) {
                    Main->TBUndo.Click();
                    ASSERT_TRUE(Seen() == done.back().first) << "undo after action " << action;
                    undone.push_back(done.back());
                    done.pop_back();
                }
                for (int n = static_cast<int>(random() % 3); n > 0 && !undone.empty(); --n) {
                    Main->TBRedo.Click();
                    ASSERT_TRUE(Seen() == undone.back().second) << "redo after action " << action;
                    done.push_back(undone.back());
                    undone.pop_back();
                }
            }
            ASSERT_EQ(Main->TBUndo.Enabled(), !done.empty());
            ASSERT_EQ(Main->TBRedo.Enabled(), !undone.empty());
        }
    }
}

} // namespace
