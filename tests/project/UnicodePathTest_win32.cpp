// Names outside the ANSI code page on Windows: the program passes UTF-8, the file calls take it.
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

} // namespace
