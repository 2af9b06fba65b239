// What both editors decide alike about windows on a small screen, the focused control, the
// folder they start in and the report's order of questions.
#include "app/MainLayout.h"
#include "app/StartFolder.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"

TEST(WindowPlaces, ADialogMovesOntoTheScreenAndTheViewScrollsOnlyAsFarAsTheFocusNeeds) {
    const TRect work{0, 40, 1366, 728};
    EXPECT_EQ(TForm::KeepOnScreen({400, 219, 495, 620}, work), (TRect{400, 148, 495, 620}));
    EXPECT_EQ(TForm::KeepOnScreen({1000, -9, 495, 300}, work), (TRect{871, 40, 495, 300}));
    EXPECT_EQ(TForm::KeepOnScreen({10, 300, 300, 900}, work), (TRect{10, 40, 300, 900}));
    // position, start, length of the focused control -> position, in a view of 500.
    const int cases[][4] = {{100, 150, 20, 100}, {0, 590, 22, 112}, {300, 120, 22, 120}, {0, 700, 600, 700}};
    for (const auto& c : cases)
        EXPECT_EQ(TMainLayout::ScrollToShow(c[0], 500, c[1], c[2]), c[3]) << c[1];
}

TEST(StartFolder, AProjectNamedAtStartIsOpenedFromItsOwnFolder) {
    TempDir dir;
    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    std::filesystem::create_directory("Projects");
    const std::filesystem::path project = TStartFolder::Enter("Projects/School 5.usr");
    const bool entered = std::filesystem::equivalent(std::filesystem::current_path(), dir.File("Projects"));
    std::filesystem::current_path(working);
    EXPECT_TRUE(entered && std::filesystem::equivalent(project.parent_path(), dir.File("Projects")))
        << project;
    EXPECT_EQ(project.filename(), "School 5.usr");
}

// Asked before a viewer can cover the question; a file that cannot be written named in full.
TEST_F(MainFixture, ReportAsksAboutTheBrowserFirstAndNamesAnUnwritableFileInFull) {
    TempDir dir;
    Main->ReportFileName = dir.File("VarokConfig.txt");
    Main->TBReport.Click();
    EXPECT_EQ(Ui.EditorsStartedAtOffer, 0u);
    EXPECT_EQ(Ui.EditorFiles.size(), 1u);
    const auto working = std::filesystem::current_path();
    std::filesystem::current_path(dir.File(""));
    Main->ReportFileName = "read-only/VarokConfig.txt";
    Main->TBReport.Click();
    const std::string expected = (std::filesystem::current_path() / "read-only").string();
    std::filesystem::current_path(working);
    EXPECT_NE(Ui.Boxes.back().Text.find(expected), std::string::npos) << Ui.Boxes.back().Text;
}
