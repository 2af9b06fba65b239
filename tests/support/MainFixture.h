#pragma once
#include "app/UnitMain.h"
#include "support/FakeUi.h"
#include <gtest/gtest.h>
#include <memory>

// A main window on a scripted Ui, as start-up leaves it.
class MainFixture : public ::testing::Test {
protected:
    void Start(const std::string& commandLine = "") { Main = std::make_unique<TMain>(Ui, commandLine); }
    void SetUp() override { Start(); }

    TAlgorithmEditor& Editor() { return Main->Algorithms; }
    TCompositionRules& Panel() { return Main->Composition; }
    TCheckBox& Stage(int s) { return *Editor().StageBoxes[static_cast<size_t>(s)]; }
    TComboBox& Message(int s) { return *Editor().MessageBoxes[static_cast<size_t>(s)]; }
    TComboBox& Repeats(int s) { return *Editor().RepeatBoxes[static_cast<size_t>(s)]; }
    TComboBox& Pause(int s) { return *Editor().PauseBoxes[static_cast<size_t>(s)]; }
    std::string Time(int s) { return Editor().StageTimes[static_cast<size_t>(s)]->Caption(); }
    void ShowInput(int n) { Editor().InputButtons[static_cast<size_t>(n)]->Click(); }
    uint8_t Byte(size_t offset) { return Main->Image[offset]; }
    // Switches on stages 1..count of the shown input, each played `repeats` times.
    void ProgramStages(int count, int repeats = 1) {
        for (int s = 0; s < count; ++s) {
            Stage(s).Click();
            Repeats(s).Select(repeats);
        }
    }

    FakeUi Ui;
    std::unique_ptr<TMain> Main;
};
