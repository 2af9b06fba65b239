// varokconfig-cli probe, read, write and verify against verda-sim: round trips and exit codes.
#include "link/LinkProtocol.h"
#include "support/ChildProcess.h"
#include "support/PatternBytes.h"
#include "support/TempDir.h"
#include "support/VerdaSimProcess.h"
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace {

class CliLink : public ::testing::Test {
protected:
    // verda-sim on DIR/com3 with its memory from memory.usr and saved to saved.usr when stopped.
    void StartSim(const std::string& memory, std::vector<std::string> faults = {}) {
        TempDir::Write(Dir.File("memory.usr"), memory);
        std::vector<std::string> args{"--ports", Dir.Path.string(),      "--com",  "3",
                                      "--image", Dir.File("memory.usr"), "--save", Dir.File("saved.usr")};
        args.insert(args.end(), faults.begin(), faults.end());
        ASSERT_FALSE(StartVerdaSim(Sim, args).empty());
    }
    int Cli(std::vector<std::string> args, bool named = true) {
        if (named)
            args.insert(args.begin(), VAROK_BIN_DIR "/varokconfig-cli");
        Run = std::make_unique<TChildProcess>();
        if (!Run->Start(args, {"VAROKCONFIG_PORTS=" + Dir.Path.string()}))
            return -1;
        return Run->Finish();
    }
    std::string Saved() {
        EXPECT_EQ(Sim.Finish(SIGTERM), 0);
        return TempDir::Read(Dir.File("saved.usr"));
    }

    TempDir Dir;
    TChildProcess Sim;
    std::unique_ptr<TChildProcess> Run;
};

TEST_F(CliLink, ReadAndWriteRoundTripTheImageByteForByte) {
    const std::string memory = PatternBytes(2048, 1);
    StartSim(memory);
    ASSERT_EQ(Cli({"read", "--port", "3", "-o", Dir.File("out.usr")}), 0) << Run->StdErr;
    EXPECT_EQ(Run->StdOut, "");
    EXPECT_EQ(Run->StdErr, "Подключено на COM 3\n"); // progress only on a terminal
    EXPECT_EQ(TempDir::Read(Dir.File("out.usr")), memory);

    // A shorter project is written zero-filled, exactly as its bytes are.
    const std::string project = PatternBytes(1000, 9);
    TempDir::Write(Dir.File("project.usr"), project);
    ASSERT_EQ(Cli({"write", "--port", "3", "--baud", "9600", Dir.File("project.usr")}), 0) << Run->StdErr;
    EXPECT_NE(Run->StdErr.find("размер 1000 байт вместо 2048"), std::string::npos) << Run->StdErr;
    EXPECT_NE(Run->StdErr.find("Запись завершена, конфигурация проверена"), std::string::npos);
    std::string expected = project;
    expected.resize(2048, '\0');
    EXPECT_EQ(Saved(), expected);
}

TEST_F(CliLink, ProbeSearchesThePorts) {
    StartSim(std::string(2048, '\0'));
    EXPECT_EQ(Cli({"probe", "--timeout", "1"}), 0) << Run->StdErr;
    EXPECT_EQ(Run->StdErr, "Подключено на COM 3\n");
}

TEST_F(CliLink, StuckBlockIsNamedAndExitsWithThree) {
    StartSim(std::string(2048, '\0'), {"--stuck-block", "0040"});
    TempDir::Write(Dir.File("project.usr"), PatternBytes(2048, 3));
    EXPECT_EQ(Cli({"write", "--port", "3", "--no-readback", Dir.File("project.usr")}), 3);
    EXPECT_NE(Run->StdErr.find("Compare Erorr !!!"), std::string::npos);
    EXPECT_NE(Run->StdErr.find("block 0040 compared differently"), std::string::npos) << Run->StdErr;
    EXPECT_EQ(Run->StdErr.find("block 0060"), std::string::npos);
}

TEST_F(CliLink, LinkFailuresExitWithOne) {
    StartSim(std::string(2048, '\0'), {"--probe-answer", "55", "--stop-after", "1"});
    EXPECT_EQ(Cli({"probe", "--port", "7"}), 1);
    EXPECT_EQ(Run->StdErr, "Ошибка открытия COM 7 !\n");
    EXPECT_EQ(Cli({"probe", "--port", "3"}), 1);
    EXPECT_NE(Run->StdErr.find("Ошибка подключения !"), std::string::npos);
    // A port that exists but cannot be opened: the system's reason, and no word of an answer.
    TempDir::Write(Dir.File("com5"), "not a serial port");
    EXPECT_EQ(Cli({"probe", "--port", "5"}), 1);
    EXPECT_EQ(Run->StdErr, "Can't open COM port\nCOM 5: Inappropriate ioctl for device\n");
    // Past --stop-after the controller is silent: the timeout ends the wait.
    EXPECT_EQ(Cli({"read", "--port", "3", "--timeout", "0.3", "-o", Dir.File("out.usr")}), 1);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("out.usr")));
}

