#include "app/ReportCommand.h"
#include "link/ProgramDir.h"
#include "model/WholeNumber.h"
#include "project/FileUtil.h"
#include "report/HtmlReport.h"
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace {
// Where a file the user is told about lies: a bare name lands in the working directory.
std::string AbsoluteName(const std::string& path) {
    if (FilePath(path).is_absolute())
        return path;
    std::error_code ignored;
    const auto absolute = std::filesystem::absolute(FilePath(path), ignored);
    if (absolute.empty())
        return path;
    return PathText(absolute);
}
} // namespace

std::string TReportCommand::HtmlName(const std::string& textName) {
    const size_t folder = textName.find_last_of("/\\");
    const size_t dot = textName.rfind('.');
    const bool extension = dot != std::string::npos && (folder == std::string::npos || dot > folder + 1);
    return (extension ? textName.substr(0, dot) : textName) + ".html";
}

std::string TReportCommand::ProjectName(const std::string& fileName) {
    if (fileName.empty())
        return "Новый проект";
    const size_t folder = fileName.find_last_of("/\\");
    return folder == std::string::npos ? fileName : fileName.substr(folder + 1);
}

std::string TReportCommand::MadeAt() {
    // The last second of the year 9999: a four-digit year.
    constexpr int64_t LatestFixed = 253402300799;
    std::tm time{};
    int64_t fixed = 0;
    const char* epoch = std::getenv("SOURCE_DATE_EPOCH");
    if (epoch && ParseWholeNumber(epoch, fixed, true) && fixed >= 0 && fixed <= LatestFixed) {
        using namespace std::chrono;
        const sys_seconds at{seconds(fixed)};
        const sys_days day = floor<days>(at);
        const year_month_day date(day);
        const hh_mm_ss clock(at - day);
        time.tm_year = static_cast<int>(date.year()) - 1900;
        time.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
        time.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
        time.tm_hour = static_cast<int>(clock.hours().count());
        time.tm_min = static_cast<int>(clock.minutes().count());
    } else {
        LocalTime(std::time(nullptr), time);
    }
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M", &time);
    return text;
}

bool TReportCommand::Write(const std::string& name, const std::string& bytes) {
    const TFileResult written = WriteFileAtomically(name, bytes);
    if (!written)
        Ui.MessageBox(TBoxKind::Error, Caption, written.Explained("Cannot create file " + AbsoluteName(name)),
                      TBoxButtons::Ok);
    return static_cast<bool>(written);
}

bool TReportCommand::Run(const TReportFacts& facts, const std::string& fileName) {
    const std::string htmlName = HtmlName(fileName);
    if (!Write(fileName, TReport::Render(TReport::Lines(facts))) ||
        !Write(htmlName, THtmlReport::Render(facts)))
        return false;
    // The report was written: a missing viewer is no missing file. The browser question comes
    // before any viewer starts, so that no viewer's window covers it.
    const std::string printable = "Отчет для печати записан в файл " + AbsoluteName(htmlName);
    const TBrowserAnswer browser =
        Ui.OfferInBrowser(Caption, printable + ".\nОткрыть его в браузере?", htmlName);
    if (!Ui.OpenInTextEditor(fileName))
        Ui.MessageBox(TBoxKind::Warning, Caption,
                      "Отчет записан в файл " + AbsoluteName(fileName) +
                          ".\nПрограмму для его просмотра запустить не удалось.",
                      TBoxButtons::Ok);
    if (browser == TBrowserAnswer::NotStarted)
        Ui.MessageBox(TBoxKind::Warning, Caption, printable + ".\nБраузер запустить не удалось.",
                      TBoxButtons::Ok);
    return true;
}
