#include "app/History.h"
#include <utility>

void THistory::Record(TState before, TState after) {
    Undos.push_back({std::move(before), std::move(after)});
    while (Undos.size() > Limit)
        Undos.pop_front();
    Redos.clear();
}

std::optional<THistory::TState> THistory::Undo() {
    if (Undos.empty())
        return std::nullopt;
    Redos.push_back(std::move(Undos.back()));
    Undos.pop_back();
    return Redos.back().Before;
}

std::optional<THistory::TState> THistory::Redo() {
    if (Redos.empty())
        return std::nullopt;
    Undos.push_back(std::move(Redos.back()));
    Redos.pop_back();
    return Undos.back().After;
}

void THistory::Clear() {
    Undos.clear();
    Redos.clear();
}