// Misbehaving controllers: the exit status, what standard error names, and whether a read
// leaves a file.
TEST_F(CliLink, TransfersSucceedOnlyWhenEveryBlockMovedOnce) {
    struct Row {
        const char* Meaning;
        std::vector<std::string> Faults;
        std::string Command;
        int Status;
        std::string Message;
    };
    const Row rows[] = {
        // One reply that names another block is ignored; one that always does fails the read.
        {"07E0 first, read", {"--reply-address", "07E0"}, "read", 0, ""},
        {"unaligned 07D0 on every block, read",
         {"--fixed-reply-address", "07D0"},
         "read",
         1,
         "недопустимым адресом 07D0"},
        {"same block for ever", {"--fixed-reply-address", "0100"}, "read", 1, "не передал блоки 0000-07E0"},
        {"short probe answer", {"--probe-length", "3"}, "probe", 1, "Ошибка подключения !"},
        {"checksums summed differently, read",
         {"--bad-crc"},
         "read",
         0,
         "принят, когда пришёл дважды одинаковым"},
        {"checksums summed differently, write",
         {"--bad-crc"},
         "write",
         0,
         "Неверная контрольная сумма в ответе контроллера на COM 3"},
        {"noisy line, read",
         {"--noise", "0.005", "--request-noise", "0.005", "--seed", "3"},
         "read",
         0,
         "Линия с помехами: "},
        {"silence after four blocks",
         {"--stop-after", "5"},
         "read",
         1,
         "Нет ответа от контроллера\nЧтение не завершено"},
        {"hang-up during a write",
         {"--hangup-after", "3"},
         "write",
         1,
         "Нет подключения\nЗапись не завершена"},
        {"silent fixed port", {"--silent"}, "probe", 1, "Нет ответа от контроллера на COM 3"},
    };
    TempDir::Write(Dir.File("project.usr"), PatternBytes(2048, 5));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Meaning);
        StartSim(PatternBytes(2048, 4), row.Faults);
        std::filesystem::remove(Dir.File("out.usr"));
        std::vector<std::string> args{row.Command, "--port", "3", "--timeout", "1"};
        if (row.Command == "read")
            args.insert(args.end(), {"-o", Dir.File("out.usr")});
        if (row.Command == "write")
            args.push_back(Dir.File("project.usr"));
        EXPECT_EQ(Cli(args), row.Status) << Run->StdErr;
        EXPECT_NE(Run->StdErr.find(row.Message), std::string::npos) << Run->StdErr;
        if (row.Command == "read" && row.Status == 0) {
            EXPECT_EQ(TempDir::Read(Dir.File("out.usr")), PatternBytes(2048, 4));
        } else if (row.Command == "read") {
            EXPECT_FALSE(std::filesystem::exists(Dir.File("out.usr")));
        }
        EXPECT_EQ(Sim.Finish(SIGTERM), 0);
    }
}

// At 110 baud a read request and its reply take 4.2 s on the line: the default wait covers it,
// and the line that goes after the first block is named as such.
TEST_F(CliLink, SlowLineGetsTheDefaultTimeout) {
    StartSim(std::string(2048, '\0'), {"--pace", "--hangup-after", "3"});
    EXPECT_EQ(Cli({"read", "--port", "3", "--baud", "110", "-o", Dir.File("out.usr")}), 1);
    EXPECT_NE(Run->StdErr.find("Нет подключения"), std::string::npos) << Run->StdErr;
    EXPECT_EQ(Run->StdErr.find("Нет ответа"), std::string::npos);
}

TEST_F(CliLink, UsageAndFileErrorsExitWithTwo) {
    const std::vector<std::vector<std::string>> usage = {
        {"read", "-o", "x.usr"},      {"read", "--port", "3"},
        {"write", "--port", "3"},     {"probe", "--port", "256"},
        {"probe", "--baud", "12345"}, {"probe", "--parity", "weird"},
        {"probe", "--timeout", "0"},  {"probe", "--stop", "3"},
        {"probe", "stray"},           {"frobnicate"},
    };
    for (const auto& args : usage) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
        EXPECT_EQ(Cli(args), 2);
    }
    EXPECT_EQ(Cli({"write", "--port", "3", Dir.File("missing.usr")}), 2);
}

} // namespace

