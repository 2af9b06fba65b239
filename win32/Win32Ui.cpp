#include "Win32Ui.h"
#include "FormWindow.h"
#include "app/ReadableCopy.h"
#include "base/WideText.h"
#include "project/FileUtil.h"
#include <commdlg.h>
#include <shellapi.h>
#include <vector>

void TWin32Ui::DropModals() {
    Dialogs.clear();
}

std::optional<TModalResult> TWin32Ui::Box(TBoxKind kind, const std::string& caption, const std::string& text,
                                          TBoxButtons buttons) {
    // By TBoxKind: information, error, warning, plain.
    constexpr UINT Icons[] = {MB_ICONINFORMATION, MB_ICONERROR, MB_ICONWARNING, 0};
    UINT style = Icons[static_cast<int>(kind)];
    if (buttons == TBoxButtons::OkCancel)
        style |= MB_OKCANCEL;
    else if (buttons == TBoxButtons::OkCancelDefaultCancel)
        style |= MB_OKCANCEL | MB_DEFBUTTON2;
    else if (buttons == TBoxButtons::YesNo)
        style |= MB_YESNO;
    else if (buttons == TBoxButtons::YesNoCancel)
        style |= MB_YESNOCANCEL;
    switch (MessageBoxW(Parent, WideText(text).c_str(), WideText(caption).c_str(), style)) {
    case IDOK:
        return TModalResult::Ok;
    case IDYES:
        return TModalResult::Yes;
    case IDNO:
        return TModalResult::No;
    case IDCANCEL:
        return TModalResult::Cancel;
    default:
        return std::nullopt;
    }
}

bool TWin32Ui::FileDialog(const TFileDialog& dialog, std::string& fileName, bool save) {
    // "description|patterns|…" becomes the dialog's pairs of strings ended by an empty one.
    std::wstring filter = WideText(dialog.Filter);
    for (wchar_t& c : filter)
        if (c == L'|')
            c = L'\0';
    filter.append(2, L'\0');
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring preset = WideText(dialog.FileName);
    preset.copy(name.data(), std::min(preset.size(), name.size() - 1));
    std::wstring ext = WideText(dialog.DefaultExt);
    if (!ext.empty() && ext.front() == L'.')
        ext.erase(0, 1);

    OPENFILENAMEW files{};
    files.lStructSize = sizeof files;
    files.hwndOwner = Parent;
    files.lpstrFilter = filter.c_str();
    files.nFilterIndex = 1;
    files.lpstrFile = name.data();
    files.nMaxFile = static_cast<DWORD>(name.size());
    // Only a name typed into the save dialog gets the default extension: Open takes the
    // file chosen. Neither insists on an existing file nor asks before overwriting one.
    files.lpstrDefExt = save && !ext.empty() ? ext.c_str() : nullptr;
    files.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_HIDEREADONLY;
    if (!(save ? GetSaveFileNameW(&files) : GetOpenFileNameW(&files)))
        return false;
    fileName = Utf8Text(name.data());
    // The chosen file's folder becomes the working folder, so the report lands beside the
    // last project opened or saved.
    if (files.nFileOffset > 0) {
        const std::wstring folder(name.data(), files.nFileOffset);
        SetCurrentDirectoryW(folder.c_str());
    }
    return true;
}

TModalResult TWin32Ui::ShowModal(TForm& form) {
    std::unique_ptr<TFormWindow>& dialog = Dialogs[&form];
    if (!dialog)
        dialog = std::make_unique<TFormWindow>(form, Parent, true);
    HWND window = dialog->Handle();
    // Over the middle of the window it belongs to.
    if (Parent) {
        RECT owner{}, own{};
        GetWindowRect(Parent, &owner);
        GetWindowRect(window, &own);
        SetWindowPos(window, nullptr, (owner.left + owner.right - (own.right - own.left)) / 2,
                     (owner.top + owner.bottom - (own.bottom - own.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    dialog->KeepOnScreen();
    const bool ownerEnabled = Parent && IsWindowEnabled(Parent);
    if (ownerEnabled)
        EnableWindow(Parent, FALSE);
    const TModalResult result = form.RunModal([&form] { RunMessages([&form] { return !form.Visible(); }); });
    if (ownerEnabled) {
        EnableWindow(Parent, TRUE);
        SetActiveWindow(Parent);
    }
    return result;
}

bool TWin32Ui::OpenInTextEditor(const std::string& path) {
    // Notepad reads a file without a byte order mark in the system's code page, which is
    // Windows-1251 on a Russian Windows only: it gets the UTF-8 copy with the mark. The copy of
    // the report before has been read by now; one copy at a time is kept.
    if (!LastCopy.empty())
        RemoveFile(LastCopy);
    LastCopy.clear();
    std::wstring temporary(MAX_PATH + 1, L'\0');
    temporary.resize(GetTempPathW(static_cast<DWORD>(temporary.size()), temporary.data()));
    const TFileResult copied = TReadableCopy::Write(path, Utf8Text(temporary), true, LastCopy);
    if (!copied && !copied.Writing)
        return false;
    // No copy to show: the original, garbled letters and all, is better than nothing.
    const std::wstring file = L"\"" + WideText(copied ? LastCopy : path) + L"\"";
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(Parent, L"open", L"notepad.exe", file.c_str(), nullptr, SW_SHOWNORMAL)) > 32;
}

TBrowserAnswer TWin32Ui::OfferInBrowser(const std::string& caption, const std::string& question,
                                        const std::string& path) {
    if (MessageBoxW(Parent, WideText(question).c_str(), WideText(caption).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return TBrowserAnswer::Declined;
    const std::wstring file = WideText(path);
    return reinterpret_cast<INT_PTR>(
               ShellExecuteW(Parent, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32
               ? TBrowserAnswer::Opened
               : TBrowserAnswer::NotStarted;
}
