#pragma once
#include "model/ConfigImage.h"
#include "model/ConfigurationCheck.h"
#include "ui/StatusBar.h"
#include "ui/ValueListEditor.h"
#include <string>
#include <vector>

// The configuration check as the editor shows it: run over the image and the length table
// after every change, counted in a panel of the status bar, and worded for the boxes that
// name what is wrong before a configuration is taken for good, written or saved.
class TEditorCheck {
public:
    // The status bar panel that keeps the count; a click on it lists the findings.
    static constexpr size_t Panel = 2;
    // Findings of one severity a box lists before it says how many more there are.
    static constexpr size_t Listed = 10;

    TEditorCheck(const ConfigImage& image, const TValueListEditor& lengths, TStatusBar& statusBar)
        : Image(image), Lengths(lengths), StatusBar(statusBar) {}

    // Checks what the editor holds now and shows the count.
    void Update();
    // Errors first, then notes.
    const std::vector<TFinding>& Findings() const { return FFindings; }

    // The texts of the boxes; each is empty when there is nothing to say.
    // After Open and Read: the errors, how many and the first of them.
    std::string OpenText() const;
    // A click on the count: the errors and the notes.
    std::string ListText() const;
    // Before Write, ahead of its question: the errors.
    std::string WriteText() const;
    // Before Save: the lengths that are no whole number.
    std::string SaveText() const;

private:
    size_t Count(TFinding::TSeverity severity) const;
    // A heading and the first findings of one severity, one a line.
    std::string List(TFinding::TSeverity severity, const std::string& heading) const;

    const ConfigImage& Image;
    const TValueListEditor& Lengths;
    TStatusBar& StatusBar;
    std::vector<TFinding> FFindings;
};