namespace {
const std::string ExampleProject = VAROK_SOURCE_DIR "/examples/Office-Building.usr";

TEST_F(CliLink, VerifyComparesTheControllerWithTheProject) {
    std::string memory = TempDir::Read(ExampleProject);
    memory[0x6C] = '\x00'; // IN 3 stage 2 loses zones 5 to 8 in the controller
    StartSim(memory);
    EXPECT_EQ(Cli({"verify", "--port", "3", ExampleProject}), 3) << Run->StdErr;
    EXPECT_EQ(Run->StdErr, "Подключено на COM 3\n");
    EXPECT_EQ(Run->StdOut, "IN 3 stage 2: zone 5 on → off\nIN 3 stage 2: zone 6 on → off\n"
                           "IN 3 stage 2: zone 7 on → off\nIN 3 stage 2: zone 8 on → off\n");
    TempDir::Write(Dir.File("controller.usr"), memory);
    EXPECT_EQ(Cli({"verify", "--port", "3", Dir.File("controller.usr")}), 0) << Run->StdErr;
    EXPECT_EQ(Run->StdOut, "");
    // Reading changes nothing in the controller.
    EXPECT_EQ(Saved(), memory);
}

TEST_F(CliLink, WriteBacksUpTheControllerFirst) {
    const std::string memory = PatternBytes(2048, 5);
    StartSim(memory);
    const std::string project = TempDir::Read(ExampleProject);
    ASSERT_EQ(Cli({"write", "--port", "3", "--backup", Dir.File("backup.usr"), ExampleProject}), 0)
        << Run->StdErr;
    EXPECT_EQ(TempDir::Read(Dir.File("backup.usr")), memory);
    EXPECT_EQ(Saved(), project);
}

TEST_F(CliLink, FailedBackupWritesNothing) {
    // The controller answers the probe and four blocks, then falls silent.
    const std::string memory = PatternBytes(2048, 6);
    StartSim(memory, {"--stop-after", "5"});
    EXPECT_EQ(
        Cli({"write", "--port", "3", "--timeout", "0.3", "--backup", Dir.File("backup.usr"), ExampleProject}),
        1);
    EXPECT_FALSE(std::filesystem::exists(Dir.File("backup.usr")));
    EXPECT_EQ(Cli({"verify", "--port", "3", "--timeout", "0.3", ExampleProject}), 1);
    EXPECT_EQ(Saved(), memory);
    // No project, or a backup that would replace it: no backup read at all.
    EXPECT_EQ(Cli({"write", "--port", "3", "--backup", Dir.File("backup.usr"), Dir.File("missing.usr")}), 2);
    TempDir::Write(Dir.File("project.usr"), "x");
    EXPECT_EQ(Cli({"write", "--port", "3", "--backup", Dir.File("project.usr"), Dir.File("project.usr")}), 2);
    EXPECT_EQ(TempDir::Read(Dir.File("project.usr")), "x");
}
} // namespace

namespace {
// Started with a standard stream closed, the command line must not hand its number to the port:
// its texts would go down the line, and so would an image asked for on standard output.
TEST_F(CliLink, AClosedStandardStreamNeverReachesThePort) {
    const auto closed = [](const char* closing, std::vector<std::string> args) {
        args.insert(args.begin(), {"/bin/sh", "-c", std::string("exec \"$0\" \"$@\" ") + closing,
                                   VAROK_BIN_DIR "/varokconfig-cli"});
        return args;
    };
    StartSim(PatternBytes(2048, 3));
    EXPECT_EQ(Cli(closed(">&-", {"read", "--port", "3", "-o", "-"}), false), 2);
    EXPECT_NE(Run->StdErr.find("Unable to write to standard output"), std::string::npos) << Run->StdErr;
    Sim.Finish(SIGTERM);

    // A controller that answers the probe and then falls silent: the line carries requests alone,
    // though "Подключено на COM 3" is said while the port is open.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master) | unlockpt(master), 0);
    // Held open so that what the command sent is still there after it ends.
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::filesystem::remove(Dir.File("com3"));
    std::filesystem::create_symlink(ptsname(master), Dir.File("com3"));
    Run = std::make_unique<TChildProcess>();
    ASSERT_TRUE(Run->Start(closed("2>&-", {"read", "--port", "3", "--timeout", "0.2", "-o", "-"}),
                           {"VAROKCONFIG_PORTS=" + Dir.Path.string()}));
    const LinkProtocol::TBytes probe = LinkProtocol::ProbePacket(),
                               reply = LinkProtocol::ProbeReplyPacket(0xAA),
                               request = LinkProtocol::ReadRequestPacket(0);
    const auto later = [](int ms) { return TChildProcess::TClock::now() + std::chrono::milliseconds(ms); };
    EXPECT_EQ(ReadFor(master, probe.size(), later(10000)), std::string(probe.begin(), probe.end()));
    ASSERT_EQ(write(master, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
    EXPECT_EQ(Run->Finish(), 1);
    const std::string line = ReadFor(master, 1 << 16, later(200));
    ASSERT_FALSE(line.empty());
    for (size_t at = 0; at < line.size(); at += request.size())
        ASSERT_EQ(line.substr(at, request.size()), std::string(request.begin(), request.end()))
            << "at byte " << at;
    close(slave);
    close(master);
}
} // namespace
