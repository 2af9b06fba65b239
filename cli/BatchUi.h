#pragma once
#include "ui/Ui.h"
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

// The command-line tool's Ui: nobody to ask, so boxes are printed and answered with
// OK (Yes), file dialogs take the names the command was given, and no editor starts.
// Every text goes to one stream of messages (standard error), so standard output carries
// only what a command was asked for.
class TBatchUi : public TUi {
public:
    explicit TBatchUi(std::ostream& messages) : Messages(messages) {}

    std::deque<std::string> FileNames;
    std::vector<std::string> Errors; // texts of the error boxes shown

    // Only error, warning and plain boxes are printed; confirmations are not.
    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) override;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    // Forms close with OK.
    TModalResult ShowModal(TForm& form) override;
    bool OpenInTextEditor(const std::string& path) override;
    void Note(const std::string& text) override;

private:
    bool NextFile(std::string& fileName);
    std::ostream& Messages;
};
