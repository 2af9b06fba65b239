#include "ProjectCommands.h"
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include "support/SystemFiles.h"
#include <cerrno>
#include <cstring>
#include <set>

TEST_F(ProjectCommands, SaveThenOpenGivesBackTheImageAndTheLengths) {
    Edit();
    Editor().LenMes.EditValue(9, "abc");
    Main->Image[3] = 0xA5; // bytes the editor does not interpret
    Main->Image[2047] = 0x5A;
    const ConfigImage image = Main->Image;
    const std::vector<std::string> lengths = Lengths();
    const std::string file = Dir.File("Hall.A.usr");
    Ui.FileAnswers = {file};
    Main->TBSave.Click();
    EXPECT_TRUE(Main->Saved);
    // A length that is no whole number is named first, and saved as typed.
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_NE(Ui.Boxes[0].Text.find("сообщение 9: «abc»"), std::string::npos);
    EXPECT_EQ(TempDir::Read(file), std::string(reinterpret_cast<const char*>(image.Data()), 2048));
    const std::string side = TempDir::Read(Dir.File("Hall.A.ini"));
    EXPECT_EQ(side.substr(0, 35), "[MessageLength]\r\n1=0\r\n2=0\r\n3=0\r\n4=0");
    EXPECT_NE(side.find("\r\n7=15\r\n"), std::string::npos);
    EXPECT_NE(side.find("\r\n72=0\r\n"), std::string::npos);

    Start();
    Ui.FileAnswers = {file};
    Main->TBOpen.Click();
    EXPECT_EQ(Main->ProjectTitle, Dir.File("Hall.A"));
    EXPECT_EQ(Main->Caption(), "Конфигурация - " + Dir.File("Hall.A"));
    EXPECT_EQ(Main->Image, image);
    EXPECT_EQ(Lengths(), lengths);
    EXPECT_TRUE(Stage(1).Checked());
    EXPECT_EQ(Message(0).Text(), "7");
    EXPECT_TRUE(Editor().ZoneButton(1, 7).Down());
    EXPECT_EQ(Panel().ComboBox56.ItemIndex(), 3);
    EXPECT_EQ(Ui.FileDialogs.back().Filter, "*.usr|*.usr");
}

TEST_F(ProjectCommands, EmptyLengthsAreStoredEmptyAndMissingKeysComeBackZero) {
    Ui.FileAnswers = {Dir.File("p.usr")};
    Main->TBSaveClick();
    EXPECT_NE(TempDir::Read(Dir.File("p.ini")).find("[MessageLength]\r\n1=\r\n2=\r\n"), std::string::npos);

    TempDir::Write(Dir.File("q.usr"), "");
    TempDir::Write(Dir.File("q.ini"), "[Other]\r\nx=1\r\n[MessageLength]\r\n5=33\r\n");
    Ui.FileAnswers = {Dir.File("q.usr")};
    Main->TBOpen.Click();
    EXPECT_EQ(Editor().LenMes.Value(5), "33");
    EXPECT_EQ(Editor().LenMes.Value(1), "0");
    EXPECT_EQ(Editor().LenMes.Value(72), "0");

    // Saving over it keeps the other section where it was.
    Editor().LenMes.EditValue(5, "34");
    Ui.FileAnswers = {Dir.File("q.usr")};
    Main->TBSaveClick();
    const std::string side = TempDir::Read(Dir.File("q.ini"));
    EXPECT_EQ(side.rfind("[Other]\r\nx=1\r\n[MessageLength]\r\n5=34\r\n", 0), 0u);
    EXPECT_NE(side.find("\r\n72=0"), std::string::npos);
}

