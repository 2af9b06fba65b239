#include "app/EditorUi.h"
#include "app/Settings.h"
#include "app/StartFolder.h"
#include "app/UnitMain.h"
#include <exception>

TModalResult TEditorUi::MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                                   TBoxButtons buttons) {
    return Box(kind, caption, text, buttons)
        .value_or(buttons == TBoxButtons::Ok ? TModalResult::Ok : TModalResult::Cancel);
}

bool TEditorUi::OpenFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileDialog(dialog, fileName, false);
}

bool TEditorUi::SaveFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileDialog(dialog, fileName, true);
}

std::string TEditorUi::SettingsFile() {
    return TSettings::DefaultFile();
}

std::unique_ptr<TMain> TEditorUi::StartMain(const std::string& commandText) {
    try {
        return std::make_unique<TMain>(*this, TStartFolder::Enter(commandText));
    } catch (const std::exception& error) {
        MessageBox(TBoxKind::Error, TMain::CaptionBase, error.what(), TBoxButtons::Ok);
        return nullptr;
    }
}
