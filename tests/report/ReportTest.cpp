#include "report/Report.h"
#include "base/Cp1251.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"

namespace {
std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    return text;
}
} // namespace

class Report : public MainFixture {
protected:
    void SetUp() override {
        MainFixture::SetUp();
        Main->ReportFileName = Dir.File("VarokConfig.txt");
    }
    std::vector<std::string> Lines() {
        return TReport::Lines(TReport::Collect(Main->Image, Editor().LengthTexts()));
    }
    // Input 3 of the example: one splitter, one module, two stages.
    void ProgramExample() {
        Panel().ComboBox57.Select(1);
        Panel().ComboBox56.Select(1);
        Editor().LenMes.EditValue(5, "10");
        Editor().LenMes.EditValue(12, "20");
        ShowInput(2);
        Stage(0).Click();
        Message(0).Select(4);
        Repeats(0).Select(3);
        Pause(0).Select(1);
        Editor().ZoneButton(0, 0).Click();
        Editor().ZoneButton(0, 1).Click();
        Editor().RelayBox(0, 0, 0).Click();
        Stage(1).Click();
        Message(1).Select(11);
        Repeats(1).Select(1);
        Editor().ZoneButton(1, 2).Click();
    }
    TempDir Dir;
};

TEST_F(Report, ReproducesTheExampleBlockOfInputThree) {
    ProgramExample();
    const std::string expected =
        "\n"
        " Вход активации N3          | Этап1 | Этап2 | Этап3 | Этап4 | Этап5 | Этап6 | Этап7 | Этап8 |\n"
        "----------------------------|-------|-------|-------|-------|-------|-------|-------|-------|\n"
        "Номер сообщения             |   5   |  12   |       |       |       |       |       |       |\n"
        "Количество повторов         |   3   |   1   |       |       |       |       |       |       |\n"
        "Пауза между повторами (сек) |   5   |   0   |       |       |       |       |       |       |\n"
        "Время этапа (сек)           |  40   |  20   |       |       |       |       |       |       |\n"
        "----------------------------|---------------------------------------------------------------|\n"
        "Общее время эвакуации (сек) | 60\n"
        "----------------------------|---------------------------------------------------------------|\n"
        "Зоны трансляции сообщений:  |       |       |       |       |       |       |       |       |\n"
        "                     Зона 1 |   +   |   -   |       |       |       |       |       |       |\n"
        "                     Зона 2 |   +   |   -   |       |       |       |       |       |       |\n"
        "                     Зона 3 |   -   |   +   |       |       |       |       |       |       |\n"
        "                     Зона 4 |   -   |   -   |       |       |       |       |       |       |\n"
        "----------------------------|-------|-------|-------|-------|-------|-------|-------|-------|\n"
        "Исполнительные реле QV-CU4: | K1 K2 | K1 K2 | K1 K2 | K1 K2 | K1 K2 | K1 K2 | K1 K2 | K1 K2 |\n"
        "                   Модуль 1 |  +  - |  -  - |       |       |       |       |       |       |\n"
        "---------------------------------------------------------------------------------------------\n"
        "\n";
    Main->TBReport.Click();
    const std::string file = TempDir::Read(Main->ReportFileName);
    // The whole report: header, composition, lengths, then the one programmed input.
    const std::string text = Cp1251ToUtf8(file);
    std::string lf = text;
    for (size_t p; (p = lf.find("\r\n")) != std::string::npos;)
        lf.replace(p, 2, "\n");
    const std::string head = "\t\t\tСистема оповещения VERDA\n\nСостав и конфигурация системы\n"
                             "-----------------------------\n\n\n"
                             "\tУсилитель мощности QV-470AM           0\n"
                             "\tРазветвитель QV-SP                    1\n"
                             "\tМодуль контроля и управления QV-CU4   1\n"
                             "\tПожарный пульт микрофонный QV-5FD     0\n"
                             "\tПульт диктора микрофонный QV-5D       0\n"
                             "\tСигнал привлечения внимания (ГОНГ)    -\n"
                             "\tПриоритет входа AUX над авт. режимом  -\n"
                             "\tЗоны для трансляции фоновой музыки:   \n"
                             "\t                                      Зона 1  -\n"
                             "\t                                      Зона 2  -\n"
                             "\t                                      Зона 3  -\n"
                             "\t                                      Зона 4  -\n"
                             "\n"
                             "\tСерийный номер:                       \n"
                             "\tДата:                                 //\n"
                             "\tВерсия:                               \n"
                             "\tДлительность воспроизведения сообщений:\n"
                             "\t                                      Номер    Время (сек)\n"
                             "\t                                      -----    -----------\n"
                             "\t                                        5          10\n"
                             "\t                                        12          20\n"
                             "\n\n"
                             "Программирование алгоритмов оповещения\n"
                             "----------------------------\n\n";
    // Rendering ends every line with CR LF; the closing rule carries one more inside it.
    EXPECT_EQ(lf.find("\r"), std::string::npos);
    EXPECT_EQ(lf, head + expected);
    EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");
    EXPECT_EQ(file.find('\n'), file.find("\r\n") + 1);
    EXPECT_NE(file.find("\xC2\xF5\xEE\xE4"), std::string::npos); // "Вход" in the controller's code page

    EXPECT_FALSE(Main->TBReport.Down());
    EXPECT_EQ(Main->CurrentInput, 0);
    EXPECT_TRUE(Editor().InputButtons[0]->Down());
    ASSERT_EQ(Ui.EditorFiles.size(), 1u);
    EXPECT_EQ(Ui.EditorFiles[0], Main->ReportFileName);
}

