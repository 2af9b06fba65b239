// Looking at a configuration never changes it, and what the editor shows depends on the
// image alone, never on what was shown before. Random images (broken chains, odd counts,
// stray bits) meet random walks of input switches, reports, Opens and edits a user can make.
#include "report/Report.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <random>
#include <sstream>

namespace {
// Everything the editor shows, one control a line, so a difference names the control.
std::string Screen(TMain& main) {
    std::ostringstream out;
    std::vector<TControl*> controls = main.Composition.Controls();
    const std::vector<TControl*> grid = main.Algorithms.GridControls();
    controls.insert(controls.end(), grid.begin(), grid.end());
    for (auto& button : main.Algorithms.InputButtons)
        controls.push_back(button.get());
    for (TControl* c : controls) {
        out << c->Name << (c->Enabled() ? ": " : " (disabled): ");
        if (auto* box = dynamic_cast<TComboBox*>(c))
            out << box->Count() << " choices, " << box->ItemIndex() << " \"" << box->Text() << "\"";
        else if (auto* check = dynamic_cast<TCheckBox*>(c))
            out << (check->Checked() ? "checked" : "unchecked");
        else if (auto* button = dynamic_cast<TButton*>(c))
            out << (button->Down() ? "down" : "up") << " picture " << button->ImageIndex();
        else if (auto* edit = dynamic_cast<TEdit*>(c))
            out << "\"" << edit->Text() << "\"";
        out << "\n";
    }
    for (auto& time : main.Algorithms.StageTimes)
        out << time->Name << ": " << time->Caption() << "\n";
    out << "total: " << main.Algorithms.TotalTime->Caption() << "\n";
    return out.str();
}

// Bytes the editor reads or writes; every other byte must survive anything.
bool Interpreted(size_t i) {
    return i <= 2 || (i >= 4 && i <= 387) || i == 480 || i == 481 || (i >= 483 && i <= 486) ||
           (i >= 488 && i <= 489) || (i >= 491 && i <= 492) || (i >= 494 && i <= 498);
}

class LookingChangesNothing : public MainFixture {
protected:
    int Roll(int n) { return static_cast<int>(Random() % static_cast<unsigned>(n)); }

    // Random bytes, with the counts and message numbers in range more often than chance gives.
    ConfigImage RandomImage() {
        ConfigImage image;
        for (size_t i = 0; i < image.Size(); ++i)
            image[i] = static_cast<uint8_t>(Roll(256));
        if (Roll(3) > 0) {
            const int fire = Roll(3), announcer = Roll(3 - fire);
            image[0] = static_cast<uint8_t>(Roll(3) << 6 | Roll(3) << 4 | announcer << 2 | fire);
            image[2] = static_cast<uint8_t>((image[2] & 0xF0) | Roll(9));
        }
        for (int n = 0; n < Layout::Inputs; ++n)
            for (int s = 0; s < Layout::Stages; ++s) {
                uint8_t* r = image.Data() + Layout::StageOffset(n, s);
                if (Roll(4) > 0)
                    r[Layout::MessageNumber] = static_cast<uint8_t>(1 + Roll(72));
                if (Roll(2) > 0)
                    r[Layout::RepeatCount] = static_cast<uint8_t>(Roll(4));
            }
        return image;
    }

    // Writes the image with the round's lengths as a project and returns the project file.
    std::string WriteProject(const ConfigImage& image, const std::string& name) {
        const std::string file = Dir.File(name + ".usr");
        TempDir::Write(file, std::string(reinterpret_cast<const char*>(image.Data()), image.Size()));
        TempDir::Write(Dir.File(name + ".ini"), SideFile);
        return file;
    }

    void Open(TMain& main, FakeUi& ui, const std::string& file) {
        ui.FileAnswers = {file};
        main.TBOpenClick();
        // The only box names the errors of the configuration opened.
        ASSERT_LE(ui.Boxes.size(), 1u);
        if (!ui.Boxes.empty()) {
            ASSERT_EQ(ui.Boxes[0].Text, main.Check.OpenText());
        }
        ui.Boxes.clear();
    }

    // A window started afresh that opens the walked window's image and shows its input.
    std::unique_ptr<TMain> FreshWindow() {
        auto fresh = std::make_unique<TMain>(FreshUi, "");
        Open(*fresh, FreshUi, WriteProject(Main->Image, "now"));
        fresh->SpeedButton1Click(*fresh->Algorithms.InputButtons[static_cast<size_t>(Main->CurrentInput)]);
        return fresh;
    }

