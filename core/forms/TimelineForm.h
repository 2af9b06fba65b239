#pragma once
#include "model/Timeline.h"
#include "ui/Form.h"
#include <string>

class TAlgorithmEditor;

// The timeline window of the shown input, opened by a click on the total evacuation time: holds
// the timeline model and rebuilds it after every change the editor shows (an edit, a length,
// another input), while it is open. The front ends only draw Model.
class TTimelineForm : public TForm {
public:
    static inline const std::string CaptionPrefix = "Временная диаграмма: вход активации N";
    // Where the window opens on the screen, and its size then.
    static constexpr int OpeningLeft = 60;
    static constexpr int OpeningTop = 120;
    static constexpr int OpeningWidth = 900;
    static constexpr int OpeningHeight = 460;
    static inline const std::string OpenHint = "Временная диаграмма входа: щелкните, чтобы открыть";

    explicit TTimelineForm(TAlgorithmEditor& editor);

    TTimeline Model;

    // Opens the window on the shown input.
    void Open();
    void Refresh();

private:
    TAlgorithmEditor& Editor;
};
