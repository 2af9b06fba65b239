#pragma once
#include "FormWindow.h"
#include "Native.h"
#include "ui/Ui.h"
#include <functional>
#include <map>
#include <memory>

// Everything modal, with the system's own means: message boxes, the common file dialogs,
// the editor's modal forms and handing a file to Notepad.
class TWin32Ui : public TUi {
public:
    // Builds the window that shows a form. It is called on the form's first ShowModal, and
    // the window is kept for later ones, as the forms keep their contents between uses.
    using TModalFactory = std::function<std::unique_ptr<TFormWindow>(HWND owner)>;

    TWin32Ui() = default;
    ~TWin32Ui() override;
    TWin32Ui(const TWin32Ui&) = delete;
    TWin32Ui& operator=(const TWin32Ui&) = delete;

    // The window the boxes and dialogs belong to; the main window once it exists.
    void SetParentWindow(HWND window) { Parent = window; }
    void RegisterModal(TForm* form, TModalFactory factory);
    // The modal windows go before the forms they show.
    void DropModals();

    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) override;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    // A form nobody registered a window for cannot be shown: it answers Cancel.
    TModalResult ShowModal(TForm& form) override;
    bool OpenInTextEditor(const std::string& path) override;
    // Asks with Yes and No; Yes hands the file to the browser the system opens it with.
    TBrowserAnswer OfferInBrowser(const std::string& caption, const std::string& question,
                                  const std::string& path) override;
    // %APPDATA%\VarokConfig\varokconfig.ini.
    std::string SettingsFile() override;

private:
    struct TModal {
        TModalFactory Factory;
        std::unique_ptr<TFormWindow> Window;
    };
    bool FileDialog(const TFileDialog& dialog, std::string& fileName, bool save);

    HWND Parent = nullptr;
    std::map<TForm*, TModal> Modals;
};
