#include "Bind.h"
#include "Native.h"
#include "base/WideText.h"
#include <commctrl.h>
#include <map>
#include <memory>

namespace {
constexpr wchar_t BindingProperty[] = L"VarokBinding";
constexpr wchar_t NameProperty[] = L"VarokName";
constexpr UINT_PTR ValueEditSubclass = 1;

// A control about to be disabled or hidden while it has the focus hands it to the next control
// in tab order, as a dialog does: keys must never go to a control that cannot take them.
void HandOffFocus(HWND window) {
    if (GetFocus() != window && !IsChild(window, GetFocus()))
        return;
    HWND root = GetAncestor(window, GA_ROOT);
    HWND next = GetNextDlgTabItem(root, window, FALSE);
    SetFocus(next && next != window ? next : root);
}

// What ties one window to its control: the mirror, and what the window's notifications do.
struct TBinding {
    HWND Window = nullptr;
    TControl* Control = nullptr;
    // Set while mirroring: the notifications the mirror itself causes are not the user's.
    bool Mirroring = false;
    // The control's place the window was last given.
    TRect Placed;
    std::function<void(HWND)> Show;
    std::function<void(WORD code, WORD id)> Command;
    std::function<LRESULT(NMHDR&)> Notify;

    void Mirror() {
        if (!Window || Mirroring)
            return;
        Mirroring = true;
        if (Control) {
            if (!IsWindowEnabled(Window) != !Control->Enabled()) {
                if (!Control->Enabled())
                    HandOffFocus(Window);
                EnableWindow(Window, Control->Enabled());
            }
            const bool shown = (GetWindowLongW(Window, GWL_STYLE) & WS_VISIBLE) != 0;
            if (shown != Control->Visible()) {
                if (!Control->Visible())
                    HandOffFocus(Window);
                ShowWindow(Window, Control->Visible() ? SW_SHOWNA : SW_HIDE);
            }
            const TRect& at = Control->Bounds();
            if (at != Placed && at.Width > 0) {
                Placed = at;
                if (TLayout* layout = TLayout::Of(Window))
                    layout->Move(Window, {at.Left, at.Top, at.Width, at.Height});
            }
        }
        if (Show)
            Show(Window);
        Mirroring = false;
    }
};

// Every binder made, so that a window going away can stop them all.
std::vector<std::weak_ptr<TBinding>>& AllBindings() {
    static std::vector<std::weak_ptr<TBinding>> all;
    return all;
}

void Name(HWND window, const std::string& name) {
    if (!name.empty())
        SetPropW(window, NameProperty,
                 reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GlobalAddAtomW(WideText(name).c_str()))));
}

// The tool tips of the controls of one top-level window: each asks for its text when it
// shows, so a hint that changes (why a control is disabled now) is always the current one.
void AddTip(HWND control) {
    static std::map<HWND, HWND> tips;
    HWND root = GetAncestor(control, GA_ROOT);
    HWND& tip = tips[root];
    if (!IsWindow(tip)) {
        tip =
            CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            0, 0, 0, 0, root, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 400);
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A binder of window for control (null: the window follows nothing by itself); its mirror
// runs on every change of the control. routed: the window's notifications come to it (they
// always do for a control's window, whose tool tip asks for the control's hint).
std::shared_ptr<TBinding> Attach(TControl* control, HWND window, bool routed) {
    auto binding = std::make_shared<TBinding>();
    binding->Window = window;
    binding->Control = control;
    // Made at its place: only a later change of place moves it.
    if (control)
        binding->Placed = control->Bounds();
    AllBindings().push_back(binding);
    if (routed || control)
        SetPropW(window, BindingProperty, binding.get());
    if (control) {
        Name(window, control->Name);
        control->Watch([binding] { binding->Mirror(); });
        if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)
            AddTip(window);
    }
    return binding;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetText(HWND window, const std::string& text) {
    const std::wstring wide = WideText(text);
    if (TextOf(window) != wide)
        SetWindowTextW(window, wide.c_str());
}

std::wstring ItemText(HWND list, int item, int column) {
    wchar_t buffer[512] = {};
    LVITEMW entry{};
    entry.iSubItem = column;
    entry.pszText = buffer;
    entry.cchTextMax = static_cast<int>(std::size(buffer));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return buffer;
}

void SetItemText(HWND list, int item, int column, const std::string& text) {
    std::wstring wide = WideText(text);
    if (ItemText(list, item, column) == wide)
        return;
    LVITEMW entry{};
    entry.iSubItem = column;
    entry.pszText = wide.data();
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
}

void SetColumn(HWND list, int column, int width, const std::string& title, bool insert) {
    std::wstring text = WideText(title);
    LVCOLUMNW entry{};
    entry.mask = LVCF_TEXT | LVCF_SUBITEM | (width > 0 ? LVCF_WIDTH : 0);
    entry.cx = width;
    entry.iSubItem = column;
    entry.pszText = text.data();
    SendMessageW(list, insert ? LVM_INSERTCOLUMNW : LVM_SETCOLUMNW, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&entry));
}

