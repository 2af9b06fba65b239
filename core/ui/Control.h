#pragma once
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A rectangle in pixels at 96 dots per inch: where a control lies in its window or group.
struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    int Right() const { return Left + Width; }
    bool operator==(const TRect&) const = default;
};

enum class TAlignment { Left, Center, Right };

// Base of the headless controls. A control keeps the state a widget would show;
// a view watches it (Watch) and mirrors every change.
class TControl {
public:
    explicit TControl(std::string name = {}) : Name(std::move(name)) {}
    virtual ~TControl() = default;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    std::string Name;
    int Tag = 0;       // the stage (or input) a grid control belongs to
    int FieldKind = 0; // which field of the stage record the control edits
    // What a screen reader says for a control whose caption is not shown (a picture, a bare box);
    // empty where the caption or a label beside it says it.
    std::string AccessibleName;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value) {
        if (value != FEnabled) {
            FEnabled = value;
            Changed();
        }
    }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) {
        if (value != FVisible) {
            FVisible = value;
            Changed();
        }
    }

    // Where the control lies; empty for a control that the front end places (a toolbar button).
    const TRect& Bounds() const { return FBounds; }
    void SetBounds(TRect value) {
        if (value != FBounds) {
            FBounds = value;
            Changed();
        }
    }

    // The tool tip: what the control does, or why it is disabled now.
    const std::string& Hint() const { return FHint; }
    void SetHint(std::string value) {
        if (value != FHint) {
            FHint = std::move(value);
            Changed();
        }
    }

    // A view registers here to be told about every change of state.
    void Watch(std::function<void()> onChange) { Watchers.push_back(std::move(onChange)); }

protected:
    void Changed() {
        for (auto& w : Watchers)
            w();
    }

private:
    bool FEnabled = true;
    bool FVisible = true;
    std::string FHint;
    TRect FBounds;
    std::vector<std::function<void()>> Watchers;
};
