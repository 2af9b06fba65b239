// Drives the native editor VarokConfig.exe from outside, as a user would, through its
// Win32 controls, and checks that what the window shows is what the core holds: the core
// (a headless TMain in this program) decodes the same project and every bound control is
// compared with its native twin, found by the name the editor gives it.
//
//   WindowDriver run EXE --com N --image FILE.usr --save FILE.usr --signals DIR
//   WindowDriver startup EXE --count N
//   WindowDriver read-time EXE --com N
#include "app/Settings.h"
#include "app/StartFolder.h"
#include "app/UnitMain.h"
#include "base/WideText.h"
#include "support/FakeUi.h"
// The system's declarations before the common controls'.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <commctrl.h>
#include <cstdio>
#include <functional>
#include <map>
#include <shellapi.h>
#include <stdexcept>
#include <string>
#include <vector>
#undef MessageBox

namespace {
using Clock = std::chrono::steady_clock;
constexpr int ToolCommandBase = 100; // the editor's first toolbar command
constexpr auto StepTimeout = std::chrono::seconds(30);

struct TFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Polls until cond() holds; the other program runs meanwhile, so a deadline is the only bound.
void WaitFor(const std::string& what, const std::function<bool()>& cond,
             Clock::duration timeout = StepTimeout) {
    const auto deadline = Clock::now() + timeout;
    while (!cond()) {
        if (Clock::now() > deadline)
            throw TFailure("timed out waiting for " + what);
        Sleep(20);
    }
}

std::string NameOf(HWND window) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(GetPropW(window, L"VarokName")));
    wchar_t name[256] = {};
    return atom && GlobalGetAtomNameW(atom, name, 256) ? Utf8Text(name) : std::string();
}

std::string TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return Utf8Text(text);
}

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return Utf8Text(name);
}

// The window that has the keyboard focus in the editor's thread.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{sizeof info, 0, {}, {}, {}, {}, {}, {}, {}};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A key pressed and released where the focus is, through the editor's own message loop.
void Key(HWND window, WPARAM key) {
    HWND focus = FocusOf(window);
    PostMessageW(focus, WM_KEYDOWN, key, 1);
    PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
}

// Whether a control is painted on the screen: its place there shows more than one colour (a
// frame, a text, a circle), not the bare face of a window that covers it.
bool Painted(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    HDC screen = GetDC(nullptr);
    bool painted = false;
    for (LONG y = r.top; y < r.bottom && !painted; ++y)
        for (LONG x = r.left; x < r.right && !painted; ++x)
            painted = GetPixel(screen, x, y) != GetPixel(screen, r.left, r.top);
    ReleaseDC(nullptr, screen);
    return painted;
}

// Memory inside the editor's process, for the messages whose answers come through a pointer.
class TRemote {
public:
    TRemote(DWORD pid, size_t size) : Size(size) {
        Process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        At = Process ? VirtualAllocEx(Process, nullptr, size, MEM_COMMIT, PAGE_READWRITE) : nullptr;
        if (!At)
            throw TFailure("cannot reach the editor's memory");
    }
    ~TRemote() {
        VirtualFreeEx(Process, At, 0, MEM_RELEASE);
        CloseHandle(Process);
    }
    TRemote(const TRemote&) = delete;
    TRemote& operator=(const TRemote&) = delete;
    LPARAM Address() const { return reinterpret_cast<LPARAM>(At); }
    void Write(const void* data, size_t size) { WriteProcessMemory(Process, At, data, size, nullptr); }
    void Read(void* data, size_t size) const {
        ReadProcessMemory(Process, At, data, std::min(size, Size), nullptr);
    }

private:
    HANDLE Process;
    void* At;
    size_t Size;
};