TEST_F(Report, LeavesOutInputsWithoutStageOneAndEndsAtTheHeadingWhenNoneIsOn) {
    std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "Программирование алгоритмов оповещения");
    EXPECT_EQ(lines.back(), "");

    // Stage 1 off but stage 2 on: still left out.
    const size_t stage2 = Layout::StageOffset(4, 1);
    Main->Image[stage2] = 0x80;
    lines = Lines();
    EXPECT_EQ(Join(lines).find("Вход активации"), std::string::npos);
}

TEST_F(Report, TablesFollowTheSplitterAndModuleCounts) {
    ProgramStages(1, 1);
    std::string text = Join(Lines());
    EXPECT_EQ(text.find("Зоны трансляции"), std::string::npos);
    EXPECT_EQ(text.find("Исполнительные реле"), std::string::npos);
    // The grid rule after the total still stands.
    EXPECT_NE(text.find("---|\n----------------------------|-------|"), std::string::npos);

    Panel().ComboBox57.Select(2);
    Panel().ComboBox56.Select(3);
    ShowInput(0);
    text = Join(Lines());
    EXPECT_NE(text.find("                     Зона 8 |   -   |"), std::string::npos);
    EXPECT_NE(text.find("                   Модуль 3 |  -  - |"), std::string::npos);
    EXPECT_EQ(text.find("Модуль 4"), std::string::npos);
    EXPECT_NE(text.find("\t                                      Зона 8  -\n"), std::string::npos);

    Panel().ComboBox57.Select(1);
    text = Join(Lines());
    EXPECT_NE(text.find("Зона 4 |"), std::string::npos);
    EXPECT_EQ(text.find("Зона 5 |"), std::string::npos);
    // Disabled music zones are not listed at all.
    EXPECT_EQ(text.find("Зона 5  "), std::string::npos);
}

// A length with a sign is no length, like a typo: no negative figure reaches the paper.
TEST_F(Report, ListsOnlyLengthsThatAreNonZeroWholeNumbers) {
    Editor().LenMes.EditValue(1, "0");
    Editor().LenMes.EditValue(2, "abc");
    Editor().LenMes.EditValue(3, "7");
    Editor().LenMes.EditValue(4, "-5");
    Editor().LenMes.SetValue(5, "");
    const std::string text = Join(Lines());
    EXPECT_NE(text.find("\t                                        3          7\n"), std::string::npos);
    EXPECT_EQ(text.find("          -5\n"), std::string::npos);
    EXPECT_EQ(text.find("          abc"), std::string::npos);
    EXPECT_EQ(text.find("                                        1          "), std::string::npos);
}

