#pragma once
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <string_view>

// What a stop signal must undo for the staged files of this process, kept in fixed storage that
// a signal handler can read without allocating: a temporary to remove, an old file to move back,
// a new target to remove. TChar is the system's path character.
template <typename TChar, size_t PathSize> class TUndoSlots {
public:
    enum TUndo : int { Free, Claimed, RemovePath, MovePathBack, RemoveTarget };

    // A slot for `undo`, or -1 when the paths are too long or every slot is taken.
    int Claim(std::basic_string_view<TChar> path, std::basic_string_view<TChar> target, TUndo undo) {
        if (path.size() >= PathSize || target.size() >= PathSize)
            return -1;
        for (int i = 0; i < Count; ++i) {
            int expected = Free;
            if (Slots[i].Undo.compare_exchange_strong(expected, Claimed)) {
                *std::copy(path.begin(), path.end(), Slots[i].Path) = 0;
                *std::copy(target.begin(), target.end(), Slots[i].Target) = 0;
                Slots[i].Undo.store(undo);
                return i;
            }
        }
        return -1;
    }
    void Release(int& slot) {
        if (slot >= 0)
            Slots[slot].Undo.store(Free);
        slot = -1;
    }
    void Change(int slot, TUndo undo) {
        if (slot >= 0)
            Slots[slot].Undo.store(undo);
    }
    // Calls undo(what, path, target) for every slot in use.
    template <typename TAction> void UndoAll(TAction undo) {
        for (TSlot& slot : Slots)
            if (const int what = slot.Undo.load(); what != Free && what != Claimed)
                undo(static_cast<TUndo>(what), slot.Path, slot.Target);
    }

private:
    static constexpr int Count = 16;
    struct TSlot {
        std::atomic<int> Undo{Free};
        TChar Path[PathSize];
        TChar Target[PathSize];
    };
    TSlot Slots[Count];
};
