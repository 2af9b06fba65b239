#pragma once
#include "model/ConfigImage.h"
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The editor's undo and redo: whole states of the image and the message lengths, with the
// input shown, so a step back brings back the screen as it was. One user action is one
// step, however many bytes it changed.
class THistory {
public:
    struct TState {
        ConfigImage Image;
        std::vector<std::string> Lengths;
        int Input = 0;
        // What the image does not decide: the choices each console box offers (they follow
        // the other console's last edit).
        int FireChoices = 0;
        int AnnouncerChoices = 0;
    };
    // Steps kept; the oldest go first (each holds two whole images).
    static constexpr size_t Limit = 200;

    // A step from `before` to `after`; the steps that were undone are dropped.
    void Record(TState before, TState after);
    bool CanUndo() const { return !Undos.empty(); }
    bool CanRedo() const { return !Redos.empty(); }
    // The state to show, or nothing when there is no step to take.
    std::optional<TState> Undo();
    std::optional<TState> Redo();
    void Clear();

private:
    struct TStep {
        TState Before;
        TState After;
    };
    std::deque<TStep> Undos;
    std::vector<TStep> Redos;
};
