// Names outside the ANSI code page on Windows: the program passes UTF-8, the file calls take it.
#include "project/FileUtil.h"
#include "project/ProjectFile.h"
#include "support/MainFixture.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class UnicodePath : public MainFixture {
protected:
    TempDir Dir;
    const std::filesystem::path Folder = Dir.Path / u8"Проекты";
    // The temporary folder's own name is plain ASCII.
    const std::string Utf8Folder = Dir.Path.string() + "/Проекты";
};

TEST_F(UnicodePath, ProjectInACyrillicFolderIsSavedOpenedAndReported) {
    std::filesystem::create_directory(Folder);
    const std::string project = Utf8Folder + "/Школа 5.usr";
    Main->Image[3] = 0xA5;
    const ConfigImage image = Main->Image;
    Ui.FileAnswers = {project};
    Main->TBSaveClick();
    EXPECT_TRUE(Main->Saved);
    EXPECT_TRUE(Ui.Boxes.empty());
    EXPECT_EQ(ReadAll(Folder / u8"Школа 5.usr"),
              std::string(reinterpret_cast<const char*>(image.Data()), 2048));
    EXPECT_NE(ReadAll(Folder / u8"Школа 5.ini").find("[MessageLength]"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder), {}), 2)
        << "no temporary file is left";

    Start();
    Ui.FileAnswers = {project};
    Main->TBOpenClick();
    EXPECT_TRUE(Ui.Boxes.empty());
    EXPECT_EQ(Main->ProjectTitle, Utf8Folder + "/Школа 5");
    EXPECT_EQ(Main->Image, image);

    Main->ReportFileName = Utf8Folder + "/Отчёт.txt";
    Main->TBReportClick();
    EXPECT_TRUE(Ui.Boxes.empty());
    EXPECT_FALSE(ReadAll(Folder / u8"Отчёт.txt").empty());
}

// One file under two spellings is one file; a Cyrillic side file is found and read.
TEST_F(UnicodePath, ACyrillicProjectIsKnownByItsIdentityAndFindsItsSideFile) {
    std::filesystem::create_directory(Folder);
    std::ofstream(Folder / u8"Школа 5.usr", std::ios::binary) << std::string(2048, '\0');
    std::ofstream(Folder / u8"Школа 5.ini", std::ios::binary) << "[MessageLength]\r\n1=12\r\n";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(Dir.Path);
    EXPECT_TRUE(SameFile("./Проекты/Школа 5.usr", "Проекты\\Школа 5.usr"));
    EXPECT_FALSE(SameFile("./Проекты/Школа 5.usr", "Проекты\\Школа 5.ini"));
    const ProjectFile::TSide side = ProjectFile::LoadSide("Проекты\\Школа 5.ini");
    std::filesystem::current_path(previous);
    ASSERT_EQ(side.State, ProjectFile::TSide::TState::Read) << side.Problem.Message();
    EXPECT_EQ(side.Lengths.at(0), "12");
}
} // namespace
