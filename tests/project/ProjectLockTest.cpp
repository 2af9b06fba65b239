// One save of a project at a time, on every system.
#include "ProjectFiles.h"
#include "project/ProjectFile.h"
#include "project/SaveIntent.h"

namespace fs = std::filesystem;

TEST_F(ProjectFiles, ASecondWriterWaitsForTheLockThenFailsNamingIt) {
    const std::string image = Path("P.usr"), side = Path("P.ini");
    Put(image, std::string(2048, 'o'));
    TIniFile ini;
    ASSERT_TRUE(ProjectFile::PrepareLengths(ini, side, std::vector<std::string>(72, "9")));
    const SaveIntent::TFiles files = SaveIntent::FilesOf(image, side);
    TProjectLock other;
    ASSERT_TRUE(other.Acquire(files.Lock, image));
    ProjectFile::TWriteSteps impatient;
    impatient.Patience = std::chrono::milliseconds(50);
    const TFileResult refused = ProjectFile::WriteProject(image, std::string(2048, 'n'), ini, impatient);
    EXPECT_FALSE(refused);
    EXPECT_NE(refused.Reason.find("holds its lock " + files.Lock), std::string::npos) << refused.Reason;
    EXPECT_EQ(Get(image), std::string(2048, 'o'));
    EXPECT_FALSE(fs::exists(side));
    other.Release();
    EXPECT_TRUE(ProjectFile::WriteProject(image, std::string(2048, 'n'), ini, impatient));
    EXPECT_EQ(Entries(), 2u);
}