TEST_F(ProjectCommands, ShortAndLongFilesFillTheImageFromTheStart) {
    TempDir::Write(Dir.File("short.usr"), std::string(100, '\x11'));
    Ui.FileAnswers = {Dir.File("short.usr")};
    Main->TBOpen.Click();
    EXPECT_EQ(Main->Image[99], 0x11);
    EXPECT_EQ(Main->Image[100], 0);
    EXPECT_EQ(Main->Image[2047], 0);

    std::string big(3000, '\0');
    big[2047] = '\x7E';
    big[2048] = '\x7F';
    TempDir::Write(Dir.File("long.usr"), big);
    Open(Dir.File("long.usr"));
    EXPECT_EQ(Main->Image[2047], 0x7E);
    EXPECT_EQ(Main->ProjectTitle, Dir.File("long"));
    // Both open as ever, each with a warning that names its size; the short one is no
    // configuration, and a box names its errors.
    ASSERT_EQ(Ui.Boxes.size(), 3u);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Warning);
    EXPECT_EQ(Ui.Boxes[0].Text, "Файл проекта " + Dir.File("short.usr") +
                                    " имеет размер 100 байт вместо 2048: недостающие байты конфигурации "
                                    "заполнены нулями");
    EXPECT_NE(Ui.Boxes[2].Text.find("размер 3000 байт вместо 2048: использованы первые 2048 байт"),
              std::string::npos);
}

TEST_F(ProjectCommands, OpeningAFileThatCannotBeReadKeepsTheProjectWhole) {
    Edit();
    Main->ProjectTitle = "Hall";
    Main->Saved = true;
    Main->ShowProjectCaption();
    const ConfigImage image = Main->Image;
    const std::vector<std::string> lengths = Lengths();
    Ui.FileAnswers = {Dir.File("missing.usr")};
    Main->TBOpen.Click();
    // A folder chosen as the project: the system's reason on a second line too.
    Ui.FileAnswers.push_back(Dir.Path.string());
    Main->TBOpen.Click();
    ASSERT_EQ(Ui.Boxes.size(), 2u);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_EQ(Ui.Boxes[0].Text,
              "Не удалось открыть файл " + Dir.File("missing.usr") + "\n" + std::strerror(ENOENT));
    EXPECT_EQ(Ui.Boxes[1].Text,
              "Не удалось открыть файл " + Dir.Path.string() + "\n" + std::strerror(EISDIR));
    EXPECT_EQ(Main->Image, image);
    EXPECT_EQ(Lengths(), lengths);
    EXPECT_EQ(Main->ProjectTitle, "Hall");
    EXPECT_EQ(Main->Caption(), "Конфигурация - Hall");
}

TEST_F(ProjectCommands, NewNamesTheProjectAndShowsTheClearedImage) {
    Edit();
    Ui.BoxAnswers = {TModalResult::No}; // do not save first
    NameNewProject("  ");
    Main->TBNew.Click();
    EXPECT_EQ(Ui.Boxes.at(0).Buttons, TBoxButtons::YesNoCancel);
    EXPECT_EQ(Main->ProjectTitle, "  ");
    EXPECT_EQ(Main->Caption(), "Конфигурация -    *");
    EXPECT_FALSE(Stage(0).Checked());
    EXPECT_EQ(Panel().ComboBox57.ItemIndex(), 0);
    EXPECT_EQ(Main->Image[Layout::StageOffset(0, 0)], 0);
    EXPECT_EQ(Main->Image[0], 0);
    EXPECT_EQ(Editor().LenMes.Value(7), "15"); // lengths are kept
    EXPECT_FALSE(Main->Saved);                 // still unsaved: closing asks

    // The dialog keeps its text; an empty name is refused and changes nothing.
    Ui.BoxAnswers = {TModalResult::No};
    NameNewProject("");
    Main->TBNew.Click();
    EXPECT_EQ(Ui.CountText("Неверное имя проекта !"), 1);
    EXPECT_EQ(Main->ProjectTitle, "  ");
    Ui.BoxAnswers = {TModalResult::No};
    NameNewProject("Hall", TModalResult::Cancel);
    Main->TBNew.Click();
    EXPECT_EQ(Main->ProjectTitle, "  ");
    // Отмена in the question ends the command before its dialog.
    Ui.BoxAnswers = {TModalResult::Cancel};
    NameNewProject("Hall");
    Main->TBNew.Click();
    EXPECT_EQ(Main->ProjectTitle, "  ");
    Ui.BoxAnswers = {TModalResult::Cancel};
    const size_t dialogs = Ui.FileDialogs.size();
    Main->TBOpen.Click();
    EXPECT_EQ(Ui.FileDialogs.size(), dialogs);
}