// The report prints what the opened image holds, whatever the previous screen left: a
// valid console count the old choices did not offer, a gong set without an announcer
// console, and counts that no box offers.
TEST_F(Report, PrintsTheCountsAndTheGongTheImageHolds) {
    struct Case {
        const char* What;
        uint8_t Counts, Options;
        std::vector<std::string> Lines;
    };
    const Case cases[] = {
        {"two announcer consoles",
         0x08,
         0x00,
         {"\tПожарный пульт микрофонный QV-5FD     0", "\tПульт диктора микрофонный QV-5D       2"}},
        {"a gong without announcer console", 0x00, 0x80, {"\tСигнал привлечения внимания (ГОНГ)    +"}},
        {"counts beyond the choices",
         0xC3,
         0x0C,
         {"\tУсилитель мощности QV-470AM           3", "\tМодуль контроля и управления QV-CU4   12",
          "\tПожарный пульт микрофонный QV-5FD     3"}},
    };
    for (const Case& c : cases) {
        Start();
        Panel().ComboBox55.Select(2); // the screen offers the announcer console only "0"
        std::string bytes(ConfigImage::Size(), '\0');
        bytes[0] = static_cast<char>(c.Counts);
        bytes[2] = static_cast<char>(c.Options);
        TempDir::Write(Dir.File("odd.usr"), bytes);
        Ui.FileAnswers = {Dir.File("odd.usr")};
        Main->Saved = true;
        Main->TBOpenClick();
        const std::string text = Join(Lines());
        for (const std::string& line : c.Lines)
            EXPECT_NE(text.find(line + "\n"), std::string::npos) << c.What << ": " << line;
        EXPECT_EQ(Main->Image[0], c.Counts) << c.What;
        EXPECT_EQ(Main->Image[2], c.Options) << c.What;
    }
}

TEST(ReportCell, CentresTextsInASevenCharacterColumn) {
    EXPECT_EQ(TReport::Cell(""), "       |");
    EXPECT_EQ(TReport::Cell("5"), "   5   |");
    EXPECT_EQ(TReport::Cell("12"), "  12   |");
    EXPECT_EQ(TReport::Cell("123"), "  123  |");
    EXPECT_EQ(TReport::Cell("1234"), " 1234  |");
    EXPECT_EQ(TReport::Cell("12345"), " 12345 |");
    EXPECT_EQ(TReport::Cell("123456"), "123456 |");
    EXPECT_EQ(TReport::Cell("Без огр"), "Без огр|");
    EXPECT_EQ(TReport::Cell("12345678"), "12345678|");
    EXPECT_EQ(TReport::Cell("1234567890"), "1234567890|");
}

// The report was written even when nothing can show it: the boxes say where it lies.
TEST_F(Report, RunningTwiceReplacesBothFilesAndAMissingViewerSaysWhereTheReportIs) {
    const std::string html = Dir.File("VarokConfig.html");
    Main->ReportMadeAt = [] { return "01.02.2026 10:00"; };
    Main->TBReport.Click();
    const std::string first = TempDir::Read(Main->ReportFileName);
    const std::string firstHtml = TempDir::Read(html);
    ASSERT_EQ(Ui.BrowserOffers.size(), 1u);
    EXPECT_EQ(Ui.BrowserOffers[0].second, html);
    EXPECT_NE(Ui.BrowserOffers[0].first.find(html), std::string::npos);
    Ui.EditorStarts = false;
    Ui.BrowserAnswer = TBrowserAnswer::NotStarted;
    Main->TBReport.Click();
    EXPECT_EQ(TempDir::Read(Main->ReportFileName), first);
    EXPECT_EQ(TempDir::Read(html), firstHtml);
    EXPECT_EQ(Ui.CountText("Не найден файл!"), 0);
    const auto texts = Ui.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find(Main->ReportFileName), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("запустить не удалось"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find(html), std::string::npos) << texts[1];
    EXPECT_NE(texts[1].find("Браузер запустить не удалось"), std::string::npos) << texts[1];
}

TEST_F(Report, AFileThatCannotBeCreatedIsReportedAndTheToggleComesUp) {
    Main->ReportFileName = Dir.File("no-such-folder/VarokConfig.txt");
    ShowInput(4);
    Main->TBReport.Click();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Error);
    // The file named once, then the system's reason (its wording is the system's own).
    const std::string named = "Cannot create file " + Main->ReportFileName + "\n";
    const std::string& text = Ui.Boxes[0].Text;
    ASSERT_EQ(text.substr(0, named.size()), named);
    EXPECT_GT(text.size(), named.size());
    EXPECT_EQ(text.find(Main->ReportFileName, named.size()), std::string::npos);
    EXPECT_FALSE(Main->TBReport.Down());
    EXPECT_TRUE(Ui.EditorFiles.empty());
    EXPECT_TRUE(Ui.BrowserOffers.empty());
}
