#include "support/FakeUi.h"

TModalResult FakeUi::MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                                TBoxButtons buttons) {
    Boxes.push_back({kind, caption, text, buttons});
    if (OnBox)
        OnBox(Boxes.back());
    if (!BoxAnswers.empty()) {
        TModalResult r = BoxAnswers.front();
        BoxAnswers.pop_front();
        return r;
    }
    if (buttons == TBoxButtons::OkCancelDefaultCancel)
        return TModalResult::Cancel;
    return buttons == TBoxButtons::YesNoCancel || buttons == TBoxButtons::YesNo ? TModalResult::Yes
                                                                                : TModalResult::Ok;
}

bool FakeUi::FileAnswer(const TFileDialog& dialog, std::string& fileName) {
    FileDialogs.push_back(dialog);
    if (FileAnswers.empty())
        return false;
    std::string answer = FileAnswers.front();
    FileAnswers.pop_front();
    if (answer.empty())
        return false;
    fileName = answer;
    return true;
}

bool FakeUi::OpenFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileAnswer(dialog, fileName);
}

bool FakeUi::SaveFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileAnswer(dialog, fileName);
}

TModalResult FakeUi::ShowModal(TForm& form) {
    ModalForms.push_back(form.Name);
    if (FormScripts.empty())
        return TModalResult::Cancel;
    auto script = std::move(FormScripts.front());
    FormScripts.pop_front();
    return script(form);
}

bool FakeUi::OpenInTextEditor(const std::string& path) {
    EditorFiles.push_back(path);
    return EditorStarts;
}

std::vector<std::string> FakeUi::Texts() const {
    std::vector<std::string> texts;
    for (const auto& b : Boxes)
        texts.push_back(b.Text);
    return texts;
}

int FakeUi::CountText(const std::string& text) const {
    int n = 0;
    for (const auto& b : Boxes)
        n += b.Text == text;
    return n;
}
