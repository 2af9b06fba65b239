#pragma once
#include "ui/Ui.h"
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>

class QDialog;

// Everything modal, with Qt: message boxes, file dialogs, the editor's modal forms
// and handing a file to the desktop's text editor.
class QtUi : public TUi {
public:
    // Builds the dialog that shows a form. It is called on the form's first ShowModal,
    // and the dialog is kept for later ones, as the forms keep their contents between uses.
    using TModalFactory = std::function<QDialog*(QWidget* parent)>;

    QtUi() = default;
    ~QtUi() override;
    QtUi(const QtUi&) = delete;
    QtUi& operator=(const QtUi&) = delete;

    // The window the boxes and dialogs belong to; the main window once it exists.
    void SetParentWindow(QWidget* window) { Parent = window; }
    void RegisterModal(TForm* form, TModalFactory factory);

    TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                            TBoxButtons buttons) override;
    bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) override;
    // A form nobody registered a view for cannot be shown: it answers Cancel.
    TModalResult ShowModal(TForm& form) override;
    // Elsewhere than on Windows the desktop opens a UTF-8 copy of the Windows-1251 file,
    // a new private file named like it with "-utf8-" and random characters before the
    // extension, in the per-user runtime folder; the copy made before is removed.
    bool OpenInTextEditor(const std::string& path) override;
    // The platform's usual place for settings.
    std::string SettingsFile() override;
    // Asks with Yes and No; Yes hands the file to the desktop's browser.
    TBrowserAnswer OfferInBrowser(const std::string& caption, const std::string& question,
                                  const std::string& path) override;

private:
    struct TModal {
        TModalFactory Factory;
        QPointer<QDialog> Dialog;
    };
    bool FileDialog(const TFileDialog& dialog, std::string& fileName, bool save);

    QPointer<QWidget> Parent;
    std::string LastCopy;
    std::map<TForm*, TModal> Modals;
};