    // One edit a user can make with the mouse; disabled controls ignore it.
    void RandomEdit() {
        const int s = Roll(8);
        switch (Roll(12)) {
        case 0:
            Stage(s).Click();
            break;
        case 1:
            Message(s).Select(Roll(72));
            break;
        case 2:
            Repeats(s).Select(Roll(3) > 0 ? Roll(4) : Roll(256));
            break;
        case 3:
            Pause(s).Select(Roll(8));
            break;
        case 4:
            Editor().ZoneButton(s, Roll(8)).Click();
            break;
        case 5:
            Editor().RelayBox(s, Roll(8), Roll(2)).Click();
            break;
        case 6: {
            TComboBox* counts[] = {&Panel().ComboBox58, &Panel().ComboBox57, &Panel().ComboBox56,
                                   &Panel().ComboBox55, &Panel().ComboBox54};
            TComboBox& box = *counts[Roll(5)];
            box.Select(Roll(box.Count()));
            break;
        }
        case 7:
            Panel().CheckBox316.Click();
            break;
        case 8:
            Panel().CheckBox325.Click();
            break;
        case 9:
            Panel().CBMuz[static_cast<size_t>(s)]->Click();
            break;
        default: {
            // Picking the choice already shown.
            TComboBox* boxes[] = {&Message(s), &Repeats(s), &Pause(s), &Panel().ComboBox57,
                                  &Panel().ComboBox54};
            TComboBox& box = *boxes[Roll(5)];
            box.Select(box.ItemIndex());
            break;
        }
        }
    }

    std::mt19937 Random{20261209};
    TempDir Dir;
    std::string SideFile;
    FakeUi FreshUi;
};

TEST_F(LookingChangesNothing, SwitchesReportsAndOpensKeepTheImageAndShowItAsAFreshWindowWould) {
    Main->ReportFileName = Dir.File("walked.txt");
    int compared = 0;
    for (int round = 0; round < 24; ++round) {
        SideFile = "[MessageLength]\r\n";
        for (int k = 1; k <= 72; ++k) {
            const int kind = Roll(8);
            SideFile += std::to_string(k) + "=" +
                        (kind == 0   ? ""
                         : kind == 1 ? "abc"
                                     : std::to_string(Roll(40))) +
                        "\r\n";
        }
        // The window starts from whatever the previous round left on screen.
        ConfigImage file = RandomImage();
        Main->Saved = true;
        Open(*Main, Ui, WriteProject(file, "opened"));
        for (int step = 0; step < 80; ++step) {
            SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
            const ConfigImage before = Main->Image;
            Main->Saved = true;
            const int kind = Roll(8);
            if (kind >= 3) {
                RandomEdit();
                // Only a change of the image marks the project modified.
                ASSERT_EQ(Main->Saved, Main->Image == before);
            } else {
                ConfigImage expected = before;
                if (kind == 0) {
                    ShowInput(Roll(8));
                } else if (kind == 1) {
                    Main->TBReportClick();
                } else {
                    file = RandomImage();
                    Open(*Main, Ui, WriteProject(file, "opened"));
                    expected = file;
                    expected[Layout::MarkerS] = Layout::MarkerSValue;
                    expected[Layout::MarkerN] = Layout::MarkerNValue;
                    expected[Layout::MarkerV] = Layout::MarkerVValue;
                }
                ASSERT_EQ(Main->Image, expected);
                ASSERT_TRUE(Main->Saved);
                const std::unique_ptr<TMain> fresh = FreshWindow();
                ASSERT_EQ(Screen(*Main), Screen(*fresh));
                if (kind == 1) {
                    ASSERT_EQ(TempDir::Read(Main->ReportFileName),
                              TReport::Render(TReport::Lines(
                                  TReport::Collect(fresh->Image, fresh->Algorithms.LengthTexts()))));
                }
                ++compared;
            }
            for (size_t i = 0; i < file.Size(); ++i)
                if (!Interpreted(i)) {
                    ASSERT_EQ(Main->Image[i], file[i]) << "offset " << i;
                }
            // Stage records keep the flag bits the editor does not use.
            for (int n = 0; n < Layout::Inputs; ++n)
                for (int s = 0; s < Layout::Stages; ++s) {
                    const size_t r = Layout::StageOffset(n, s);
                    ASSERT_EQ(Main->Image[r] & 0x47, file[r] & 0x47);
                }
        }
    }
    EXPECT_GT(compared, 500);
}
} // namespace
