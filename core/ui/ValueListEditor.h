#pragma once
#include "ui/Control.h"

// A key/value table: row 0 is the title row, rows 1..n hold a fixed key and an
// editable value. Every change of a value raises OnStringsChange when it is attached.
class TValueListEditor : public TControl {
public:
    using TControl::TControl;
    std::function<void(TValueListEditor&)> OnStringsChange;
    // Raised after the user has changed a value (not when code sets one).
    std::function<void(TValueListEditor&)> OnValueEdited;
    std::string Caption;

    void SetTitles(std::string key, std::string value) {
        FTitleKey = std::move(key);
        FTitleValue = std::move(value);
        Changed();
    }
    void AddRow(std::string key, std::string value) {
        FRows.push_back({std::move(key), std::move(value)});
        FWarnings.emplace_back();
        Changed();
        if (OnStringsChange)
            OnStringsChange(*this);
    }
    int RowCount() const { return static_cast<int>(FRows.size()) + 1; }
    // Row 0 answers the titles.
    const std::string& Key(int row) const {
        return row == 0 ? FTitleKey : FRows.at(static_cast<size_t>(row - 1)).first;
    }
    const std::string& Value(int row) const {
        return row == 0 ? FTitleValue : FRows.at(static_cast<size_t>(row - 1)).second;
    }
    void SetValue(int row, std::string value) {
        auto& cell = FRows.at(static_cast<size_t>(row - 1)).second;
        if (cell == value)
            return;
        cell = std::move(value);
        Changed();
        if (OnStringsChange)
            OnStringsChange(*this);
    }
    // Why a value is wrong, empty while it is right: a view shows the value in red with this
    // text as its tool tip.
    const std::string& ValueWarning(int row) const { return FWarnings.at(static_cast<size_t>(row - 1)); }
    void SetValueWarning(int row, std::string text) {
        auto& warning = FWarnings.at(static_cast<size_t>(row - 1));
        if (warning == text)
            return;
        warning = std::move(text);
        Changed();
    }
    // The user edits a value cell; keys and the title row cannot be edited.
    void EditValue(int row, const std::string& value) {
        if (!Enabled() || row < 1 || row >= RowCount() || Value(row) == value)
            return;
        SetValue(row, value);
        if (OnValueEdited)
            OnValueEdited(*this);
    }

private:
    std::string FTitleKey, FTitleValue;
    std::vector<std::pair<std::string, std::string>> FRows;
    std::vector<std::string> FWarnings;
};
