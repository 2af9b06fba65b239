// Writing a project's two files is all or nothing: whatever stops it, both old files stay.
#include "ProjectFiles.h"
#include "project/ProjectFile.h"
#include "project/StagedFile.h"
#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST_F(ProjectFiles, ProjectWriteIsAllOrNothing) {
    const std::string image = Path("P.usr"), side = Path("P.ini");
    const std::string oldImage(2048, 'o'), oldSide = "[MessageLength]\r\n1=5\r\n[Mine]\r\nkeep=1\r\n";
    struct Case {
        const char* Name;
        std::function<void()> Arrange;
        ProjectFile::TWriteSteps Steps;
        std::function<void()> Check;
    };
    bool checked = false;
    const auto bothOld = [&] {
        EXPECT_EQ(Get(image), oldImage);
        EXPECT_EQ(Get(side), oldSide);
        EXPECT_EQ(Entries(), 2u); // no temporary left behind
        checked = true;
    };
    const Case cases[] = {
        {"a read-only side file", [&] { fs::permissions(side, fs::perms::owner_read); }, {}, bothOld},
        {"no space for the side file",
         {},
         {[](TStagedFile& file, const std::string& bytes) {
              if (file.Path().ends_with(".ini"))
                  return TFileResult::WriteFailure(file.Path(), ENOSPC, "No space left on device");
              return file.Prepare(bytes);
          },
          {}},
         bothOld},
        {"the side file a link to the image",
         [&] {
             fs::remove(side);
             fs::create_symlink("P.usr", side);
         },
         {},
         [&] {
             EXPECT_EQ(Get(image), oldImage);
             EXPECT_TRUE(fs::is_symlink(side));
             checked = true;
         }},
        {"the side file a hard link to the image",
         [&] {
             fs::remove(side);
             fs::create_hard_link(image, side);
         },
         {},
         [&] {
             EXPECT_EQ(Get(image), oldImage);
             EXPECT_EQ(fs::hard_link_count(image), 2u);
             checked = true;
         }},
        // A signal between the renames runs what the stop handler runs; the program ends there.
        {"a signal between the renames",
         {},
         {{},
          [&](ProjectFile::TSaveStep step) {
              if (step != ProjectFile::TSaveStep::SideRenamed)
                  return;
              RemoveTemporaries();
              bothOld();
          }},
         [] {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Dir);
        fs::create_directories(Dir);
        Put(image, oldImage);
        Put(side, oldSide);
        if (c.Arrange)
            c.Arrange();
        TIniFile ini;
        ASSERT_TRUE(ProjectFile::PrepareLengths(ini, side, std::vector<std::string>(72, "9")));
        checked = false;
        const TFileResult written = ProjectFile::WriteProject(image, std::string(2048, 'n'), ini, c.Steps);
        EXPECT_FALSE(written);
        EXPECT_FALSE(written.Reason.empty());
        c.Check();
        EXPECT_TRUE(checked);
        std::error_code ignored;
        fs::permissions(side, fs::perms::owner_all, ignored);
    }
}

TEST_F(ProjectFiles, ADanglingLinkIsWrittenThrough) {
    fs::create_symlink("made.usr", Path("link.usr"));
    ASSERT_TRUE(WriteFileAtomically(Path("link.usr"), "new"));
    EXPECT_TRUE(fs::is_symlink(Path("link.usr")));
    EXPECT_EQ(Get(Path("made.usr")), "new");
}

// A save killed at any point, or stopped by a signal there, leaves the old pair or the new one
// once the project is next opened, and nothing of its own beside them.
TEST_F(ProjectFiles, AStoppedSaveIsFinishedOrUndoneByTheNextOpen) {
    using ProjectFile::TSaveStep;
    const std::string image = Path("P.usr"), side = Path("P.ini");
    const std::string oldImage(2048, 'o'), oldSide = "[MessageLength]\r\n1=5\r\n";
    const TSaveStep steps[] = {TSaveStep::Locked,      TSaveStep::Prepared,     TSaveStep::Recorded,
                               TSaveStep::SideRenamed, TSaveStep::ImageRenamed, TSaveStep::Completed};
    for (const TSaveStep step : steps)
        for (const bool hadSide : {true, false})
            for (const bool signalled : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "step " << static_cast<int>(step) << (hadSide ? "" : ", no side file")
                             << (signalled ? ", SIGTERM" : ", SIGKILL"));
                fs::remove_all(Dir);
                fs::create_directories(Dir);
                Put(image, oldImage);
                if (hadSide)
                    Put(side, oldSide);
                TIniFile ini;
                ASSERT_TRUE(ProjectFile::PrepareLengths(ini, side, std::vector<std::string>(72, "9")));
                const std::string newSide = ini.Bytes();
                const pid_t child = fork();
                if (child == 0) {
                    RemoveTemporariesOnSignal();
                    ProjectFile::TWriteSteps stops;
                    stops.Reached = [&](TSaveStep at) {
                        if (at == step && signalled)
                            std::raise(SIGTERM);
                        if (at == step)
                            _exit(9);
                    };
                    ProjectFile::WriteProject(image, std::string(2048, 'n'), ini, stops);
                    _exit(0);
                }
                int status = 0;
                ASSERT_EQ(waitpid(child, &status, 0), child);
                ProjectFile::TProject project;
                ASSERT_TRUE(ProjectFile::Load(image, project));
                const bool isNew = project.Image == std::string(2048, 'n');
                EXPECT_EQ(isNew, step >= TSaveStep::ImageRenamed);
                std::string sideNow;
                ReadWholeFile(side, sideNow);
                EXPECT_EQ(sideNow, isNew ? newSide : hadSide ? oldSide : "");
                EXPECT_EQ(Entries(), isNew || hadSide ? 2u : 1u);
            }
}
