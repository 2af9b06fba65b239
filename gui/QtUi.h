#pragma once
#include "app/EditorUi.h"
#include <QPointer>
#include <QWidget>
#include <map>

class QDialog;

// Everything modal, with Qt: message boxes, file dialogs, the editor's modal forms
// and handing a file to the desktop's text editor.
class QtUi : public TEditorUi {
public:
    ~QtUi() override;

    // The window the boxes and dialogs belong to; the main window once it exists.
    void SetParentWindow(QWidget* window) { Parent = window; }

    // The form's dialog is made on its first showing and kept for later ones, as the forms keep
    // their contents between uses.
    TModalResult ShowModal(TForm& form) override;
    // Elsewhere than on Windows the desktop opens a UTF-8 copy of the Windows-1251 file,
    // a new private file named like it with "-utf8-" and random characters before the
    // extension, in the per-user runtime folder; the copy made before is removed.
    bool OpenInTextEditor(const std::string& path) override;
    // Asks with Yes and No; Yes hands the file to the desktop's browser.
    TBrowserAnswer OfferInBrowser(const std::string& caption, const std::string& question,
                                  const std::string& path) override;

protected:
    std::optional<TModalResult> Box(TBoxKind kind, const std::string& caption, const std::string& text,
                                    TBoxButtons buttons) override;
    bool FileDialog(const TFileDialog& dialog, std::string& fileName, bool save) override;

private:
    QPointer<QWidget> Parent;
    std::string LastCopy;
    std::map<TForm*, QPointer<QDialog>> Dialogs;
};
