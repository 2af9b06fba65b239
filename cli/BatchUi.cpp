#include "BatchUi.h"
#include <ostream>

TModalResult TBatchUi::MessageBox(TBoxKind kind, const std::string&, const std::string& text,
                                  TBoxButtons buttons) {
    if (kind == TBoxKind::Error)
        Errors.push_back(text);
    if (buttons == TBoxButtons::Ok)
        Messages << text << std::endl;
    return buttons == TBoxButtons::YesNoCancel || buttons == TBoxButtons::YesNo ? TModalResult::Yes
                                                                                : TModalResult::Ok;
}

bool TBatchUi::NextFile(std::string& fileName) {
    if (FileNames.empty())
        return false;
    fileName = FileNames.front();
    FileNames.pop_front();
    return true;
}

bool TBatchUi::OpenFileDialog(const TFileDialog&, std::string& fileName) {
    return NextFile(fileName);
}

bool TBatchUi::SaveFileDialog(const TFileDialog&, std::string& fileName) {
    return NextFile(fileName);
}

TModalResult TBatchUi::ShowModal(TForm&) {
    return TModalResult::Ok;
}

bool TBatchUi::OpenInTextEditor(const std::string&) {
    return true;
}

void TBatchUi::Note(const std::string& text) {
    Messages << text << std::endl;
}
