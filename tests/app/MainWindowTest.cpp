#include "app/EditorArguments.h"
#include "base/Cp1251.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <random>

using MainWindow = MainFixture;

TEST_F(MainWindow, StartsUnchangedWithTheToolbarAndStatusOfAFreshProgram) {
    EXPECT_EQ(Main->Caption(), "Конфигурация");
    EXPECT_TRUE(Main->Saved);
    EXPECT_EQ(Main->Connection.LinkMode(), 0);
    EXPECT_EQ(Main->Connection.PortNumber(), 1);
    EXPECT_EQ(Main->CurrentInput, 0);
    EXPECT_TRUE(Main->ProjectTitle.empty());
    EXPECT_EQ(Main->StatusBar1.PanelText(0), "Нет подключения");
    ASSERT_EQ(Main->StatusBar1.Panels().size(), 4u);
    EXPECT_EQ(Main->StatusBar1.Panels()[2].Alignment, TAlignment::Left);
    EXPECT_FALSE(Main->PanelScan.Visible());
    EXPECT_FALSE(Main->Connection.SearchTimer.Running());

    std::vector<std::string> captions;
    for (TButton* b : Main->ToolBar1)
        captions.push_back(b->IsSeparator ? "|" : b->Caption());
    EXPECT_EQ(captions, (std::vector<std::string>{"Создать", "Открыть", "Сохранить", "|", "Отменить",
                                                  "Повторить", "|", "Отчет", "|", "Подключить", "Чтение",
                                                  "Запись", "Отладка", "|", "Справка", "Выход"}));
    // Every command says what it does, and its keys.
    for (TButton* b : Main->ToolBar1)
        EXPECT_EQ(b->IsSeparator, b->Hint().empty()) << b->Name;
    EXPECT_EQ(Main->TBNew.Hint(), "Создать новый проект (Ctrl+N)");
    EXPECT_EQ(Main->TBRedo.ShortCuts, (std::vector<std::string>{"Ctrl+Y", "Ctrl+Shift+Z"}));
    EXPECT_TRUE(Main->TBNew.Enabled());
    EXPECT_FALSE(Main->TBSave.Enabled());
    EXPECT_FALSE(Main->TBRead.Enabled());
    EXPECT_FALSE(Main->TBWrite.Enabled());
    EXPECT_FALSE(Main->TBDebug.Visible());
    EXPECT_EQ(Main->TBReport.Kind, TButtonKind::Toggle);
    EXPECT_EQ(Main->TBFind.Kind, TButtonKind::Toggle);
    EXPECT_FALSE(Main->TBReport.Down());

    // Decoding the empty image writes the identity markers and nothing else.
    EXPECT_EQ(Byte(480), 0x53);
    EXPECT_EQ(Byte(481), 0x4E);
    EXPECT_EQ(Byte(496), 0x56);
    for (size_t i = 0; i < ConfigImage::Size(); ++i)
        if (i != 480 && i != 481 && i != 496) {
            ASSERT_EQ(Byte(i), 0) << i;
        }
    EXPECT_TRUE(Ui.Boxes.empty());
}

// The arguments as the system splits them: -debug counts only as the whole command line, --version
// and --help only alone; other options are passed over and the rest names the project.
TEST_F(MainWindow, DebugSwitchCountsOnlyAsTheWholeCommandText) {
    using TAnswer = TEditorArguments::TAnswer;
    const struct {
        std::vector<std::string> Arguments;
        TAnswer Answer;
        std::string CommandText;
    } cases[] = {{{"-debug"}, TAnswer::None, "-debug"},
                 {{"--version"}, TAnswer::Version, ""},
                 {{"--help"}, TAnswer::Help, ""},
                 {{"-h"}, TAnswer::Help, ""},
                 {{}, TAnswer::None, ""},
                 {{"C:\\Проекты\\Проект Школа.usr"}, TAnswer::None, "C:\\Проекты\\Проект Школа.usr"},
                 {{"Проект", "Школа.usr"}, TAnswer::None, "Проект Школа.usr"},
                 {{"--version", "a.usr"}, TAnswer::None, "a.usr"},
                 {{"-style", "fusion.usr", "-debug"}, TAnswer::None, "fusion.usr"},
                 {{"-DEBUG"}, TAnswer::None, ""},
                 {{"--debug"}, TAnswer::None, ""},
                 {{"-debug", ""}, TAnswer::None, ""}};
    for (const auto& c : cases) {
        const TEditorArguments read = TEditorArguments::Read(c.Arguments);
        EXPECT_EQ(read.Answer, c.Answer) << c.Arguments.size();
        EXPECT_EQ(read.CommandText, c.CommandText);
    }

    for (const char* line : {"-DEBUG", "--debug", "-debug x", "", " -debug", "-debug "}) {
        Start(line);
        EXPECT_FALSE(Main->TBDebug.Visible()) << line;
        EXPECT_TRUE(Panel().Edit1.ReadOnly()) << line;
        Panel().Edit5.Type("1");
        EXPECT_EQ(Byte(497), 0) << line;
    }
    Start("-debug");
    EXPECT_TRUE(Main->TBDebug.Visible());
    for (TEdit* e : {&Panel().Edit1, &Panel().Edit2, &Panel().Edit3, &Panel().Edit4, &Panel().Edit5})
        EXPECT_FALSE(e->ReadOnly());
    Panel().Edit5.Type("1");
    EXPECT_EQ(Byte(497), 0x31);
    EXPECT_EQ(Byte(498), 0x00);
    Panel().Edit1.Type("12345");
    EXPECT_EQ(Panel().Edit1.Text(), "1234");
    Panel().Edit1.Type("12");
    EXPECT_EQ((std::vector<uint8_t>{Byte(483), Byte(484), Byte(485), Byte(486)}),
              (std::vector<uint8_t>{0x31, 0x32, 0, 0}));
    EXPECT_FALSE(Main->Saved);
}