// The in-place editor of a value cell: Enter or leaving it keeps the text, Escape drops it.
struct TValueEdit {
    TValueListEditor* Control;
    std::shared_ptr<TBinding> List;
    int Row;
    bool Done = false;
};

void EndValueEdit(HWND edit, TValueEdit& state, bool keep) {
    if (state.Done)
        return;
    state.Done = true;
    if (keep)
        state.Control->EditValue(state.Row, Utf8Text(TextOf(edit)));
    state.List->Mirror();
    DestroyWindow(edit);
}

LRESULT CALLBACK ValueEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                    DWORD_PTR data) {
    auto* state = reinterpret_cast<TValueEdit*>(data);
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) {
            EndValueEdit(edit, *state, wParam == VK_RETURN);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r' || wParam == 27)
            return 0;
        break;
    case WM_KILLFOCUS:
        EndValueEdit(edit, *state, true);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, ValueEditProcedure, ValueEditSubclass);
        delete state;
        break;
    default:
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

void BeginValueEdit(TValueListEditor& control, const std::shared_ptr<TBinding>& binding, int item) {
    HWND list = binding->Window;
    if (!list || item < 0 || item + 1 >= control.RowCount() || !control.Enabled())
        return;
    RECT cell{};
    cell.top = 1;
    cell.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell));
    HWND edit = CreateWindowExW(0, WC_EDITW, WideText(control.Value(item + 1)).c_str(),
                                WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, cell.left, cell.top,
                                cell.right - cell.left, cell.bottom - cell.top, list, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
    SetWindowSubclass(edit, ValueEditProcedure, ValueEditSubclass,
                      reinterpret_cast<DWORD_PTR>(new TValueEdit{&control, binding, item + 1}));
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SetFocus(edit);
}

int PartAlignmentTabs(TAlignment alignment) {
    switch (alignment) {
    case TAlignment::Center:
        return 1;
    case TAlignment::Right:
        return 2;
    case TAlignment::Left:
        break;
    }
    return 0;
}

void CALLBACK TimerTick(HWND, UINT, UINT_PTR id, DWORD) {
    reinterpret_cast<TTimer*>(id)->Tick();
}
} // namespace

void Bind(TCheckBox& control, HWND box, bool showCaption) {
    auto binding = Attach(&control, box, true);
    binding->Show = [&control, showCaption](HWND w) {
        SendMessageW(w, BM_SETCHECK, control.Checked() ? BST_CHECKED : BST_UNCHECKED, 0);
        // A box drawn without its caption (BS_ICON, no icon) carries the name a screen reader says.
        SetText(w, showCaption ? control.Caption() : control.AccessibleName);
    };
    binding->Command = [&control, raw = binding.get()](WORD code, WORD) {
        if (code != BN_CLICKED)
            return;
        control.Click();
        raw->Mirror();
    };
    binding->Mirror();
}

