// Saves that fail on a read-only folder or a full disk.
#include "ProjectCommands.h"
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Saves under `file` with the process's file size limited to `limit` bytes (a full disk).
void SaveWithSizeLimit(FakeUi& ui, TMain& main, const std::string& file, rlim_t limit) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    ui.FileAnswers = {file};
    main.TBSaveClick();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
}

} // namespace

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
    SaveWithSizeLimit(Ui, *Main, file, 1000);
    ASSERT_EQ(Ui.Boxes.size(), 2u); // the question whether to replace it, then the failure
    EXPECT_NE(Ui.Boxes[1].Text.find(file), std::string::npos);
    EXPECT_FALSE(Main->Saved);
    EXPECT_EQ(TempDir::Read(file), "previous");
    EXPECT_FALSE(std::filesystem::exists(Dir.File("full.ini")));

    // The image fits, the side file does not: a new project is not left without its lengths.
    const std::string side = "[Notes]\r\n" + std::string(3000, ';') + "\r\n";
    TempDir::Write(Dir.File("new.ini"), side);
    SaveWithSizeLimit(Ui, *Main, Dir.File("new.usr"), 3200);
    ASSERT_EQ(Ui.Boxes.size(), 3u);
    EXPECT_EQ(Ui.Boxes[2].Text.rfind("Unable to write to " + Dir.File("new.ini") + "\n", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("new.usr")));
    EXPECT_EQ(TempDir::Read(Dir.File("new.ini")), side);
    EXPECT_FALSE(Main->Saved);
}

// A FIFO chosen as the project, or as its side file, must not freeze the window: the project is
// refused, the side file taken as missing, both at once.
TEST_F(ProjectCommands, AFifoNeverFreezesOpen) {
    Edit();
    const ConfigImage image = Main->Image;
    ASSERT_EQ(mkfifo(Dir.File("fifo.usr").c_str(), 0666), 0);
    Open(Dir.File("fifo.usr"));
    ASSERT_EQ(Ui.Boxes.size(), 1u);
    EXPECT_EQ(Ui.Boxes[0].Text,
              "Не удалось открыть файл " + Dir.File("fifo.usr") + "\nnot a regular file but a FIFO");
    EXPECT_EQ(Main->Image, image);

    TempDir::Write(Dir.File("p.usr"), std::string(2048, '\0'));
    ASSERT_EQ(mkfifo(Dir.File("p.ini").c_str(), 0666), 0);
    Open(Dir.File("p.usr"));
    EXPECT_EQ(Ui.Boxes.size(), 1u);
    ASSERT_FALSE(Ui.Notes.empty());
    EXPECT_NE(Ui.Notes.back().find("p.ini: not a regular file but a FIFO"), std::string::npos);
}