TEST_F(MainWindow, ImageChangesMarkTheProjectModifiedAndEnableSave) {
    Panel().ComboBox58.Select(1);
    EXPECT_FALSE(Main->Saved);
    EXPECT_TRUE(Main->TBSave.Enabled());
    EXPECT_EQ(Byte(0), 0x40);
}

TEST_F(MainWindow, ClosingAfterStartUpAsksNothing) {
    EXPECT_TRUE(Main->FormClose());
    EXPECT_TRUE(Ui.Boxes.empty());
    EXPECT_TRUE(Main->Closed);
}

TEST_F(MainWindow, ClosingAfterAnEditAsksOnceAndHonoursTheAnswer) {
    Panel().ComboBox58.Select(2);
    Main->Connection.StartRead(Main->Image); // on a closed port: it only waits
    Ui.BoxAnswers = {TModalResult::Cancel};
    EXPECT_FALSE(Main->FormClose());
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Text, "Хотите сохранить текущий проект конфигурации ?");
    EXPECT_EQ(Ui.Boxes[0].Buttons, TBoxButtons::YesNoCancel);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Information);
    EXPECT_EQ(Main->Connection.LinkMode(), 0);
    EXPECT_FALSE(Main->Closed);

    Ui.BoxAnswers = {TModalResult::No};
    EXPECT_TRUE(Main->FormClose());
    EXPECT_EQ(Ui.Boxes.size(), 2u);
    EXPECT_TRUE(Main->Closed);
}

TEST_F(MainWindow, ExitButtonRunsTheCloseHandling) {
    Panel().CheckBox325.Click();
    Ui.BoxAnswers = {TModalResult::Cancel};
    Main->ToolButton1.Click();
    EXPECT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_FALSE(Main->Closed);
}

// Looking is no editing: switching inputs, a report, or picking the choice already shown
// leave an unchanged project unchanged. An edit of the saved lengths is a change.
TEST_F(MainWindow, OnlyAChangeOfTheImageOrTheLengthsMarksTheProjectModified) {
    TempDir dir;
    Main->ReportFileName = dir.File("VarokConfig.txt");
    ProgramStages(2, 3);
    Main->Saved = true;
    ShowInput(4);
    ShowInput(0);
    Main->TBReportClick();
    Repeats(1).Select(3);
    Pause(0).Select(0);
    Panel().ComboBox57.Select(0);
    EXPECT_TRUE(Main->Saved);
    EXPECT_TRUE(Main->FormClose());
    EXPECT_TRUE(Ui.Boxes.empty());

    Start();
    Editor().LenMes.EditValue(5, "12");
    EXPECT_FALSE(Main->Saved);
    EXPECT_TRUE(Main->TBSave.Enabled());
}

// The caption says which file the window holds and whether it has unsaved changes; going
// back to what was saved takes the mark away again.
TEST_F(MainWindow, CaptionFollowsTheFileAndMarksUnsavedChanges) {
    TempDir dir;
    Panel().ComboBox58.Select(1);
    EXPECT_EQ(Main->Caption(), "Конфигурация *");
    Ui.FileAnswers = {dir.File("a.usr")};
    Main->TBSave.Click();
    EXPECT_EQ(Main->Caption(), "Конфигурация - " + dir.File("a"));
    Panel().ComboBox58.Select(2);
    Main->TBUndo.Click();
    EXPECT_TRUE(Main->Saved);
    EXPECT_EQ(Main->Caption(), "Конфигурация - " + dir.File("a"));
    Main->TBAbout.Click();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Caption, "О программе");
    EXPECT_NE(Ui.Boxes[0].Text.find("Версия " + TMain::Version()), std::string::npos);
}

