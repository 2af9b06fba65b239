#pragma once
#include "ui/Ui.h"
#include <memory>
#include <optional>
#include <string>

class TMain;

// The Ui of an editor with windows: what both editors decide alike about starting, boxes, file
// dialogs and settings. Each front end only shows the boxes and dialogs with its own means.
class TEditorUi : public TUi {
public:
    TEditorUi() = default;
    // It owns the windows of the modal forms.
    TEditorUi(const TEditorUi&) = delete;
    TEditorUi& operator=(const TEditorUi&) = delete;

    // A box closed without a button (its close box): one with OK alone has said OK, a question Cancel.
    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) final;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) final;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) final;
    // The platform's usual place for settings.
    std::string SettingsFile() final;

    // The editor's main form for the command text, started in its folder (TStartFolder), or null
    // after a box has said why it cannot start.
    std::unique_ptr<TMain> StartMain(const std::string& commandText);

protected:
    // Shows the box: the button pressed, or nothing when the box was closed without one.
    virtual std::optional<TModalResult> Box(TBoxKind kind, const std::string& caption,
                                            const std::string& text, TBoxButtons buttons) = 0;
    // Asks for a file: the open dialog, or the save dialog (save), which gives a name typed
    // without an extension the default one. False when the user cancelled.
    virtual bool FileDialog(const TFileDialog& dialog, std::string& fileName, bool save) = 0;
};
