#pragma once
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <string>
#include <vector>

// The project commands of the main window, with a fresh folder for the files.
class ProjectCommands : public MainFixture {
protected:
    // A project with something in every part: counts, a stage, identity, lengths.
    void Edit() {
        Panel().ComboBox57.Select(2);
        Panel().ComboBox56.Select(3);
        ProgramStages(2, 2);
        Message(0).Select(6);
        Editor().ZoneButton(1, 7).Click();
        Editor().RelayBox(0, 2, 1).Click();
        Editor().LenMes.EditValue(7, "15");
    }
    void NameNewProject(const std::string& name, TModalResult result = TModalResult::Ok) {
        Ui.FormScripts.push_back([this, name, result](TForm&) {
            Main->FormProjectName.ProjectName.SetText(name);
            return result;
        });
    }
    std::vector<std::string> Lengths() {
        std::vector<std::string> v;
        for (int k = 1; k <= 72; ++k)
            v.push_back(Editor().LenMes.Value(k));
        return v;
    }
    // Opens without the save question.
    void Open(const std::string& file) {
        Main->Saved = true;
        Ui.FileAnswers = {file};
        Main->TBOpen.Click();
    }
    TempDir Dir;
};