// After a read the lengths are 0: the screen says so beside the total, which gives the note its
// row's right half, and the lengths of a project complete the configuration without touching its
// image; that too is a step to undo.
TEST_F(MainWindow, ZeroLengthsAreNotedAndCanBeTakenFromAProject) {
    TempDir dir;
    const TRect whole = Editor().TotalTime->Bounds();
    Stage(0).Click();
    Message(0).Select(4);
    EXPECT_TRUE(Editor().LengthsNote.Visible());
    EXPECT_EQ(Editor().LengthsNote.Caption(), "длительности сообщений не заданы");
    EXPECT_LT(Editor().TotalTime->Bounds().Right(), Editor().LengthsNote.Bounds().Left);
    EXPECT_EQ(Editor().LengthsNote.Bounds().Right(), whole.Right());

    Ui.FileAnswers = {dir.File("none.usr")};
    Main->LengthsItem.Click();
    EXPECT_EQ(Ui.Boxes.at(0).Kind, TBoxKind::Error);
    EXPECT_EQ(Editor().LenMes.Value(5), "0");

    TempDir::Write(dir.File("hall.ini"), "[MessageLength]\r\n5=12\r\n");
    const ConfigImage image = Main->Image;
    Main->Saved = true;
    Ui.FileAnswers = {dir.File("hall.usr")};
    Main->LengthsItem.Click();
    EXPECT_EQ(Editor().LenMes.Value(5), "12");
    EXPECT_EQ(Main->Image, image);
    EXPECT_FALSE(Main->Saved);
    EXPECT_FALSE(Editor().LengthsNote.Visible());
    EXPECT_EQ(Editor().TotalTime->Bounds(), whole);
    Main->TBUndo.Click();
    EXPECT_EQ(Editor().LenMes.Value(5), "0");
    EXPECT_TRUE(Editor().LengthsNote.Visible());
}

// The last five projects and the connection settings come back in the next run; a project
// named on the command line is opened at start.
TEST_F(MainWindow, RecentProjectsAndConnectionSettingsLastBetweenRuns) {
    TempDir dir;
    Ui.Settings = dir.File("config/varokconfig/varokconfig.ini");
    Start();
    for (int n = 1; n <= 6; ++n) {
        TempDir::Write(dir.File(std::to_string(n) + ".usr"), std::string(ConfigImage::Size(), '\0'));
        Ui.FileAnswers = {dir.File(std::to_string(n) + ".usr")};
        Main->TBOpen.Click();
    }
    // Port 7 chosen with OK is kept; a choice cancelled after it is not.
    Main->Connection.PortTest = [](int) { return false; };
    for (const auto& [port, ok] : {std::pair{7, true}, std::pair{9, false}}) {
        Ui.FormScripts.push_back([port, ok](TForm& form) {
            auto& dialog = static_cast<TSetComPort&>(form);
            if (dialog.CheckBox1.Checked())
                dialog.CheckBox1.Click();
            dialog.SelectPort(port);
            (ok ? dialog.Button1 : dialog.ButtonOk).Click();
            return dialog.ModalResult;
        });
        Main->TBFind.Click();
    }
    EXPECT_EQ(Ui.Texts(), std::vector<std::string>{"Ошибка открытия COM 7 !"});
    Ui.Boxes.clear();

    Start(dir.File("3.usr"));
    EXPECT_EQ(Main->ProjectTitle, dir.File("3"));
    std::vector<std::string> shown;
    for (const TButton& item : Main->RecentItems)
        if (item.Visible())
            shown.push_back(item.Caption());
    EXPECT_EQ(shown, (std::vector<std::string>{"1 " + dir.File("3.usr"), "2 " + dir.File("6.usr"),
                                               "3 " + dir.File("5.usr"), "4 " + dir.File("4.usr"),
                                               "5 " + dir.File("2.usr")}));
    EXPECT_FALSE(Main->SetComPort.CheckBox1.Checked());
    EXPECT_EQ(Main->SetComPort.ChosenPort(), 7);

    Main->RecentItems[3].Click();
    EXPECT_EQ(Main->ProjectTitle, dir.File("4"));
    EXPECT_TRUE(Ui.Boxes.empty());
}

