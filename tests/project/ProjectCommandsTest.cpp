#include "support/MainFixture.h"
#include "support/TempDir.h"
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

class ProjectCommands : public MainFixture {
protected:
    // A project with something in every part: counts, a stage, identity, lengths.
    void Edit() {
        Panel().ComboBox57.Select(2);
        Panel().ComboBox56.Select(3);
        ProgramStages(2, 2);
        Message(0).Select(6);
        Editor().ZoneButton(1, 7).Click();
        Editor().RelayBox(0, 2, 1).Click();
        Editor().LenMes.EditValue(7, "15");
        Editor().LenMes.EditValue(9, "abc");
    }
    void NameNewProject(const std::string& name, TModalResult result = TModalResult::Ok) {
        Ui.FormScripts.push_back([this, name, result](TForm&) {
            Main->FormProjectName.ProjectName.SetText(name);
            return result;
        });
    }
    std::vector<std::string> Lengths() {
        std::vector<std::string> v;
        for (int k = 1; k <= 72; ++k)
            v.push_back(Editor().LenMes.Value(k));
        return v;
    }
    TempDir Dir;
};

TEST_F(ProjectCommands, SaveThenOpenGivesBackTheImageAndTheLengths) {
    Edit();
    Main->Image[3] = 0xA5; // bytes the editor does not interpret
    Main->Image[2047] = 0x5A;
    const ConfigImage image = Main->Image;
    const std::vector<std::string> lengths = Lengths();
    const std::string file = Dir.File("Hall.A.usr");
    Ui.FileAnswers = {file};
    Main->TBSave.Click();
    EXPECT_TRUE(Main->Saved);
    EXPECT_TRUE(Ui.Boxes.empty());
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
    Main->Saved = true;
    Ui.FileAnswers = {Dir.File("long.usr")};
    Main->TBOpen.Click();
    EXPECT_EQ(Main->Image[2047], 0x7E);
    EXPECT_EQ(Main->ProjectTitle, Dir.File("long"));
}

TEST_F(ProjectCommands, OpeningAFileThatCannotBeReadKeepsTheProjectWhole) {
    Edit();
    Main->ProjectTitle = "Hall";
    Main->ShowProjectCaption();
    const ConfigImage image = Main->Image;
    const std::vector<std::string> lengths = Lengths();
    Main->Saved = true;
    Ui.FileAnswers = {Dir.File("missing.usr")};
    Main->TBOpen.Click();
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_NE(Ui.Boxes[0].Text.find("missing.usr"), std::string::npos);
    EXPECT_EQ(Main->Image, image);
    EXPECT_EQ(Lengths(), lengths);
    EXPECT_EQ(Main->ProjectTitle, "Hall");
    EXPECT_EQ(Main->Caption(), "Конфигурация - Hall");
}

TEST_F(ProjectCommands, NewNamesTheProjectAndShowsTheClearedImage) {
    Edit();
    Ui.BoxAnswers = {TModalResult::Cancel}; // do not save first
    NameNewProject("  ");
    Main->TBNew.Click();
    EXPECT_EQ(Main->ProjectTitle, "  ");
    EXPECT_EQ(Main->Caption(), "Конфигурация -   ");
    EXPECT_FALSE(Stage(0).Checked());
    EXPECT_EQ(Panel().ComboBox57.ItemIndex(), 0);
    EXPECT_EQ(Main->Image[Layout::StageOffset(0, 0)], 0);
    EXPECT_EQ(Main->Image[0], 0);
    EXPECT_EQ(Editor().LenMes.Value(7), "15"); // lengths are kept
    EXPECT_FALSE(Main->Saved);                 // still unsaved: closing asks

    // The dialog keeps its text; an empty name is refused and changes nothing.
    Ui.BoxAnswers = {TModalResult::Cancel};
    NameNewProject("");
    Main->TBNew.Click();
    EXPECT_EQ(Ui.CountText("Неверное имя проекта !"), 1);
    EXPECT_EQ(Main->ProjectTitle, "  ");
    Ui.BoxAnswers = {TModalResult::Cancel};
    NameNewProject("Hall", TModalResult::Cancel);
    Main->TBNew.Click();
    EXPECT_EQ(Main->ProjectTitle, "  ");
}

TEST_F(ProjectCommands, AgreeingToSaveThenCancellingEndsTheCommandWithNothingChanged) {
    Edit();
    const ConfigImage image = Main->Image;
    Ui.BoxAnswers = {TModalResult::Ok};
    Ui.FileAnswers = {""}; // cancel the save dialog
    NameNewProject("Other");
    Main->TBNew.Click();
    EXPECT_EQ(Main->Image, image);
    EXPECT_TRUE(Main->ProjectTitle.empty());
    EXPECT_FALSE(Main->Saved);
    EXPECT_TRUE(Ui.ModalForms.empty());

    Ui.BoxAnswers = {TModalResult::Ok};
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

TEST_F(ProjectCommands, ASaveThatFailsSaysSoAndKeepsThePreviousFile) {
    Edit();
    const std::string file = Dir.File("kept.usr");
    TempDir::Write(file, "previous");
    // A folder nobody may write into (root may write anywhere but /proc).
    std::string target = "/proc/varok-test.usr";
    if (geteuid() != 0) {
        std::filesystem::permissions(Dir.Path,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        target = file;
    }
    Ui.FileAnswers = {target};
    Main->TBSave.Click();
    std::filesystem::permissions(Dir.Path, std::filesystem::perms::owner_all);
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_NE(Ui.Boxes[0].Text.find(target), std::string::npos);
    EXPECT_FALSE(Main->Saved);
    EXPECT_EQ(TempDir::Read(file), "previous");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("kept.ini")));
}

TEST_F(ProjectCommands, AFullDiskFailsTheSaveWithoutLosingTheOldFile) {
    Edit();
    const std::string file = Dir.File("full.usr");
    TempDir::Write(file, "previous");
    // A file-size limit below the image size stands in for a full disk.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    Ui.FileAnswers = {file};
    Main->TBSave.Click();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_NE(Ui.Boxes[0].Text.find(file), std::string::npos);
    EXPECT_FALSE(Main->Saved);
    EXPECT_EQ(TempDir::Read(file), "previous");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("full.ini")));
}

TEST_F(ProjectCommands, SaveOffersTheProjectTitleAndLeavesTheCaption) {
    NameNewProject("Hall");
    Main->TBNew.Click();
    Ui.FileAnswers = {Dir.File("elsewhere.usr")};
    Main->TBSave.Click();
    EXPECT_EQ(Ui.FileDialogs.back().FileName, "Hall");
    EXPECT_EQ(Ui.FileDialogs.back().DefaultExt, "usr");
    EXPECT_EQ(Main->ProjectTitle, "Hall");
    EXPECT_EQ(Main->Caption(), "Конфигурация - Hall");
    EXPECT_TRUE(Main->TBSave.Enabled());
}
