#pragma once
#include "ui/Ui.h"
#include <string>

// Nobody at the keyboard: boxes are answered with their first button, forms are closed with
// Cancel, and the open dialog names the one file the target prepared.
class TFuzzUi : public TUi {
public:
    std::string FileName;
    TModalResult MessageBox(TBoxKind, const std::string&, const std::string&, TBoxButtons buttons) override {
        return buttons == TBoxButtons::YesNoCancel ? TModalResult::Yes : TModalResult::Ok;
    }
    bool OpenFileDialog(const TFileDialog&, std::string& fileName) override {
        fileName = FileName;
        return !FileName.empty();
    }
    bool SaveFileDialog(const TFileDialog&, std::string&) override { return false; }
    TModalResult ShowModal(TForm&) override { return TModalResult::Cancel; }
    bool OpenInTextEditor(const std::string&) override { return false; }
};
