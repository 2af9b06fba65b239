#include "report/ProjectReport.h"
#include "model/Configuration.h"
#include <algorithm>

TReportFacts ProjectReportFacts(const std::string& image, const std::vector<std::string>& lengths) {
    ConfigImage shown;
    int currentInput = 0;
    bool refilling = false;
    TAlgorithmEditor editor(shown, currentInput, refilling);
    TCompositionRules composition(shown, refilling, editor);
    editor.ApplyRules = [&composition](const std::string& selector) { composition.ApplyRules(selector); };
    // As the window starts: the empty image shown, the rules applied, the length table attached.
    composition.ShowComposition();
    editor.ShowInput();
    composition.ApplyRules("ALL");
    editor.AttachLengthTable();
    // As Open fills it.
    for (size_t k = 1; k <= lengths.size() && k <= TAlgorithmEditor::Messages; ++k)
        editor.LenMes.SetValue(static_cast<int>(k), lengths[k - 1]);
    std::copy_n(image.begin(), std::min(image.size(), Layout::ImageSize), shown.Data());
    refilling = true;
    composition.ShowComposition();
    editor.SpeedButton1Click(*editor.InputButtons[0]);
    refilling = false;
    TReportFacts facts = TReport(editor, composition).Collect();
    // As the editor's check finds them after Open: errors first.
    facts.Findings = DecodeConfiguration(shown, &lengths).Findings;
    std::stable_partition(facts.Findings.begin(), facts.Findings.end(),
                          [](const TFinding& f) { return f.IsError(); });
    return facts;
}
