// varokconfig-cli report: odd projects, side files and outputs, and their exit statuses.
#include "app/UnitMain.h"
#include "base/Cp1251.h"
#include "support/ChildProcess.h"
#include "support/FakeUi.h"
#include "support/PatternBytes.h"
#include "support/TempDir.h"
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

namespace {
class CliReport : public ::testing::Test {
protected:
    // Runs the tool in the folder Dir through a shell, so a bare output name lands there.
    int Cli(const std::vector<std::string>& args) {
        std::string command = "cd '" + Dir.Path.string() + "' && exec " VAROK_BIN_DIR "/varokconfig-cli";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        Run = std::make_unique<TChildProcess>();
        if (!Run->Start({"/bin/sh", "-c", command}))
            return -1;
        return Run->Finish();
    }
    // The report the editor writes for this project.
    std::string EditorReport(const std::string& project) {
        FakeUi ui;
        TMain main(ui, "");
        ui.FileAnswers = {project};
        main.TBOpenClick();
        main.ReportFileName = Dir.File("editor.txt");
        main.TBReportClick();
        for (const auto& box : ui.Boxes) // a project of another size is only warned about
            EXPECT_EQ(box.Kind, TBoxKind::Warning) << box.Text;
        return TempDir::Read(main.ReportFileName);
    }
    TempDir Dir;
    std::unique_ptr<TChildProcess> Run;
};

TEST_F(CliReport, OddInputsGiveTheirExitStatus) {
    TempDir::Write(Dir.File("empty.usr"), "");
    TempDir::Write(Dir.File("short.usr"), PatternBytes(100, 4));
    TempDir::Write(Dir.File("long.usr"), PatternBytes(3000, 5));
    TempDir::Write(Dir.File("Hall"), PatternBytes(2048, 6));
    TempDir::Write(Dir.File("garbled.usr"), PatternBytes(2048, 7));
    TempDir::Write(Dir.File("garbled.ini"), PatternBytes(5000, 8));
    TempDir::Write(Dir.File("huge.usr"), "");
    TempDir::Write(Dir.File("huge.ini"), "[MessageLength]\r\n1=5\r\n" + std::string(1 << 20, ';'));
    std::filesystem::create_directory(Dir.File("folder.usr"));
    struct Case {
        const char* Name;
        std::vector<std::string> Args;
        int Status;
        std::string StdErr; // a part of it
    };
    const std::string missing = Dir.File("missing.usr");
    const Case cases[] = {
        {"empty project", {"report", "empty.usr", "-o", "empty.txt"}, 0, ""},
        {"short project", {"report", "short.usr", "-o", "short.txt"}, 0, ""},
        {"long project", {"report", "long.usr", "-o", "long.txt"}, 0, ""},
        {"project without extension", {"report", "Hall", "-o", "Hall.txt"}, 0, ""},
        {"garbled side file", {"report", "garbled.usr", "-o", "garbled.txt"}, 0, ""},
        {"side file above 1 MiB",
         {"report", "huge.usr", "-o", "huge.txt"},
         0,
         "Unable to read huge.ini: larger than 1 MiB; the message lengths are taken as 0\n"},
        {"default output", {"report", "short.usr"}, 0, ""},
        {"missing project",
         {"report", missing},
         2,
         "Не удалось открыть файл " + missing + "\n" + std::strerror(ENOENT) + "\n"},
        {"folder as project", {"report", "folder.usr"}, 2, std::strerror(EISDIR)},
        {"output in a missing folder",
         {"report", "short.usr", "-o", "none/out.txt"},
         2,
         "Cannot create file"},
        {"output nobody may write",
         {"report", "short.usr", "-o", "/proc/varok.txt"},
         2,
         "Cannot create file"},
        {"output is a folder", {"report", "short.usr", "-o", "folder.usr"}, 2, "Cannot create file"},
        {"no project", {"report", "-o", "x.txt"}, 2, "report needs a project file"},
        {"two projects", {"report", "short.usr", "long.usr"}, 2, "unexpected argument"},
        {"-o without a name", {"report", "short.usr", "-o"}, 2, "-o needs a file name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Cli(c.Args), c.Status) << Run->StdErr;
        EXPECT_NE(Run->StdErr.find(c.StdErr), std::string::npos) << Run->StdErr;
        EXPECT_EQ(Run->StdOut, "");
    }
    EXPECT_TRUE(std::filesystem::is_directory(Dir.File("folder.usr")));
    EXPECT_FALSE(std::filesystem::exists(Dir.File("x.txt")));

    // Each report is the editor's, byte for byte; a long project reads as its first 2048 bytes.
    TempDir::Write(Dir.File("first.usr"), PatternBytes(3000, 5).substr(0, 2048));
    for (const char* name : {"empty", "short", "Hall", "garbled", "huge"}) {
        SCOPED_TRACE(name);
        const std::string project = Dir.File(name) + (std::string(name) == "Hall" ? "" : ".usr");
        EXPECT_EQ(TempDir::Read(Dir.File(std::string(name) + ".txt")), EditorReport(project));
    }
    EXPECT_EQ(TempDir::Read(Dir.File("long.txt")), EditorReport(Dir.File("first.usr")));
    EXPECT_EQ(TempDir::Read(Dir.File("VarokConfig.txt")), TempDir::Read(Dir.File("short.txt")));
}

TEST_F(CliReport, TheExampleReportsItsLengthsAndInputs) {
    const std::string example = VAROK_SOURCE_DIR "/examples/Office-Building.usr";
    ASSERT_EQ(Cli({"report", example, "-o", "office.txt"}), 0) << Run->StdErr;
    const std::string report = TempDir::Read(Dir.File("office.txt"));
    EXPECT_EQ(report, EditorReport(example));
    EXPECT_NE(report.find(Utf8ToCp1251("\r\n Вход активации N1 ")), std::string::npos);
}
} // namespace
