#pragma once
#include "ui/Ui.h"
#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// The command-line tool's Ui: nobody to ask, so boxes are printed and answered with
// OK (Yes), file dialogs take the names the command was given, and no editor starts.
class TBatchUi : public TUi {
public:
    explicit TBatchUi(std::ostream& out) : Out(out), ErrorOut(out) {}
    // Error and warning boxes go to errorOut, the other printed boxes to out.
    TBatchUi(std::ostream& out, std::ostream& errorOut) : Out(out), ErrorOut(errorOut) {}

    std::deque<std::string> FileNames;
    std::vector<std::string> Errors; // texts of the error boxes shown
    // Plays the user's part in a modal form (clicks its OK button); without it forms close with OK.
    std::function<TModalResult(TForm&)> OnShowModal;

    // Only error, warning and plain boxes are printed; confirmations are not.
    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) override;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    TModalResult ShowModal(TForm& form) override;
    bool OpenInTextEditor(const std::string& path) override;
    // Notes go to errorOut.
    void Note(const std::string& text) override;

private:
    bool NextFile(std::string& fileName);
    std::ostream& Out;
    std::ostream& ErrorOut;
};