TEST_F(ProjectCommands, AgreeingToSaveThenCancellingEndsTheCommandWithNothingChanged) {
    Edit();
    const ConfigImage image = Main->Image;
    Ui.BoxAnswers = {TModalResult::Yes};
    Ui.FileAnswers = {""}; // cancel the save dialog
    NameNewProject("Other");
    Main->TBNew.Click();
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->ProjectTitle.empty());
    EXPECT_FALSE(Main->Saved);
    EXPECT_TRUE(Ui.ModalForms.empty());

    Ui.BoxAnswers = {TModalResult::Yes};
    Ui.FileAnswers = {""};
    Main->TBOpen.Click();
    EXPECT_EQ(Ui.FileDialogs.size(), 2u); // the save dialog only, no open dialog
    EXPECT_EQ(Main->Image, image);
}

TEST_F(ProjectCommands, CancellingTheSaveDialogSavesNothingAndClosingStillAsks) {
    Edit();
    Ui.FileAnswers = {""};
    Main->TBSave.Click();
    EXPECT_FALSE(Main->Saved);
    // Yes, then Cancel in the save dialog: the window stays open.
    Ui.BoxAnswers = {TModalResult::Yes};
    Ui.FileAnswers = {""};
    EXPECT_FALSE(Main->FormClose());
    EXPECT_FALSE(Main->Closed);
    // Yes and a real save closes it.
    Ui.BoxAnswers = {TModalResult::Yes};
    Ui.FileAnswers = {Dir.File("closing.usr")};
    EXPECT_TRUE(Main->FormClose());
    EXPECT_TRUE(std::filesystem::exists(Dir.File("closing.ini")));
}

TEST_F(ProjectCommands, EveryLengthReadCanBeSavedAndOneThatCannotStopsTheSaveUnwritten) {
    // A stray CR in a value ends the line, as a line break does.
    TempDir::Write(Dir.File("old.usr"), std::string(2048, '\0'));
    TempDir::Write(Dir.File("old.ini"), "[MessageLength]\r\n1=5\r7\r\n2=9\r\n");
    Open(Dir.File("old.usr"));
    EXPECT_EQ(Editor().LenMes.Value(1), "5");
    EXPECT_EQ(Editor().LenMes.Value(2), "9");
    Main->Saved = false;
    Ui.FileAnswers = {Dir.File("new.usr")};
    Main->TBSaveClick();
    EXPECT_TRUE(Ui.Boxes.empty());
    EXPECT_TRUE(Main->Saved);
    EXPECT_NE(TempDir::Read(Dir.File("new.ini")).find("\r\n1=5\r\n2=9\r\n"), std::string::npos);

    // A line break typed into a length cannot go into a line: nothing is written, the
    // message says which length, and closing keeps asking.
    Editor().LenMes.SetValue(3, "1\n2");
    Main->Saved = false;
    Ui.FileAnswers = {Dir.File("other.usr")};
    Main->TBSaveClick();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Text,
              "Unable to write to " + Dir.File("other.ini") + "\nThe length of message 3 holds a line break");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("other.usr")));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("other.ini")));
    EXPECT_FALSE(Main->Saved);
}

