#pragma once
#include "FormWindow.h"
#include "Native.h"
#include "app/EditorUi.h"
#include <map>
#include <memory>

// Everything modal, with the system's own means: message boxes, the common file dialogs,
// the editor's modal forms and handing a file to Notepad.
class TWin32Ui : public TEditorUi {
public:
    // The window the boxes and dialogs belong to; the main window once it exists.
    void SetParentWindow(HWND window) { Parent = window; }
    // The modal windows go before the forms they show.
    void DropModals();

    // The form's window is made on its first showing and kept for later ones, as the forms keep
    // their contents between uses.
    TModalResult ShowModal(TForm& form) override;
    // Notepad opens a UTF-8 copy of the Windows-1251 report, with the byte order mark, made
    // in the user's temporary folder; the copy made before is removed.
    bool OpenInTextEditor(const std::string& path) override;
    // Asks with Yes and No; Yes hands the file to the browser the system opens it with.
    TBrowserAnswer OfferInBrowser(const std::string& caption, const std::string& question,
                                  const std::string& path) override;

protected:
    bool FileDialog(const TFileDialog& dialog, std::string& fileName, bool save) override;
    std::optional<TModalResult> Box(TBoxKind kind, const std::string& caption, const std::string& text,
                                    TBoxButtons buttons) override;

private:
    HWND Parent = nullptr;
    std::string LastCopy;
    std::map<TForm*, std::unique_ptr<TFormWindow>> Dialogs;
};
