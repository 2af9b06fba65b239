#include "report/ProjectReport.h"
#include "model/Configuration.h"
#include <algorithm>

TReportFacts ProjectReportFacts(const std::string& image, const std::vector<std::string>& lengths) {
    ConfigImage shown;
    std::copy_n(image.begin(), std::min(image.size(), Layout::ImageSize), shown.Data());
    // The image as the editor holds it once it has opened the project.
    MarkIdentity(shown);
    TReportFacts facts = TReport::Collect(shown, lengths);
    // As the editor's check finds them after Open: errors first.
    facts.Findings = DecodeConfiguration(shown, &lengths).Findings;
    std::stable_partition(facts.Findings.begin(), facts.Findings.end(),
                          [](const TFinding& f) { return f.IsError(); });
    return facts;
}