// The editor as a user sees it: its windows, found by their names.
class TEditor {
public:
    // project: handed over as Windows does on "Open with", quoted.
    TEditor(const std::wstring& exe, const std::wstring& folder, const std::wstring& project = {}) {
        std::wstring command = L"\"" + exe + L"\"" + (project.empty() ? L"" : L" \"" + project + L"\"");
        STARTUPINFOW start{};
        start.cb = sizeof start;
        if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            folder.empty() ? nullptr : folder.c_str(), &start, &Info))
            throw TFailure("cannot start the editor");
        CloseHandle(Info.hThread);
    }
    // An editor the system started.
    explicit TEditor(HANDLE process) {
        Info.hProcess = process;
        Info.dwProcessId = GetProcessId(process);
    }
    ~TEditor() {
        if (WaitForSingleObject(Info.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(Info.hProcess, 9);
        CloseHandle(Info.hProcess);
    }
    TEditor(const TEditor&) = delete;
    TEditor& operator=(const TEditor&) = delete;

    DWORD Pid() const { return Info.dwProcessId; }
    bool Exited(DWORD& code) const {
        return WaitForSingleObject(Info.hProcess, 0) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(Info.hProcess, &code);
    }

    // A shown top-level window of the editor: by name, or by class for the system's boxes.
    HWND Top(const std::string& name, const std::string& windowClass = "VarokConfigWindow") const {
        struct TSearch {
            DWORD Pid;
            std::string Name, Class;
            HWND Found = nullptr;
        } search{Pid(), name, windowClass};
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<TSearch*>(data);
                DWORD pid = 0;
                GetWindowThreadProcessId(window, &pid);
                if (pid == s.Pid && IsWindowVisible(window) && ClassOf(window) == s.Class &&
                    (s.Name.empty() || NameOf(window) == s.Name))
                    s.Found = window;
                return !s.Found;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.Found;
    }
    HWND WaitTop(const std::string& name, const std::string& windowClass = "VarokConfigWindow") const {
        HWND found = nullptr;
        WaitFor("window " + (name.empty() ? windowClass : name),
                [&] { return (found = Top(name, windowClass)); });
        return found;
    }

    static HWND Child(HWND top, const std::string& name) {
        std::pair<std::string, HWND> search{name, nullptr};
        EnumChildWindows(
            top,
            [](HWND window, LPARAM data) -> BOOL {
                auto& s = *reinterpret_cast<std::pair<std::string, HWND>*>(data);
                if (NameOf(window) == s.first)
                    s.second = window;
                return !s.second;
            },
            reinterpret_cast<LPARAM>(&search));
        if (!search.second)
            throw TFailure("no control named " + name);
        return search.second;
    }

    // A click as the mouse gives it: pressed and released over the control.
    static void Click(HWND control) { PostMessageW(control, BM_CLICK, 0, 0); }
    // Text typed into an editable choice box.
    static void Type(HWND combo, const std::string& text) {
        SendMessageW(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(WideText(text).c_str()));
        PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_EDITCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }
    static void Pick(HWND combo, int index) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
    }

    // The toolbar buttons, in the order of the core's toolbar.
    int Command(const TMain& model, const std::string& button) const {
        for (size_t i = 0; i < model.ToolBar1.size(); ++i)
            if (model.ToolBar1[i]->Name == button)
                return ToolCommandBase + static_cast<int>(i);
        throw TFailure("no toolbar button " + button);
    }
    void ClickTool(HWND main, int command) const {
        HWND bar = Child(main, "ToolBar1");
        TRemote rect(Pid(), sizeof(RECT));
        const auto index = SendMessageW(bar, TB_COMMANDTOINDEX, static_cast<WPARAM>(command), 0);
        SendMessageW(bar, TB_GETITEMRECT, static_cast<WPARAM>(index), rect.Address());
        RECT r{};
        rect.Read(&r, sizeof r);
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        PostMessageW(bar, WM_MOUSEMOVE, 0, at);
        PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(bar, WM_LBUTTONUP, 0, at);
    }
    static bool ToolState(HWND main, int command, UINT message) {
        return SendMessageW(Child(main, "ToolBar1"), message, static_cast<WPARAM>(command), 0) != 0;
    }
    std::string StatusText(HWND main, int part) const {
        HWND bar = nullptr;
        EnumChildWindows(
            main,
            [](HWND window, LPARAM data) -> BOOL {
                if (ClassOf(window) == "msctls_statusbar32")
                    *reinterpret_cast<HWND*>(data) = window;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&bar));
        wchar_t text[256] = {};
        TRemote buffer(Pid(), sizeof text);
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), buffer.Address());
        buffer.Read(text, sizeof text);
        std::wstring shown = text;
        shown.erase(0, shown.find_first_not_of(L'\t'));
        return Utf8Text(shown);
    }

    // A system message box: its text, answered with the button.
    std::string Box(int button, const std::string& expected) const {
        HWND box = WaitTop("", "#32770");
        std::string text;
        EnumChildWindows(
            box,
            [](HWND window, LPARAM data) -> BOOL {
                if (ClassOf(window) == "Static" && GetDlgCtrlID(window) == 0xFFFF)
                    *reinterpret_cast<std::string*>(data) = TextOf(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&text));
        if (text.find(expected) == std::string::npos)
            throw TFailure("a box says \"" + text + "\", expected \"" + expected + "\"");
        Click(GetDlgItem(box, button));
        WaitFor("the box to close", [&] { return !IsWindow(box) || !IsWindowVisible(box); });
        return text;
    }

    // The save dialog: types the name and presses its default button.
    void SaveAs(const std::wstring& path) const {
        HWND dialog = nullptr;
        WaitFor("the save dialog", [&] {
            dialog = Top("", "#32770");
            return dialog && (GetDlgItem(dialog, 1148) || GetDlgItem(dialog, 1152));
        });
        HWND name = GetDlgItem(dialog, 1148) ? GetDlgItem(dialog, 1148) : GetDlgItem(dialog, 1152);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
        Click(GetDlgItem(dialog, IDOK));
        WaitFor("the save dialog to close", [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
    }

private:
    PROCESS_INFORMATION Info{};
};

// The headless editor that says what the window must show.
struct TModel {
    FakeUi Ui;
    TMain Main{Ui, ""};

    void Open(const std::string& path) {
        Ui.FileAnswers.push_back(path);
        Main.TBOpenClick();
        if (Main.ProjectTitle.empty())
            throw TFailure("the core cannot open " + path);
    }
    // A read brings the image alone: the lengths stay as the window had them, empty at start.
    void ForgetLengths() {
        for (int row = 1; row < Main.Algorithms.LenMes.RowCount(); ++row)
            Main.Algorithms.LenMes.SetValue(row, "");
    }
};

// Every editor control of the core beside its native twin: state, enabled and shown.
int CompareEditor(TModel& model, HWND main, const std::string& when) {
    std::vector<TControl*> controls = model.Main.Composition.Controls();
    const auto grid = model.Main.Algorithms.GridControls();
    controls.insert(controls.end(), grid.begin(), grid.end());
    for (auto& b : model.Main.Algorithms.InputButtons)
        controls.push_back(b.get());
    for (auto& t : model.Main.Algorithms.StageTimes)
        controls.push_back(t.get());
    controls.push_back(model.Main.Algorithms.TotalTime.get());
    controls.push_back(&model.Main.Algorithms.LengthsNote);

    std::vector<std::string> differences;
    for (TControl* control : controls) {
        HWND native = TEditor::Child(main, control->Name);
        std::string want, shown;
        if (auto* box = dynamic_cast<TCheckBox*>(control)) {
            want = box->Checked() ? "checked" : "clear";
            shown = SendMessageW(native, BM_GETCHECK, 0, 0) == BST_CHECKED ? "checked" : "clear";
        } else if (auto* button = dynamic_cast<TButton*>(control)) {
            want = button->Down() ? "down" : "up";
            shown = SendMessageW(native, BM_GETCHECK, 0, 0) == BST_CHECKED ? "down" : "up";
        } else if (auto* combo = dynamic_cast<TComboBox*>(control)) {
            want = std::to_string(combo->ItemIndex()) + " " + combo->Text();
            shown = std::to_string(SendMessageW(native, CB_GETCURSEL, 0, 0)) + " " + TextOf(native);
        } else if (auto* edit = dynamic_cast<TEdit*>(control)) {
            want = edit->Text() + (edit->ReadOnly() ? " read-only" : "");
            shown = TextOf(native) + ((GetWindowLongW(native, GWL_STYLE) & ES_READONLY) ? " read-only" : "");
        } else if (auto* text = dynamic_cast<TStaticText*>(control)) {
            want = text->Caption();
            shown = TextOf(native);
        }
        want += control->Enabled() ? " enabled" : " disabled";
        shown += IsWindowEnabled(native) ? " enabled" : " disabled";
        want += control->Visible() ? "" : " hidden";
        shown += (GetWindowLongW(native, GWL_STYLE) & WS_VISIBLE) ? "" : " hidden";
        if (want != shown)
            differences.push_back(control->Name + ": the core holds \"" + want + "\", the window shows \"" +
                                  shown + "\"");
    }
    for (const std::string& d : differences)
        Say("DIFFERENCE " + when + ": " + d);
    if (!differences.empty())
        throw TFailure(std::to_string(differences.size()) + " controls differ " + when);
    Say("the window shows what the core holds " + when + " (" + std::to_string(controls.size()) +
        " controls)");
    return static_cast<int>(controls.size());
}

void Signal(const std::wstring& signals, const std::string& name) {
    Say("SIGNAL " + name);
    const std::wstring done = signals + L"\\" + WideText(name) + L".done";
    WaitFor("the script to take " + name + " (" + Utf8Text(done) + ")",
            [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; });
}

// The line parameters as a keyboard user sets them (Tab, arrows, Space) in the expanded dialog,
// which stays on the screen and paints every control.
void SetLineByKeyboard(HWND dialog) {
    TEditor::Click(TEditor::Child(dialog, "ButtonParam"));
    WaitFor("the parameters", [&] { return IsWindowVisible(TEditor::Child(dialog, "GroupBox1")) != 0; });
    RECT frame{};
    GetWindowRect(dialog, &frame);
    MONITORINFO screen{sizeof screen, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &screen);
    if (frame.top < screen.rcWork.top || frame.bottom > screen.rcWork.bottom)
        throw TFailure("the expanded connection dialog leaves the screen");
    for (const char* name : {"LabelSpeed", "ComboBoxSpeed", "ComboBoxControl", "RadioGroupParity.0",
                             "RadioGroupData.3", "RadioGroupStop.2", "CheckBoxDTR", "CheckBoxRTS"})
        WaitFor(std::string(name) + " painted", [&] { return Painted(TEditor::Child(dialog, name)); });
    // Presses a key until done(), one at a time: each goes to the control that has the focus.
    const auto until = [&](const std::function<WPARAM()>& key, const std::function<bool()>& done) {
        for (int press = 0; press < 30 && !done(); ++press) {
            HWND was = FocusOf(dialog);
            const std::string shown = TextOf(was);
            Key(dialog, key());
            WaitFor("a key to act", [&] { return FocusOf(dialog) != was || TextOf(was) != shown; });
        }
        if (!done())
            throw TFailure("the keys never reach their goal in the connection dialog");
    };
    const auto focused = [&] { return NameOf(FocusOf(dialog)); };
    HWND speed = TEditor::Child(dialog, "ComboBoxSpeed");
    until([] { return VK_TAB; }, [&] { return GetParent(FocusOf(dialog)) == speed; });
    const auto index = [&] { return SendMessageW(speed, CB_GETCURSEL, 0, 0); };
    until([&] { return index() < 8 ? VK_DOWN : VK_UP; }, [&] { return TextOf(speed) == "19200"; });
    for (const std::string group : {"RadioGroupParity.", "RadioGroupStop."}) {
        until([] { return VK_TAB; }, [&] { return focused().rfind(group, 0) == 0; });
        until([&] { return focused() < group + "2" ? VK_DOWN : VK_UP; },
              [&] { return focused() == group + "2"; });
        Key(dialog, VK_SPACE);
    }
}

// Connect with the port fixed to com; the run sets the line parameters by keyboard first.
void Connect(TEditor& editor, TModel& model, HWND main, int com, const std::wstring& signals) {
    editor.ClickTool(main, editor.Command(model.Main, "TBFind"));
    HWND dialog = editor.WaitTop("SetComPort");
    WaitFor("the focus on Ok", [&] { return NameOf(FocusOf(dialog)) == "Button1"; });
    // The dialog may open as the last run left it: the search is turned off only when it is on.
    HWND automatic = TEditor::Child(dialog, "CheckBox1");
    if (SendMessageW(automatic, BM_GETCHECK, 0, 0) == BST_CHECKED)
        TEditor::Click(automatic);
    HWND port = TEditor::Child(dialog, "ComboBoxPort");
    WaitFor("the port box to open", [&] { return IsWindowEnabled(port) != 0; });
    TEditor::Type(port, std::to_string(com));
    WaitFor("the port typed", [&] { return TextOf(port) == std::to_string(com); });
    if (signals.empty()) {
        TEditor::Click(TEditor::Child(dialog, "Button1"));
    } else {
        SetLineByKeyboard(dialog);
        Signal(signals, "connection-dialog");
        Key(dialog, VK_RETURN);
    }
    editor.Box(IDOK, "Подключено на COM " + std::to_string(com));
    const int read = editor.Command(model.Main, "TBRead");
    WaitFor("Read enabled", [&] { return TEditor::ToolState(main, read, TB_ISBUTTONENABLED); });
    const std::string status = editor.StatusText(main, 0);
    if (status != "Подключено на COM " + std::to_string(com))
        throw TFailure("the status bar says \"" + status + "\"");
    if (!TEditor::ToolState(main, editor.Command(model.Main, "TBFind"), TB_ISBUTTONCHECKED))
        throw TFailure("Connect is not down while connected");
    TSettings stored;
    stored.Load(TSettings::DefaultFile());
    std::string line;
    for (const char* key : {"Speed", "Control", "Parity", "StopBits"})
        line += stored.Read("Connection", key) + " ";
    if (!signals.empty() && line != "19200 0 2 2 ")
        throw TFailure("the stored line parameters are " + line);
    Say("connected on COM " + std::to_string(com));
}

void WaitTransfer(TEditor& editor, HWND main) {
    HWND panel = TEditor::Child(main, "PanelScan");
    WaitFor("the transfer to start", [&] { return IsWindowVisible(panel) != 0; });
    WaitFor(
        "the transfer to end", [&] { return !IsWindowVisible(panel) || editor.Top("", "#32770"); },
        std::chrono::seconds(60));
    if (HWND box = editor.Top("", "#32770"))
        throw TFailure("the transfer ended with a box: " + TextOf(box));
}

// Closes the editor, answering No if it asks to save.
void Close(TEditor& editor, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 0;
    WaitFor("the editor to end", [&] {
        if (HWND box = editor.Top("", "#32770"); box && GetDlgItem(box, IDNO))
            TEditor::Click(GetDlgItem(box, IDNO));
        return editor.Exited(code);
    });
}

// Before any Open or Save the report goes into Documents, not into the program's folder (read-only
// under Program Files), and Notepad shows it whatever the system's code page.
void ReportIntoDocuments(TEditor& editor, HWND main, const std::wstring& folder,
                         const std::wstring& signals) {
    TModel model;
    editor.ClickTool(main, editor.Command(model.Main, "TBReport"));
    editor.Box(IDNO, "Открыть его в браузере?");
    const std::wstring name = L"\\" + WideText(model.Main.ReportFileName);
    const std::wstring report = WideText(TStartFolder::Documents()) + name;
    WaitFor("the report in Documents",
            [&] { return GetFileAttributesW(report.c_str()) != INVALID_FILE_ATTRIBUTES; });
    if (GetFileAttributesW((folder + name).c_str()) != INVALID_FILE_ATTRIBUTES)
        throw TFailure("the report went into the program's folder");
    HWND notepad = nullptr;
    WaitFor("the report in Notepad", [&] {
        notepad = FindWindowW(L"Notepad", nullptr);
        return notepad &&
               TextOf(FindWindowExW(notepad, nullptr, L"Edit", nullptr)).find("Система оповещения") !=
                   std::string::npos;
    });
    Signal(signals, "report-notepad");
    PostMessageW(notepad, WM_CLOSE, 0, 0);
}

int Run(const std::wstring& exe, int com, const std::string& image, const std::wstring& saved,
        const std::wstring& signals) {
    TModel expected;
    expected.Open(image);
    expected.ForgetLengths();
    // Started in its own folder, as the Start menu starts it.
    const std::wstring program = exe.substr(0, exe.find_last_of(L'\\'));
    TEditor editor(exe, program);
    HWND main = editor.WaitTop("Main");
    Say("main window shown");
    ReportIntoDocuments(editor, main, program, signals);
    // The run's screen is lower than the window's design: the window keeps to it, status bar and all.
    RECT bar{};
    GetWindowRect(TEditor::Child(main, "StatusBar1"), &bar);
    MONITORINFO screen{sizeof screen, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &screen);
    if (bar.top < screen.rcWork.top || bar.bottom > screen.rcWork.bottom || bar.right > screen.rcWork.right)
        throw TFailure("the status bar lies off the screen's free area");
    Connect(editor, expected, main, com, signals);

    editor.ClickTool(main, editor.Command(expected.Main, "TBRead"));
    WaitTransfer(editor, main);
    if (TextOf(main).rfind(TMain::CaptionBase, 0) != 0)
        throw TFailure("the caption after the read is \"" + TextOf(main) + "\"");
    CompareEditor(expected, main, "after the read");
    // A screen reader names the picture buttons and bare boxes; the focus given to the lengths
    // table, whose foot lies below the view, brings it into view.
    for (TControl* named : {static_cast<TControl*>(&expected.Main.Algorithms.RelayBox(0, 7, 1)),
                            static_cast<TControl*>(&expected.Main.Algorithms.ZoneButton(1, 2))})
        if (TextOf(TEditor::Child(main, named->Name)) != named->AccessibleName)
            throw TFailure(named->Name + " is named " + TextOf(TEditor::Child(main, named->Name)));
    HWND focused = TEditor::Child(main, expected.Main.Algorithms.LenMes.Name);
    HWND view = GetParent(GetParent(GetParent(focused)));
    AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(main, nullptr), TRUE);
    SetFocus(focused);
    PostMessageW(main, WM_NULL, 0, 0);
    WaitFor("the focused relay in view", [&] {
        RECT shown{}, area{};
        return GetWindowRect(focused, &shown) && GetWindowRect(view, &area) && shown.bottom <= area.bottom;
    });
    Signal(signals, "main-after-read");

    // Change a stage: stage 1's message moves to the next number, and zone 8 of stage 1 flips.
    TComboBox& message = *expected.Main.Algorithms.MessageBoxes[0];
    HWND combo = TEditor::Child(main, message.Name);
    const int next = (message.ItemIndex() + 1) % message.Count();
    TEditor::Pick(combo, next);
    WaitFor("Save enabled by the edit", [&] {
        return TEditor::ToolState(main, editor.Command(expected.Main, "TBSave"), TB_ISBUTTONENABLED);
    });
    HWND zone = TEditor::Child(main, expected.Main.Algorithms.ZoneButton(0, 7).Name);
    const LRESULT zoneWas = SendMessageW(zone, BM_GETCHECK, 0, 0);
    TEditor::Click(zone);
    WaitFor("the zone button to flip", [&] { return SendMessageW(zone, BM_GETCHECK, 0, 0) != zoneWas; });
    Say("stage 1 changed");

    editor.ClickTool(main, editor.Command(expected.Main, "TBWrite"));
    editor.Box(IDOK, "Продолжить?");
    WaitTransfer(editor, main);
    Say("written");

    editor.ClickTool(main, editor.Command(expected.Main, "TBSave"));
    editor.SaveAs(saved);
    WaitFor("the saved project",
            [&] { return GetFileAttributesW(saved.c_str()) != INVALID_FILE_ATTRIBUTES; });
    TModel savedModel;
    savedModel.Open(Utf8Text(saved));
    CompareEditor(savedModel, main, "after the save");
    if (savedModel.Main.Algorithms.MessageBoxes[0]->ItemIndex() != next)
        throw TFailure("the saved project lacks the changed message");

    editor.ClickTool(main, editor.Command(expected.Main, "TBReport"));
    const std::wstring folder = saved.substr(0, saved.find_last_of(L'\\'));
    const std::wstring report = folder + L"\\" + WideText(expected.Main.ReportFileName);
    WaitFor("the report", [&] { return GetFileAttributesW(report.c_str()) != INVALID_FILE_ATTRIBUTES; });
    // The printable page is offered to the browser before any viewer starts; the run declines.
    editor.Box(IDNO, "Открыть его в браузере?");
    WaitFor("Report up again", [&] {
        return !TEditor::ToolState(main, editor.Command(expected.Main, "TBReport"), TB_ISBUTTONCHECKED);
    });
    Say("report written");

    editor.ClickTool(main, editor.Command(expected.Main, "ToolButton1"));
    // Showing an input again may have cleared the saved state: the close then asks, and No closes.
    DWORD code = 0;
    WaitFor("the editor to end", [&] {
        if (HWND box = editor.Top("", "#32770"); box && GetDlgItem(box, IDNO))
            TEditor::Click(GetDlgItem(box, IDNO));
        return editor.Exited(code);
    });
    if (code != 0)
        throw TFailure("the editor ended with " + std::to_string(code));
    Say("closed");

    // The saved project opened as Explorer opens it, through its association, which hands it
    // over quoted: its blank and Cyrillic letters stay.
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof open;
    // No "open with" box where nothing is associated: the run fails instead of waiting for it.
    open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    open.lpFile = saved.c_str();
    open.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&open) || !open.hProcess)
        throw TFailure("Windows opened no program for the saved project");
    TEditor opened(open.hProcess);
    HWND window = opened.WaitTop("Main");
    const std::string name = Utf8Text(saved.substr(saved.find_last_of(L'\\') + 1));
    WaitFor("the project's caption",
            [&] { return TextOf(window).find(name.substr(0, name.rfind('.'))) != std::string::npos; });
    Signal(signals, "association");
    Say("opened through the association: " + TextOf(window));
    Close(opened, window);
    return 0;
}

