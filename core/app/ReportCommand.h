#pragma once
#include "report/Report.h"
#include "ui/Ui.h"
#include <string>

// The editor's Report command once the facts are read: the text report and, beside it, the
// printable HTML one written, then the text report opened and the HTML offered to the browser.
// Every failure is told in a box.
class TReportCommand {
public:
    TReportCommand(TUi& ui, std::string caption) : Ui(ui), Caption(std::move(caption)) {}
    // fileName: the text report's; the HTML report goes beside it. False when a file could not
    // be written (nothing is opened then).
    bool Run(const TReportFacts& facts, const std::string& fileName);
    // The HTML report's name beside the text one: ".html" for the text report's extension.
    static std::string HtmlName(const std::string& textName);
    // What the printed pages call the project: its file's name, or "Новый проект" while it has none.
    static std::string ProjectName(const std::string& fileName);
    // When a report is made, as its pages print it ("05.03.2025 14:07"): the local time, or the
    // time SOURCE_DATE_EPOCH gives in seconds (in UTC), so that a report can be made again byte for
    // byte.
    static std::string MadeAt();

private:
    bool Write(const std::string& name, const std::string& bytes);
    TUi& Ui;
    std::string Caption;
};