TEST_F(ProjectCommands, SideFilesAboveOneMebibyteAreTakenAsMissingAndNeverReplaced) {
    const std::string big = "[MessageLength]\r\n1=5\r\n" + std::string(MaxWholeFile, ';');
    TempDir::Write(Dir.File("big.usr"), std::string(2048, '\0'));
    TempDir::Write(Dir.File("big.ini"), big);
    std::vector<std::string> names{"big"};
    if (*EndlessFile) {
        std::filesystem::create_symlink(EndlessFile, Dir.File("zero.ini"));
        TempDir::Write(Dir.File("zero.usr"), std::string(2048, '\0'));
        names.push_back("zero");
    }
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        Editor().LenMes.SetValue(1, "7");
        Open(Dir.File(name + ".usr"));
        EXPECT_EQ(Editor().LenMes.Value(1), "0");
        ASSERT_FALSE(Ui.Notes.empty());
        EXPECT_EQ(Ui.Notes.back(),
                  "Unable to read " + Dir.File(name + ".ini") + ": " +
                      (name == "big" ? "larger than 1 MiB" : "not a regular file but a device") +
                      "; the message lengths are taken as 0");
    }
    EXPECT_TRUE(Ui.Boxes.empty());
    Ui.FileAnswers = {Dir.File("big.usr")};
    Main->TBSaveClick();
    ASSERT_FALSE(Ui.Boxes.empty());
    EXPECT_NE(Ui.Boxes.back().Text.find("larger than 1 MiB"), std::string::npos);
    EXPECT_EQ(TempDir::Read(Dir.File("big.ini")), big);
}

TEST_F(ProjectCommands, AUtf16SideFileKeepsItsLengthsAndItsEncoding) {
    auto utf16le = [](const std::u16string& text) {
        std::string out = "\xFF\xFE";
        for (char16_t c : text)
            out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return out;
    };
    TempDir::Write(Dir.File("n.usr"), std::string(2048, '\0'));
    TempDir::Write(Dir.File("n.ini"), utf16le(u"[MessageLength]\r\n1=12\r\n2=пять\r\n"));
    Open(Dir.File("n.usr"));
    EXPECT_EQ(Editor().LenMes.Value(1), "12");
    EXPECT_EQ(Editor().LenMes.Value(2), "пять");
    Editor().LenMes.EditValue(3, "五");
    Ui.FileAnswers = {Dir.File("n.usr")};
    Main->TBSaveClick();
    // UTF-16 holds every character: the length that is no number is named at the open, and the save
    // asks once, of lengths no number.
    EXPECT_EQ(Ui.Boxes.size(), 2u);
    std::u16string expected = u"[MessageLength]\r\n1=12\r\n2=пять\r\n3=五\r\n";
    for (int k = 4; k <= 72; ++k)
        for (char c : std::to_string(k) + "=0\r\n")
            expected += static_cast<char16_t>(c);
    EXPECT_EQ(TempDir::Read(Dir.File("n.ini")), utf16le(expected));
}

TEST_F(ProjectCommands, TextsWindows1251CannotHoldAreNamedOnceBeforeSaving) {
    Start("-debug");
    Panel().Edit1.Type("A✓");
    Editor().LenMes.EditValue(4, "5五");
    // After the question about the length that is no number.
    Ui.BoxAnswers = {TModalResult::Ok, TModalResult::Cancel};
    Ui.FileAnswers = {Dir.File("p.usr")};
    Main->TBSaveClick();
    ASSERT_EQ(Ui.Boxes.size(), 2u);
    EXPECT_EQ(Ui.Boxes[1].Kind, TBoxKind::Warning);
    EXPECT_EQ(Ui.Boxes[1].Buttons, TBoxButtons::OkCancel);
    EXPECT_EQ(Ui.Boxes[1].Text, "Символы, которых нет в кодировке Windows-1251, будут сохранены как \"?\":\n"
                                "длительность сообщения 4\nсерийный номер");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("p.usr")));
    EXPECT_FALSE(Main->Saved);

    Ui.FileAnswers = {Dir.File("p.usr")};
    Main->TBSaveClick();
    EXPECT_EQ(Ui.Boxes.size(), 4u);
    EXPECT_TRUE(Main->Saved);
    EXPECT_NE(TempDir::Read(Dir.File("p.ini")).find("\r\n4=5?\r\n"), std::string::npos);
}

