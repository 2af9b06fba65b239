#include "forms/EditorCheck.h"
#include "model/Configuration.h"
#include <algorithm>

void TEditorCheck::Update() {
    std::vector<std::string> lengths;
    for (int k = 1; k < Lengths.RowCount(); ++k)
        lengths.push_back(Lengths.Value(k));
    FFindings = DecodeConfiguration(Image, &lengths).Findings;
    std::stable_partition(FFindings.begin(), FFindings.end(), [](const TFinding& f) { return f.IsError(); });

    // The panel is narrow: errors, or else notes; the tool tip gives both.
    const size_t errors = Count(TFinding::TSeverity::Error);
    const size_t notes = FFindings.size() - errors;
    StatusBar.SetPanelText(Panel, errors > 0  ? "Ошибок: " + std::to_string(errors)
                                  : notes > 0 ? "Замечаний: " + std::to_string(notes)
                                              : "");
    StatusBar.SetHint(FFindings.empty()
                          ? ""
                          : "Ошибок: " + std::to_string(errors) + ", замечаний: " + std::to_string(notes) +
                                ". Щелчок по числу показывает их список");
}

size_t TEditorCheck::Count(TFinding::TSeverity severity) const {
    return static_cast<size_t>(
        std::count_if(FFindings.begin(), FFindings.end(),
                      [severity](const TFinding& f) { return f.Severity == severity; }));
}

std::string TEditorCheck::List(TFinding::TSeverity severity, const std::string& heading) const {
    const size_t count = Count(severity);
    if (count == 0)
        return "";
    std::string text = heading + " (" + std::to_string(count) + "):";
    size_t listed = 0;
    for (const TFinding& f : FFindings)
        if (f.Severity == severity && listed++ < Listed)
            text += "\n• " + f.RussianText();
    if (count > Listed)
        text += "\n… и ещё " + std::to_string(count - Listed);
    return text;
}

std::string TEditorCheck::OpenText() const {
    const std::string errors = List(TFinding::TSeverity::Error, "Ошибки");
    if (errors.empty())
        return "";
    const bool more = Count(TFinding::TSeverity::Error) > Listed;
    return "В конфигурации есть то, что контроллер выполнить не сможет или до чего не дойдёт.\n\n" + errors +
           (more ? " (весь список — щелчком по числу ошибок в строке состояния)" : "");
}

std::string TEditorCheck::ListText() const {
    const std::string errors = List(TFinding::TSeverity::Error, "Ошибки");
    const std::string notes = List(TFinding::TSeverity::Note, "Замечания");
    return errors + (errors.empty() || notes.empty() ? "" : "\n\n") + notes;
}

std::string TEditorCheck::WriteText() const {
    const std::string errors = List(TFinding::TSeverity::Error, "Ошибки в конфигурации");
    return errors.empty() ? "" : errors + "\n\n";
}

std::string TEditorCheck::SaveText() const {
    std::string lines;
    for (const TFinding& f : FFindings)
        if (f.Place == TFinding::TPlace::Length && f.IsError())
            lines += "\n• сообщение " + std::to_string(f.Message) + ": «" + Lengths.Value(f.Message) + "»";
    if (lines.empty())
        return "";
    return "Длительности сообщений, которые не являются целым числом секунд (время этапов с ними "
           "считается равным 0):" +
           lines + "\n\nСохранить проект с ними?";
}
