#pragma once
#include "model/AlgorithmEditor.h"
#include "model/CompositionRules.h"
#include <string>
#include <vector>

// The text report of the configuration, read from what the editor's controls show.
// Building it shows every activation input in turn.
class TReport {
public:
    static inline const std::string FileName = "VarokConfig.txt";

    TReport(TAlgorithmEditor& editor, TCompositionRules& composition)
        : Editor(editor), Composition(composition) {}

    // The report's lines, UTF-8, without line ends.
    std::vector<std::string> Build();
    // The file's bytes: every line in Windows-1251 followed by CR LF.
    static std::string Render(const std::vector<std::string>& lines);

    // A stage cell: the text centred in a 7-character column, then "|".
    static std::string Cell(const std::string& text);

private:
    void CompositionLines(std::vector<std::string>& lines);
    void Lengths(std::vector<std::string>& lines);
    void Input(std::vector<std::string>& lines, int input);

    TAlgorithmEditor& Editor;
    TCompositionRules& Composition;
};
