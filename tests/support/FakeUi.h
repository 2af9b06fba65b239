#pragma once
#include "ui/Ui.h"
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A scripted TUi: records every box and dialog, answers from queues the test fills.
// An empty queue answers the default button (OK / Yes, or Cancel where Enter answers
// Cancel), cancels file dialogs and closes modal forms with Cancel.
class FakeUi : public TUi {
public:
    struct Box {
        TBoxKind Kind;
        std::string Caption;
        std::string Text;
        TBoxButtons Buttons;
    };
    std::vector<Box> Boxes;
    std::deque<TModalResult> BoxAnswers;
    // Each file dialog takes the next entry: a name, or empty for Cancel.
    std::deque<std::string> FileAnswers;
    std::vector<TFileDialog> FileDialogs;
    // Each modal form runs the next script on the form and returns its result.
    std::deque<std::function<TModalResult(TForm&)>> FormScripts;
    std::vector<std::string> ModalForms;
    std::vector<std::string> EditorFiles;
    bool EditorStarts = true;
    // Called when a box is shown, before its answer is taken.
    std::function<void(const Box&)> OnBox;

    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) override;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    TModalResult ShowModal(TForm& form) override;
    bool OpenInTextEditor(const std::string& path) override;
    void Note(const std::string& text) override { Notes.push_back(text); }
    // Where the editor keeps its settings; empty keeps none.
    std::string Settings;
    std::string SettingsFile() override { return Settings; }
    // The browser offers made, each answered with BrowserAnswer.
    TBrowserAnswer OfferInBrowser(const std::string&, const std::string& question,
                                  const std::string& path) override {
        BrowserOffers.push_back({question, path});
        EditorsStartedAtOffer = EditorFiles.size();
        return BrowserAnswer;
    }
    // How many text editors had been started when the browser was last offered.
    size_t EditorsStartedAtOffer = 0;
    std::vector<std::pair<std::string, std::string>> BrowserOffers;
    TBrowserAnswer BrowserAnswer = TBrowserAnswer::Declined;
    std::vector<std::string> Notes;

    // Texts of all boxes shown so far.
    std::vector<std::string> Texts() const;
    int CountText(const std::string& text) const;

private:
    bool FileAnswer(const TFileDialog& dialog, std::string& fileName);
};
