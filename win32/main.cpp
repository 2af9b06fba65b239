#include "MainWindow.h"
#include "Win32Ui.h"
#include "app/EditorArguments.h"
#include "app/UnitMain.h"
#include "base/StandardStreams.h"
#include "base/WideText.h"
#include <commctrl.h>
#include <memory>
#include <shellapi.h>
#include <string>
#include <vector>
#include <windows.h>
// After the standard headers: GDI+ wants the Windows min and max.
#include <gdiplus.h>

namespace {
// The arguments as the system splits the command line: quotes hold a path with blanks together.
std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; words && i < count; ++i)
        arguments.push_back(Utf8Text(words[i]));
    LocalFree(words);
    return arguments;
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    OpenStandardStreams();
    // A window program has no console to answer --version and --help on: a box says it.
    const TEditorArguments arguments = TEditorArguments::Read(Arguments());
    if (arguments.Answer != TEditorArguments::TAnswer::None) {
        MessageBoxW(nullptr, WideText(arguments.AnswerText()).c_str(), WideText(TMain::CaptionBase).c_str(),
                    MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES |
                                            ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    ULONG_PTR gdiplus = 0;
    const Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplus, &gdiplusInput, nullptr);

    int exitCode = 0;
    {
        TWin32Ui ui;
        const std::unique_ptr<TMain> main = ui.StartMain(arguments.CommandText);
        auto window = main ? std::make_unique<TMainWindow>(*main) : nullptr;
        exitCode = window ? 0 : 1;
        if (window) {
            ui.SetParentWindow(window->Handle());
            window->Show(show);
            RunMessages([] { return false; });
            // The windows go before the forms they mirror; the boxes TMain may still show
            // while it closes belong to no window.
            ui.SetParentWindow(nullptr);
            ui.DropModals();
            window.reset();
        }
    }
    Gdiplus::GdiplusShutdown(gdiplus);
    return exitCode;
}
