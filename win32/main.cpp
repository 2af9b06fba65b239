#include "Dialogs.h"
#include "MainWindow.h"
#include "Win32Ui.h"
#include "app/UnitMain.h"
#include "base/WideText.h"
#include <commctrl.h>
#include <exception>
#include <memory>
#include <string>
#include <windows.h>
// After the standard headers: GDI+ wants the Windows min and max.
#include <gdiplus.h>

namespace {
// The command text: what follows the program name, the blanks and tabs after it skipped.
std::string CommandText() {
    const wchar_t* text = GetCommandLineW();
    if (*text == L'"') {
        for (++text; *text && *text != L'"';)
            ++text;
        if (*text)
            ++text;
    } else {
        while (*text && *text != L' ' && *text != L'\t')
            ++text;
    }
    while (*text == L' ' || *text == L'\t')
        ++text;
    return Utf8Text(text);
}
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
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
        std::unique_ptr<TMain> main;
        std::unique_ptr<TMainWindow> window;
        try {
            main = std::make_unique<TMain>(ui, CommandText());
            window = std::make_unique<TMainWindow>(*main);
        } catch (const std::exception& error) {
            MessageBoxW(nullptr, WideText(error.what()).c_str(), WideText(TMain::CaptionBase).c_str(),
                        MB_OK | MB_ICONERROR);
            exitCode = 1;
        }
        if (window) {
            ui.SetParentWindow(window->Handle());
            RegisterModalWindows(ui, *main);
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