int Startup(const std::wstring& exe, int count) {
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto started = Clock::now();
        TEditor editor(exe, L"");
        HWND main = editor.WaitTop("Main");
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 0;
        WaitFor("the editor to end", [&] { return editor.Exited(code); });
    }
    std::sort(times.begin(), times.end());
    std::printf("start to shown main window: median %.0f ms of %d (min %.0f, max %.0f)\n",
                times[times.size() / 2], count, times.front(), times.back());
    return 0;
}

int ReadTime(const std::wstring& exe, int com) {
    TModel model;
    TEditor editor(exe, L"");
    HWND main = editor.WaitTop("Main");
    Connect(editor, model, main, com, L"");
    HWND panel = TEditor::Child(main, "PanelScan");
    const auto started = Clock::now();
    editor.ClickTool(main, editor.Command(model.Main, "TBRead"));
    WaitFor("the read to start", [&] { return IsWindowVisible(panel) != 0; });
    WaitFor(
        "the read to end", [&] { return !IsWindowVisible(panel) || editor.Top("", "#32770"); },
        std::chrono::seconds(60));
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (editor.Top("", "#32770"))
        throw TFailure("the read ended with a box");
    std::printf("read of the image through COM%d: %.2f s\n", com, seconds);
    Close(editor, main);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::map<std::wstring, std::wstring> options;
    for (int i = 3; i + 1 < argc; i += 2)
        options[argv[i]] = argv[i + 1];
    const auto option = [&](const wchar_t* name) {
        const auto it = options.find(name);
        if (it == options.end())
            throw TFailure("missing " + Utf8Text(name));
        return it->second;
    };
    try {
        if (argc < 3)
            throw TFailure("usage: WindowDriver run|startup|read-time EXE [options]");
        const std::wstring mode = argv[1], exe = argv[2];
        if (mode == L"run")
            return Run(exe, std::stoi(option(L"--com")), Utf8Text(option(L"--image")), option(L"--save"),
                       option(L"--signals"));
        if (mode == L"startup")
            return Startup(exe, std::stoi(option(L"--count")));
        if (mode == L"read-time")
            return ReadTime(exe, std::stoi(option(L"--com")));
        throw TFailure("unknown mode");
    } catch (const std::exception& error) {
        Say(std::string("FAILED: ") + error.what());
        return 1;
    }
}
