#include "app/MainLayout.h"
#include "app/UnitMain.h"
#include <algorithm>

namespace {
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int Margin = 12;

void Place(std::vector<TControl*>& children, TControl& control, TRect where) {
    control.SetBounds(where);
    children.push_back(&control);
}

// The connection dialog: automatic search or a fixed port, and the line parameters in a group
// that the form shows or hides; Ok and Cancel keep to the bottom edge as its height follows.
void LayOut(TSetComPort& form) {
    std::vector<TControl*>& children = form.Children;
    const int w = form.Width;
    Place(children, form.ButtonOk, {0, 0, ButtonWidth, ButtonHeight});
    Place(children, form.CheckBox1, {16, 14, 300, 20});
    Place(children, form.Button1, {0, 0, ButtonWidth, ButtonHeight});
    Place(children, form.Label1, {16, 42, w - 32, 18});
    // The box takes the dialog's width: a port that exists is listed with its device and adapter.
    Place(children, form.ComboBoxPort, {16, 62, w - 32, 22});
    Place(children, form.ButtonParam, {16, 94, 150, ButtonHeight});
    Place(children, form.GroupBox1, {8, 128, w - 16, TSetComPort::GroupHeight - 7});
    form.GroupBox1.Framed = true;
    std::vector<TControl*>& group = form.GroupBox1.Children;
    Place(group, form.LabelSpeed, {10, 16, 44, 18});
    Place(group, form.ComboBoxSpeed, {56, 12, 90, 22});
    Place(group, form.LabelControl, {160, 16, 48, 18});
    Place(group, form.ComboBoxControl, {208, 12, 90, 22});
    Place(group, form.RadioGroupParity, {8, 40, 98, 116});
    Place(group, form.RadioGroupData, {110, 40, 98, 116});
    Place(group, form.RadioGroupStop, {212, 40, 94, 116});
    Place(group, form.CheckBoxDTR, {14, 160, 70, 20});
    Place(group, form.CheckBoxRTS, {116, 160, 70, 20});
    // ButtonOk is the Cancel button, Button1 the OK button, which has the focus on opening.
    form.DefaultButton = &form.Button1;
    form.CancelButton = &form.ButtonOk;
    form.ActiveControl = &form.Button1;
    const auto bottom = [&form, w] {
        const int top = form.Height() - Margin - ButtonHeight;
        form.Button1.SetBounds({w - 2 * (ButtonWidth + Margin), top, ButtonWidth, ButtonHeight});
        form.ButtonOk.SetBounds({w - ButtonWidth - Margin, top, ButtonWidth, ButtonHeight});
    };
    form.Watch(bottom);
    bottom();
}

// The new-project dialog: the name field under its label, OK and Cancel; the last name is there
// to type over each time it opens.
void LayOut(TFormProjectName& form) {
    Place(form.Children, form.Label1, {12, 12, 209, 16});
    Place(form.Children, form.ProjectName, {12, 32, 209, 22});
    Place(form.Children, form.OKBtn, {35, 84, ButtonWidth, ButtonHeight});
    Place(form.Children, form.CancelBtn, {123, 84, ButtonWidth, ButtonHeight});
    form.DefaultButton = &form.OKBtn;
    form.CancelButton = &form.CancelBtn;
    form.ActiveControl = &form.ProjectName;
}
} // namespace

TRect TMainLayout::ClientIn(int roomWidth, int roomHeight, int scrollBarWidth) {
    const int height = std::clamp(roomHeight, 0, Height);
    const int width = std::clamp(roomWidth, 0, Width + (height < Height ? scrollBarWidth : 0));
    return {std::max(0, (roomWidth - width) / 2), std::max(0, (roomHeight - height) / 2), width, height};
}

int TMainLayout::ScrollToShow(int position, int view, int start, int length) {
    if (start < position || length > view)
        return start;
    if (start + length > position + view)
        return start + length - view;
    return position;
}

TRect TMainLayout::PanelScanIn(int width, int height) {
    constexpr int PanelWidth = 233, PanelHeight = 81;
    return {(width - PanelWidth) / 2, (height - PanelHeight) / 2, PanelWidth, PanelHeight};
}

void TMainLayout::Apply(TMain& main) {
    main.Width = Width;
    main.SetHeight(Height);
    main.Composition.LayOut({0, 0, LeftPanelWidth, BodyHeight});
    main.Algorithms.LayOut({LeftPanelWidth + LineWidth, 0, Width - LeftPanelWidth - LineWidth, BodyHeight});
    main.PanelScan.SetBounds(PanelScanIn(Width, Height));
    main.ProgressBar.SetBounds({16, 44, 201, 16});
    // The window opens with the focus on its first control, top left, where Tab starts anyway.
    main.ActiveControl = &main.Composition.ComboBox58;
    LayOut(main.SetComPort);
    LayOut(main.FormProjectName);
}
