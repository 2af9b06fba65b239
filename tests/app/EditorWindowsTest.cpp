// What both editors decide alike for the user's eyes, keys and screen reader: where a dialog
// goes on a small screen, how far the editor scrolls to the focused control, the names a
// screen reader says, and the report's copy for a text editor.
#include "app/MainLayout.h"
#include "app/ReadableCopy.h"
#include "app/StartFolder.h"
#include "project/FileUtil.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <set>

TEST(KeepOnScreen, MovesAWindowUpAndLeftOntoTheFreeAreaButNeverPastItsTopLeft) {
    const TRect work{0, 0, 1366, 728};
    struct Case {
        const char* What;
        TRect Frame, Kept;
    } cases[] = {
        {"inside stays", {100, 100, 500, 400}, {100, 100, 500, 400}},
        {"grown below the bottom moves up", {400, 219, 495, 620}, {400, 108, 495, 620}},
        {"past the right edge moves left", {1000, 10, 495, 300}, {871, 10, 495, 300}},
        {"above the top comes down", {-20, -50, 300, 200}, {0, 0, 300, 200}},
        {"taller than the area keeps its top", {10, 300, 300, 900}, {10, 0, 300, 900}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TForm::KeepOnScreen(c.Frame, work), c.Kept) << c.What;
    EXPECT_EQ(TForm::KeepOnScreen({0, 700, 100, 100}, {0, 40, 800, 560}), (TRect{0, 500, 100, 100}));
}

TEST(ScrollToShow, ScrollsOnlyAsFarAsTheFocusedControlNeeds) {
    struct Case {
        const char* What;
        int Position, Start, Length, Shown;
    } cases[] = {
        {"in view", 100, 150, 20, 100},
        {"below the view", 0, 590, 22, 112},
        {"above the view", 300, 120, 22, 120},
        {"longer than the view", 0, 700, 600, 700},
        {"touching the bottom edge", 0, 478, 22, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMainLayout::ScrollToShow(c.Position, 500, c.Start, c.Length), c.Shown) << c.What;
}

TEST_F(MainFixture, ControlsWithoutAShownCaptionHaveADistinctNameForScreenReaders) {
    std::set<std::string> names;
    for (int s = 0; s < TAlgorithmEditor::Stages; ++s) {
        for (int z = 0; z < TAlgorithmEditor::Zones; ++z)
            names.insert(Editor().ZoneButton(s, z).AccessibleName);
        for (int m = 0; m < TAlgorithmEditor::Modules; ++m)
            for (int k = 0; k < 2; ++k)
                names.insert(Editor().RelayBox(s, m, k).AccessibleName);
    }
    const size_t count =
        TAlgorithmEditor::Stages * (TAlgorithmEditor::Zones + TAlgorithmEditor::RelaysPerStage);
    EXPECT_EQ(names.size(), count);
    EXPECT_EQ(Editor().ZoneButton(1, 2).AccessibleName, "Зона 3, этап 2");
    EXPECT_EQ(Editor().RelayBox(2, 1, 0).AccessibleName, "Модуль 2, K1, этап 3");
    for (const TCheckBox* box : {&Panel().CheckBox316, &Panel().CheckBox325})
        EXPECT_FALSE(box->AccessibleName.empty()) << box->Name;
    // Each window opens with the focus somewhere; the connection dialog's on Ok.
    EXPECT_EQ(Main->SetComPort.ActiveControl, &Main->SetComPort.Button1);
    EXPECT_NE(Main->ActiveControl, nullptr);
}

// The report is asked about before a viewer covers the question; a file that cannot be
// written is named in full, wherever the working folder is.
TEST_F(MainFixture, ReportAsksAboutTheBrowserFirstAndNamesAnUnwritableFileInFull) {
    TempDir dir;
    Main->ReportFileName = dir.File("VarokConfig.txt");
    Main->TBReport.Click();
    ASSERT_EQ(Ui.BrowserOffers.size(), 1u);
    EXPECT_EQ(Ui.EditorsStartedAtOffer, 0u);
    EXPECT_EQ(Ui.EditorFiles.size(), 1u);

    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    Main->ReportFileName = "read-only/VarokConfig.txt";
    Main->TBReport.Click();
    const std::string expected = (std::filesystem::current_path() / "read-only").string();
    std::filesystem::current_path(working);
    ASSERT_FALSE(Ui.Boxes.empty());
    EXPECT_NE(Ui.Boxes.back().Text.find(expected), std::string::npos) << Ui.Boxes.back().Text;
}

TEST(ReadableCopy, IsTheReportInUtf8WithTheMarkNotepadNeedsAndLeavesTheReportAsItWas) {
    TempDir dir;
    const std::string report = dir.File("Report.txt"), cp1251 = "\xD1\xE8\xF1\xF2\xE5\xEC\xE0\r\n";
    TempDir::Write(report, cp1251);
    for (const bool mark : {true, false}) {
        std::string copy;
        ASSERT_TRUE(TReadableCopy::Write(report, dir.File(""), mark, copy));
        EXPECT_EQ(TempDir::Read(copy), std::string(mark ? "\xEF\xBB\xBF" : "") + "Система\r\n");
        EXPECT_NE(copy.find("Report-utf8-"), std::string::npos) << copy;
        EXPECT_EQ(copy.substr(copy.size() - 4), ".txt");
    }
    EXPECT_EQ(TempDir::Read(report), cp1251);
    std::string copy;
    EXPECT_FALSE(TReadableCopy::Write(dir.File("missing.txt"), dir.File(""), true, copy));
}

TEST(StartFolder, AProjectNamedAtStartIsOpenedFromItsOwnFolderWhereTheReportThenLands) {
    TempDir dir;
    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    std::filesystem::create_directory("Projects");
    const std::string project = TStartFolder::Enter("Projects/School 5.usr");
    const auto entered = std::filesystem::current_path();
    EXPECT_EQ(TStartFolder::Enter("-debug"), "-debug");
    const auto afterSwitch = std::filesystem::current_path();
    std::filesystem::current_path(working);
    EXPECT_TRUE(FilePath(project).is_absolute()) << project;
    EXPECT_EQ(FilePath(project).filename(), "School 5.usr");
    EXPECT_TRUE(std::filesystem::equivalent(entered, dir.File("Projects")));
    // Without a project: the documents folder where the system names one, else where it was.
    if (TStartFolder::Documents().empty())
        EXPECT_EQ(afterSwitch, entered);
    else
        EXPECT_TRUE(std::filesystem::equivalent(afterSwitch, FilePath(TStartFolder::Documents())));
}