// The name chosen in the dialog is the project's one name: two Saves in a row write the same
// two files, whatever dots the name holds, and the caption, the recent list and the side file follow it.
TEST_F(ProjectCommands, TheChosenNameIsKeptWholeOverTwoSaves) {
    struct Case {
        const char* Typed;
        const char* Image;
        const char* Side;
    };
    for (const Case c : {Case{"a.b", "a.b.usr", "a.b.ini"}, Case{"a.b.usr", "a.b.usr", "a.b.ini"},
                         Case{"a.USR", "a.USR", "a.ini"},
                         Case{"Объект 15.03.2024", "Объект 15.03.2024.usr", "Объект 15.03.2024.ini"}}) {
        SCOPED_TRACE(c.Typed);
        TempDir dir;
        NameNewProject("Новый");
        Main->TBNew.Click();
        Main->Saved = false;
        Ui.FileAnswers = {dir.File(c.Typed)};
        Main->TBSave.Click();
        EXPECT_EQ(Ui.FileDialogs.back().FileName, "Новый.usr");
        const std::string image = dir.File(c.Image);
        EXPECT_EQ(Main->Caption(), "Конфигурация - " + ProjectFile::WithoutExtension(image));
        EXPECT_EQ(Main->Settings.Recent().front(), image);
        Editor().LenMes.EditValue(1, "42");
        Ui.FileAnswers = {image};
        Main->TBSave.Click();
        EXPECT_EQ(Ui.FileDialogs.back().FileName, image);
        std::set<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path))
            files.insert(TempDir::Utf8(entry.path().filename()));
        EXPECT_EQ(files, (std::set<std::string>{c.Side, c.Image}));
        EXPECT_NE(TempDir::Read(dir.File(c.Side)).find("\r\n1=42\r\n"), std::string::npos);
        EXPECT_TRUE(Ui.Boxes.empty());
        EXPECT_TRUE(Main->Saved);
    }
}

// Another project under the chosen name is replaced only when the user says so.
TEST_F(ProjectCommands, ReplacingAnotherProjectAsksFirst) {
    TempDir::Write(Dir.File("Hall.usr"), "other");
    TempDir::Write(Dir.File("Hall.A.usr"), std::string(2048, '\0'));
    Open(Dir.File("Hall.A.usr"));
    Edit();
    for (const TModalResult answer : {TModalResult::No, TModalResult::Yes}) {
        Ui.Boxes.clear();
        Ui.BoxAnswers = {answer};
        Ui.FileAnswers = {Dir.File("Hall")};
        Main->TBSave.Click();
        ASSERT_EQ(Ui.Boxes.size(), 1u);
        EXPECT_EQ(Ui.Boxes[0].Buttons, TBoxButtons::YesNo);
        EXPECT_EQ(Main->Saved, answer == TModalResult::Yes);
        EXPECT_EQ(TempDir::Read(Dir.File("Hall.usr")) == "other", answer == TModalResult::No);
    }
    // The project now open is saved over without a question, unless another program has
    // changed either of its files since.
    Ui.Boxes.clear();
    Ui.FileAnswers = {Dir.File("Hall.usr")};
    Main->TBSave.Click();
    EXPECT_TRUE(Ui.Boxes.empty());
    for (const TModalResult answer : {TModalResult::No, TModalResult::Yes}) {
        TempDir::Write(Dir.File("Hall.ini"), "[MessageLength]\r\n1=77\r\n");
        Ui.Boxes.clear();
        Ui.BoxAnswers = {answer};
        Ui.FileAnswers = {Dir.File("Hall.usr")};
        Main->TBSave.Click();
        ASSERT_EQ(Ui.Boxes.size(), 1u);
        EXPECT_NE(Ui.Boxes[0].Text.find("изменён другой программой"), std::string::npos);
        EXPECT_EQ(TempDir::Read(Dir.File("Hall.ini")).find("1=77") != std::string::npos,
                  answer == TModalResult::No);
    }
}
