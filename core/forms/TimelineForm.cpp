#include "forms/TimelineForm.h"
#include "forms/AlgorithmEditor.h"

TTimelineForm::TTimelineForm(TAlgorithmEditor& editor) : TForm("FormTimeline"), Editor(editor) {
    Width = OpeningWidth;
    SetHeight(OpeningHeight);
    const auto follow = [this] {
        if (Visible())
            Refresh();
    };
    for (auto& time : editor.StageTimes)
        time->Watch(follow);
    editor.TotalTime->Watch(follow);
    for (TControl* control : editor.GridControls())
        control->Watch(follow);
    for (auto& button : editor.InputButtons)
        button->Watch(follow);
    editor.LenMes.Watch(follow);
    editor.TotalTime->SetHint(OpenHint);
    editor.TotalTime->OnClick = [this] { Open(); };
}

void TTimelineForm::Open() {
    Show();
    Refresh();
}

void TTimelineForm::Refresh() {
    // The input whose button is down: it goes down before the input's controls are filled.
    int input = 0;
    for (size_t n = 0; n < Editor.InputButtons.size(); ++n)
        if (Editor.InputButtons[n]->Down())
            input = static_cast<int>(n);
    Model = TTimeline::Of(Editor.Shown(), input, Editor.LengthTexts());
    SetCaption(CaptionPrefix + std::to_string(input + 1));
    Changed();
}