// A disabled control names what it waits for.
TEST_F(MainWindow, DisabledCompositionControlsNameTheirRule) {
    EXPECT_EQ(Panel().CheckBox316.Hint(), "нужен пульт диктора");
    EXPECT_EQ(Panel().CBMuz[0]->Hint(), "нужен разветвитель");
    EXPECT_EQ(Editor().RelayBox(0, 1, 0).Hint(), "нужен модуль QV-CU4 № 2");
    Panel().ComboBox54.Select(1);
    Panel().ComboBox57.Select(1);
    EXPECT_EQ(Panel().CheckBox316.Hint(), "");
    EXPECT_EQ(Panel().CBMuz[0]->Hint(), "");
    EXPECT_EQ(Panel().CBMuz[4]->Hint(), "нужен второй разветвитель");

    // An available relay box shows no caption: its tip names the relay. The total's tip says that a
    // click opens the timeline, after edits as before them.
    Panel().ComboBox56.Select(1);
    Stage(0).Click();
    EXPECT_EQ(Editor().RelayBox(0, 0, 1).Hint(), "Модуль 1, K2");
    EXPECT_EQ(Editor().TotalTime->Hint(), TTimelineForm::OpenHint);
    Editor().TotalTime->Click();
    EXPECT_TRUE(Main->Timeline.Visible());
}

// Random bytes open with a box naming their errors, counted and listed from the status bar, and
// Write defaults to Отмена; the example opens without a box, and without its side file the printed
// report says its lengths are missing. A length typo shows red, its stage 0, named before Save.
TEST_F(MainWindow, TheCheckSpeaksBeforeAConfigurationIsTakenWrittenOrSaved) {
    TempDir dir;
    std::mt19937 random(29);
    std::string bytes(Layout::ImageSize, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    TempDir::Write(dir.File("random.usr"), bytes);
    Ui.FileAnswers = {dir.File("random.usr")};
    Main->TBOpenClick();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_NE(Ui.Boxes[0].Text.find("Ошибки ("), std::string::npos);
    EXPECT_EQ(Main->StatusBar1.PanelText(TEditorCheck::Panel).rfind("Ошибок: ", 0), 0u);
    Main->StatusBar1.ClickPanel(TEditorCheck::Panel);
    EXPECT_EQ(Ui.Boxes.at(1).Text.rfind("Ошибки (", 0), 0u);
    Main->TBWriteClick();
    EXPECT_EQ(Ui.Boxes.at(2).Buttons, TBoxButtons::OkCancelDefaultCancel);
    EXPECT_EQ(Main->Connection.LinkMode(), 0); // the default answer writes nothing

    const std::string example = VAROK_SOURCE_DIR "/examples/Office-Building.usr";
    TempDir::Write(dir.File("office.usr"), TempDir::Read(example));
    for (const std::string& project : {example, dir.File("office.usr")}) {
        Ui.Boxes.clear();
        Main->Saved = true;
        Ui.FileAnswers = {project};
        Main->TBOpenClick();
        EXPECT_TRUE(Ui.Boxes.empty()) << project;
    }
    EXPECT_EQ(Main->StatusBar1.PanelText(TEditorCheck::Panel), "Замечаний: 15");
    Main->ReportFileName = dir.File("office.txt");
    Main->TBReportClick();
    const std::string html = TempDir::Read(dir.File("office.html"));
    EXPECT_NE(html.find("Вход активации N1: Без ограничения<br/>"), std::string::npos);
    EXPECT_NE(html.find("Длительности сообщений, которые играют входы активации, не заданы"),
              std::string::npos);
    EXPECT_NE(TempDir::Read(dir.File("office.txt"))
                  .find(Utf8ToCp1251("Общее время эвакуации (сек) | Без ограничения\r\n")),
              std::string::npos);

    EXPECT_EQ(Time(0), "5");
    Editor().LenMes.EditValue(1, "1O");
    EXPECT_FALSE(Editor().LenMes.ValueWarning(1).empty());
    EXPECT_EQ(Time(0), "0");
    EXPECT_EQ(Main->StatusBar1.PanelText(TEditorCheck::Panel), "Ошибок: 1");
    Ui.Boxes.clear();
    Ui.BoxAnswers = {TModalResult::Cancel};
    Main->TBSaveClick();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_NE(Ui.Boxes[0].Text.find("сообщение 1: «1O»"), std::string::npos);
    EXPECT_EQ(Ui.FileDialogs.size(), 3u); // Save stopped before its dialog
}