void Bind(TComboBox& control, HWND combo) {
    auto binding = Attach(&control, combo, true);
    auto shownItems = std::make_shared<std::vector<std::string>>();
    binding->Show = [&control, shownItems](HWND w) {
        // Most changes only move the selection; the list is refilled only when it differs.
        if (*shownItems != control.Items()) {
            *shownItems = control.Items();
            SendMessageW(w, WM_SETREDRAW, FALSE, 0);
            SendMessageW(w, CB_RESETCONTENT, 0, 0);
            for (const std::string& item : control.Items())
                SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideText(item).c_str()));
            SendMessageW(w, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(w, nullptr, TRUE);
        }
        SendMessageW(w, CB_SETMINVISIBLE, static_cast<WPARAM>(control.DropDownCount), 0);
        DWORD start = 0, end = 0;
        SendMessageW(w, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        if (SendMessageW(w, CB_GETCURSEL, 0, 0) != control.ItemIndex())
            SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(control.ItemIndex()), 0);
        // A typed text that names no item: the selection is gone but the text stays, and the
        // caret stays where the user is typing.
        if (control.Editable && TextOf(w) != WideText(control.Text())) {
            SetText(w, control.Text());
            SendMessageW(w, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
        }
    };
    binding->Command = [&control, raw = binding.get()](WORD code, WORD) {
        if (code == CBN_SELCHANGE)
            control.Select(static_cast<int>(SendMessageW(raw->Window, CB_GETCURSEL, 0, 0)));
        else if (code == CBN_EDITCHANGE)
            control.Type(Utf8Text(TextOf(raw->Window)));
        else
            return;
        raw->Mirror();
    };
    binding->Mirror();
}

