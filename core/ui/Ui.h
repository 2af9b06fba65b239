#pragma once
#include "ui/Form.h"
#include <string>

enum class TBoxKind { Information, Error, Warning, Plain };
// OkCancelDefaultCancel: OK and Cancel where Enter answers Cancel, for a question whose "yes"
// may do harm.
enum class TBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, OkCancelDefaultCancel };
enum class TBrowserAnswer { Declined, Opened, NotStarted };

// What a file dialog offers: "*.usr|*.usr" style filter, default extension, preset name.
struct TFileDialog {
    std::string Filter;
    std::string DefaultExt;
    std::string FileName;
};

// Everything modal goes through here: message boxes, file dialogs, modal forms and
// handing a file to the system's text editor. The GUI implements it with Qt; tests
// script it; the command-line tool answers without asking anybody.
class TUi {
public:
    virtual ~TUi() = default;
    virtual TModalResult MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                                    TBoxButtons buttons) = 0;
    // True with the chosen name in fileName; false when the user cancelled.
    virtual bool OpenFileDialog(const TFileDialog& dialog, std::string& fileName) = 0;
    virtual bool SaveFileDialog(const TFileDialog& dialog, std::string& fileName) = 0;
    virtual TModalResult ShowModal(TForm& form) = 0;
    // False when no editor could be started for the file.
    virtual bool OpenInTextEditor(const std::string& path) = 0;
    // Asks the question and, when the user agrees, opens the file in the web browser. Whoever
    // asks nobody (the command-line tool) declines.
    virtual TBrowserAnswer OfferInBrowser(const std::string& /*caption*/, const std::string& /*question*/,
                                          const std::string& /*path*/) {
        return TBrowserAnswer::Declined;
    }
    // A remark that is no error and wants no answer (a side file passed over as unusable):
    // the editor keeps quiet about it, the command-line tool prints it.
    virtual void Note(const std::string&) {}
    // The file the editor keeps its settings in between runs (recent projects, connection);
    // empty keeps nothing, as the command-line tool and the tests do.
    virtual std::string SettingsFile() { return {}; }
};
