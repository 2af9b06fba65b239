#include "Win32Ui.h"
#include "FormWindow.h"
#include "app/Settings.h"
#include "base/WideText.h"
#include <commdlg.h>
#include <shellapi.h>
#include <vector>

TWin32Ui::~TWin32Ui() = default;

void TWin32Ui::DropModals() {
    Modals.clear();
}

void TWin32Ui::RegisterModal(TForm* form, TModalFactory factory) {
    TModal& modal = Modals[form];
    modal.Window.reset();
    modal.Factory = std::move(factory);
}

TModalResult TWin32Ui::MessageBox(TBoxKind kind, const std::string& caption, const std::string& text,
                                  TBoxButtons buttons) {
    UINT style = MB_OK;
    if (buttons == TBoxButtons::OkCancel)
        style = MB_OKCANCEL;
    else if (buttons == TBoxButtons::OkCancelDefaultCancel)
        style = MB_OKCANCEL | MB_DEFBUTTON2;
    else if (buttons == TBoxButtons::YesNo)
        style = MB_YESNO;
    else if (buttons == TBoxButtons::YesNoCancel)
        style = MB_YESNOCANCEL;
    switch (kind) {
    case TBoxKind::Information:
        style |= MB_ICONINFORMATION;
        break;
    case TBoxKind::Error:
        style |= MB_ICONERROR;
        break;
    case TBoxKind::Warning:
        style |= MB_ICONWARNING;
        break;
    case TBoxKind::Plain:
        break;
    }
    // The close box of a question answers Cancel, of a box with OK alone OK.
    switch (MessageBoxW(Parent, WideText(text).c_str(), WideText(caption).c_str(), style)) {
    case IDOK:
        return TModalResult::Ok;
    case IDYES:
        return TModalResult::Yes;
    case IDNO:
        return TModalResult::No;
    default:
        return buttons == TBoxButtons::Ok ? TModalResult::Ok : TModalResult::Cancel;
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

bool TWin32Ui::OpenFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileDialog(dialog, fileName, false);
}

bool TWin32Ui::SaveFileDialog(const TFileDialog& dialog, std::string& fileName) {
    return FileDialog(dialog, fileName, true);
}

TModalResult TWin32Ui::ShowModal(TForm& form) {
    const auto it = Modals.find(&form);
    if (it == Modals.end() || !it->second.Factory)
        return TModalResult::Cancel;
    TModal& modal = it->second;
    if (!modal.Window) {
        modal.Window = modal.Factory(Parent);
        if (!modal.Window)
            return TModalResult::Cancel;
    }
    HWND window = modal.Window->Handle();
    // Over the middle of the window it belongs to.
    if (Parent) {
        RECT owner{}, own{};
        GetWindowRect(Parent, &owner);
        GetWindowRect(window, &own);
        SetWindowPos(window, nullptr, (owner.left + owner.right - (own.right - own.left)) / 2,
                     (owner.top + owner.bottom - (own.bottom - own.top)) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    form.ModalResult = TModalResult::None;
    const bool ownerEnabled = Parent && IsWindowEnabled(Parent);
    if (ownerEnabled)
        EnableWindow(Parent, FALSE);
    form.Show();
    // The form ends the dialog by hiding itself (its buttons set ModalResult first).
    RunMessages([&form] { return !form.Visible(); });
    if (ownerEnabled) {
        EnableWindow(Parent, TRUE);
        SetActiveWindow(Parent);
    }
    // Closed otherwise (the program quits): that is Cancel.
    if (form.Visible() || form.ModalResult == TModalResult::None) {
        form.ModalResult = TModalResult::Cancel;
        form.Hide();
    }
    return form.ModalResult;
}

bool TWin32Ui::OpenInTextEditor(const std::string& path) {
    // Notepad reads the file's Windows-1251 as it is.
    const std::wstring file = L"\"" + WideText(path) + L"\"";
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

std::string TWin32Ui::SettingsFile() {
    return TSettings::DefaultFile();
}