void Bind(TRadioGroup& control, HWND group, const std::vector<HWND>& radios) {
    auto binding = Attach(&control, group, false);
    SetText(group, control.Caption);
    // The buttons' binders live as long as the group's: only its mirror holds them.
    std::vector<std::shared_ptr<TBinding>> items;
    for (size_t i = 0; i < radios.size(); ++i) {
        SetText(radios[i], control.Items()[i]);
        auto radio = Attach(nullptr, radios[i], true);
        Name(radios[i], control.Name + "." + std::to_string(i));
        radio->Command = [&control, group = binding.get(), index = static_cast<int>(i)](WORD code, WORD) {
            if (code != BN_CLICKED)
                return;
            control.Select(index);
            group->Mirror();
        };
        items.push_back(std::move(radio));
    }
    binding->Show = [&control, radios, items](HWND) {
        for (size_t i = 0; i < radios.size(); ++i) {
            if (!control.Enabled() || !control.Visible())
                HandOffFocus(radios[i]);
            EnableWindow(radios[i], control.Enabled());
            ShowWindow(radios[i], control.Visible() ? SW_SHOWNA : SW_HIDE);
            SendMessageW(radios[i], BM_SETCHECK,
                         static_cast<int>(i) == control.ItemIndex() ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    };
    binding->Mirror();
}

void Bind(TButton& control, HWND button, std::function<HICON(int)> pictures) {
    auto binding = Attach(&control, button, true);
    auto shownPicture = std::make_shared<int>(-2);
    binding->Show = [&control, pictures = std::move(pictures), shownPicture](HWND w) {
        // A picture button draws no text: its text is the name a screen reader says.
        SetText(w, control.Caption().empty() ? control.AccessibleName : control.Caption());
        SendMessageW(w, BM_SETCHECK, control.Down() ? BST_CHECKED : BST_UNCHECKED, 0);
        if (pictures && *shownPicture != control.ImageIndex()) {
            *shownPicture = control.ImageIndex();
            SendMessageW(w, BM_SETIMAGE, IMAGE_ICON,
                         reinterpret_cast<LPARAM>(pictures(control.ImageIndex())));
        }
    };
    binding->Command = [&control, raw = binding.get()](WORD code, WORD) {
        if (code != BN_CLICKED)
            return;
        control.Click();
        raw->Mirror();
    };
    binding->Mirror();
}

void BindTool(TButton& control, HWND toolbar, int command) {
    // The toolbar carries one binder for all its buttons, which finds the button by its command.
    std::shared_ptr<TBinding> held;
    for (auto& weak : AllBindings())
        if (auto binding = weak.lock(); binding && binding->Window == toolbar)
            held = binding;
    if (!held) {
        held = Attach(nullptr, toolbar, true);
        Name(toolbar, "ToolBar1");
        held->Command = [](WORD, WORD) {};
    }
    const auto mirror = [&control, held, command] {
        HWND w = held->Window;
        if (!w)
            return;
        SendMessageW(w, TB_ENABLEBUTTON, static_cast<WPARAM>(command), MAKELPARAM(control.Enabled(), 0));
        SendMessageW(w, TB_HIDEBUTTON, static_cast<WPARAM>(command), MAKELPARAM(!control.Visible(), 0));
        SendMessageW(w, TB_CHECKBUTTON, static_cast<WPARAM>(command), MAKELPARAM(control.Down(), 0));
        std::wstring caption = WideText(control.Caption());
        TBBUTTONINFOW info{};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_TEXT;
        info.pszText = caption.data();
        SendMessageW(w, TB_SETBUTTONINFOW, static_cast<WPARAM>(command), reinterpret_cast<LPARAM>(&info));
    };
    control.Watch(mirror);
    auto previous = held->Command;
    held->Command = [previous, &control, command, mirror](WORD code, WORD id) {
        if (id != command)
            return previous(code, id);
        control.Click();
        mirror();
    };
    mirror();
}

void Bind(TEdit& control, HWND edit) {
    auto binding = Attach(&control, edit, true);
    binding->Show = [&control](HWND w) {
        SendMessageW(w, EM_SETREADONLY, control.ReadOnly(), 0);
        SendMessageW(w, EM_SETLIMITTEXT, static_cast<WPARAM>(control.MaxLength > 0 ? control.MaxLength : 0),
                     0);
        // Rewriting an equal text would put the caret at the start while the user types.
        if (TextOf(w) != WideText(control.Text())) {
            DWORD start = 0, end = 0;
            SendMessageW(w, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
            SetText(w, control.Text());
            SendMessageW(w, EM_SETSEL, start, end);
        }
    };
    binding->Command = [&control, raw = binding.get()](WORD code, WORD) {
        if (code != EN_CHANGE)
            return;
        control.Type(Utf8Text(TextOf(raw->Window)));
        raw->Mirror();
    };
    binding->Mirror();
}

void Bind(TStaticText& control, HWND label) {
    auto binding = Attach(&control, label, control.OnClick != nullptr);
    binding->Show = [&control](HWND w) { SetText(w, control.Caption()); };
    if (control.OnClick) {
        SetWindowLongW(label, GWL_STYLE, GetWindowLongW(label, GWL_STYLE) | SS_NOTIFY);
        binding->Command = [&control](WORD code, WORD) {
            if (code == STN_CLICKED)
                control.Click();
        };
    }
    binding->Mirror();
}

void Bind(TValueListEditor& control, HWND list) {
    auto binding = Attach(&control, list, true);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
    RECT area{};
    GetClientRect(list, &area);
    const int half = (area.right - area.left - GetSystemMetrics(SM_CXVSCROLL)) / 2;
    SetColumn(list, 0, half, control.Key(0), true);
    SetColumn(list, 1, half, control.Value(0), true);
    binding->Show = [&control](HWND w) {
        SetColumn(w, 0, 0, control.Key(0), false);
        SetColumn(w, 1, 0, control.Value(0), false);
        const int rows = control.RowCount() - 1;
        for (int r = static_cast<int>(SendMessageW(w, LVM_GETITEMCOUNT, 0, 0)); r < rows; ++r) {
            LVITEMW item{};
            item.iItem = r;
            SendMessageW(w, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
        while (SendMessageW(w, LVM_GETITEMCOUNT, 0, 0) > rows)
            SendMessageW(w, LVM_DELETEITEM, static_cast<WPARAM>(rows), 0);
        for (int r = 0; r < rows; ++r) {
            SetItemText(w, r, 0, control.Key(r + 1));
            SetItemText(w, r, 1, control.Value(r + 1));
        }
        // A warning that came or went recolours its value.
        InvalidateRect(w, nullptr, FALSE);
    };
    binding->Notify = [&control, weak = std::weak_ptr<TBinding>(binding)](NMHDR& header) -> LRESULT {
        auto self = weak.lock();
        if (!self)
            return 0;
        if (header.code == NM_DBLCLK || header.code == NM_CLICK) {
            const auto& activate = reinterpret_cast<NMITEMACTIVATE&>(header);
            if (activate.iSubItem == 1 || header.code == NM_DBLCLK)
                BeginValueEdit(control, self, activate.iItem);
        } else if (header.code == NM_CUSTOMDRAW) {
            // A value that is wrong shows red.
            auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
            if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
                return CDRF_NOTIFYITEMDRAW;
            if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
                return CDRF_NOTIFYSUBITEMDRAW;
            if (draw.nmcd.dwDrawStage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
                const int row = static_cast<int>(draw.nmcd.dwItemSpec) + 1;
                const bool wrong =
                    draw.iSubItem == 1 && row < control.RowCount() && !control.ValueWarning(row).empty();
                draw.clrText = wrong ? RGB(0xCC, 0, 0) : GetSysColor(COLOR_WINDOWTEXT);
                return CDRF_NEWFONT;
            }
        } else if (header.code == LVN_GETINFOTIPW) {
            // And says why in its tool tip.
            auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
            if (tip.iItem + 1 < control.RowCount())
                lstrcpynW(tip.pszText, WideText(control.ValueWarning(tip.iItem + 1)).c_str(), tip.cchTextMax);
        } else if (header.code == LVN_KEYDOWN && reinterpret_cast<NMLVKEYDOWN&>(header).wVKey == VK_F2) {
            BeginValueEdit(control, self,
                           static_cast<int>(SendMessageW(header.hwndFrom, LVM_GETNEXTITEM,
                                                         static_cast<WPARAM>(-1), LVNI_SELECTED)));
        }
        return 0;
    };
    binding->Mirror();
}

void SetStatusParts(const TStatusBar& control, HWND bar, UINT dpi) {
    std::vector<int> edges;
    int right = 0;
    for (const TStatusPanel& panel : control.Panels())
        edges.push_back(right += Scaled(panel.Width, dpi));
    SendMessageW(bar, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void Bind(TStatusBar& control, HWND bar) {
    auto binding = Attach(&control, bar, false);
    SetStatusParts(control, bar, GetDpiForWindow(bar));
    binding->Show = [&control](HWND w) {
        for (size_t i = 0; i < control.Panels().size(); ++i) {
            const TStatusPanel& panel = control.Panels()[i];
            const std::wstring text =
                std::wstring(static_cast<size_t>(PartAlignmentTabs(panel.Alignment)), L'\t') +
                WideText(panel.Text);
            SendMessageW(w, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(text.c_str()));
        }
    };
    binding->Notify = [&control](NMHDR& header) -> LRESULT {
        if (header.code == NM_CLICK)
            control.ClickPanel(static_cast<size_t>(reinterpret_cast<NMMOUSE&>(header).dwItemSpec));
        return 0;
    };
    binding->Mirror();
}

void Bind(TProgressBar& control, HWND bar) {
    auto binding = Attach(&control, bar, false);
    binding->Show = [&control](HWND w) {
        SendMessageW(w, PBM_SETRANGE32, static_cast<WPARAM>(control.Min), control.Max);
        SendMessageW(w, PBM_SETPOS, static_cast<WPARAM>(control.Position()), 0);
    };
    binding->Mirror();
}

void Bind(TPanel& control, HWND panel, HWND caption) {
    auto binding = Attach(&control, panel, false);
    binding->Show = [&control, caption](HWND w) {
        SetText(caption, control.Caption());
        if (control.Visible())
            SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    };
    binding->Mirror();
}

void Bind(TStringGrid& control, HWND list) {
    auto binding = Attach(&control, list, true);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    const UINT dpi = GetDpiForWindow(list);
    for (int c = 0; c < control.ColCount(); ++c) {
        const size_t column = static_cast<size_t>(c);
        const int width = column < control.ColWidths.size() ? control.ColWidths[column] : 24;
        SetColumn(list, c, Scaled(width, dpi), control.RowCount() > 0 ? control.Cell(c, 0) : std::string(),
                  true);
    }
    // The rows are as high as the grid's: an image list of that height sets them.
    HIMAGELIST rows = ImageList_Create(1, Scaled(control.RowHeight, dpi), ILC_COLOR, 1, 0);
    SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rows));
    binding->Show = [&control](HWND w) {
        const int items = control.RowCount() > 0 ? control.RowCount() - 1 : 0;
        if (SendMessageW(w, LVM_GETITEMCOUNT, 0, 0) != items)
            SendMessageW(w, LVM_SETITEMCOUNT, static_cast<WPARAM>(items), LVSICF_NOSCROLL);
        // One repaint for the whole refill: the list asks only for the cells it shows.
        InvalidateRect(w, nullptr, FALSE);
    };
    auto shown = std::make_shared<std::wstring>();
    binding->Notify = [&control, shown](NMHDR& header) -> LRESULT {
        if (header.code != LVN_GETDISPINFOW)
            return 0;
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) && item.iItem + 1 < control.RowCount() &&
            item.iSubItem < control.ColCount()) {
            *shown = WideText(control.Cell(item.iSubItem, item.iItem + 1));
            lstrcpynW(item.pszText, shown->c_str(), item.cchTextMax);
        }
        return 0;
    };
    binding->Mirror();
}

void Bind(TMemo& control, HWND edit) {
    auto binding = Attach(&control, edit, false);
    auto shownLines = std::make_shared<size_t>(0);
    binding->Show = [&control, shownLines](HWND w) {
        const auto& lines = control.Lines();
        if (*shownLines > lines.size()) {
            SetWindowTextW(w, L"");
            *shownLines = 0;
        }
        std::wstring added;
        for (; *shownLines < lines.size(); ++*shownLines)
            added += (GetWindowTextLengthW(w) > 0 || !added.empty() ? L"\r\n" : L"") +
                     WideText(lines[*shownLines]);
        if (added.empty())
            return;
        const int end = GetWindowTextLengthW(w);
        SendMessageW(w, EM_SETSEL, static_cast<WPARAM>(end), end);
        SendMessageW(w, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
    };
    binding->Mirror();
}

void Bind(TControl& control, HWND window) {
    Attach(&control, window, false)->Mirror();
}

void Bind(TTimer& control, HWND window) {
    Follow(control, window, [&control, window] {
        const UINT_PTR id = reinterpret_cast<UINT_PTR>(&control);
        if (control.Running())
            SetTimer(window, id, static_cast<UINT>(control.Interval), TimerTick);
        else
            KillTimer(window, id);
    });
}

void Bind(TForm& control, HWND window) {
    Name(window, control.Name);
    Follow(control, window, [&control, window] {
        SetText(window, control.Caption());
        EnableWindow(window, control.Enabled());
    });
}

HWND WindowOf(const TControl& control) {
    for (auto& weak : AllBindings())
        if (auto binding = weak.lock(); binding && binding->Control == &control && binding->Window)
            return binding->Window;
    return nullptr;
}

void Follow(TControl& control, HWND window, std::function<void()> follow) {
    auto binding = Attach(nullptr, window, false);
    binding->Show = [follow = std::move(follow)](HWND) { follow(); };
    control.Watch([binding] { binding->Mirror(); });
    binding->Mirror();
}

bool DispatchToBinding(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && lParam) {
        auto* binding = static_cast<TBinding*>(GetPropW(reinterpret_cast<HWND>(lParam), BindingProperty));
        if (!binding || !binding->Command || binding->Mirroring)
            return false;
        binding->Command(HIWORD(wParam), LOWORD(wParam));
        result = 0;
        return true;
    }
    if (message == WM_NOTIFY) {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code == TTN_GETDISPINFOW) {
            auto& tip = reinterpret_cast<NMTTDISPINFOW&>(header);
            if (!(tip.uFlags & TTF_IDISHWND))
                return false;
            auto* binding =
                static_cast<TBinding*>(GetPropW(reinterpret_cast<HWND>(header.idFrom), BindingProperty));
            static std::wstring text;
            text = binding && binding->Control ? WideText(binding->Control->Hint()) : std::wstring();
            tip.lpszText = text.data();
            result = 0;
            return true;
        }
        auto* binding = static_cast<TBinding*>(GetPropW(header.hwndFrom, BindingProperty));
        if (!binding || !binding->Notify)
            return false;
        result = binding->Notify(header);
        return true;
    }
    return false;
}

void ForgetBindings(HWND window) {
    auto& all = AllBindings();
    for (auto it = all.begin(); it != all.end();) {
        auto binding = it->lock();
        if (binding && binding->Window && (binding->Window == window || IsChild(window, binding->Window))) {
            RemovePropW(binding->Window, BindingProperty);
            if (auto atom = static_cast<ATOM>(
                    reinterpret_cast<ULONG_PTR>(RemovePropW(binding->Window, NameProperty))))
                GlobalDeleteAtom(atom);
            binding->Window = nullptr;
        }
        it = binding && binding->Window ? it + 1 : all.erase(it);
    }
}
