#include "SimOptions.h"
#include <gtest/gtest.h>
#include <sstream>

namespace {
std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}
} // namespace

TEST(SimOptions, AcceptedCommandLines) {
    std::string error;
    auto plain = ParseSimOptions(Words("--ports /tmp/p --com 3"), error);
    ASSERT_TRUE(plain) << error;
    EXPECT_EQ(plain->PortsDir, "/tmp/p");
    EXPECT_EQ(plain->ComNumber, 3);
    EXPECT_FALSE(plain->Pace);
    EXPECT_EQ(plain->Faults.ProbeAnswer, 0xAA);
    EXPECT_FALSE(plain->Faults.StuckBlock || plain->Faults.ReplyAddress || plain->Faults.StopAfter ||
                 plain->Faults.HangupAfter);

    auto all = ParseSimOptions(
        Words("--com 255 --ports d --image a.usr --save b.usr --pace --silent "
              "--probe-answer 0x55 --split 10 --stuck-block 07E0 --reply-address 0xffff "
              "--stop-after 0 --bad-crc --hangup-after 5 --fixed-reply-address 0100 --probe-length 3 "
              "--noise 0.05 --request-noise 0.01 --seed 7"),
        error);
    ASSERT_TRUE(all) << error;
    EXPECT_EQ(all->ComNumber, 255);
    EXPECT_EQ(all->ImagePath, "a.usr");
    EXPECT_EQ(all->SavePath, "b.usr");
    EXPECT_TRUE(all->Pace && all->Faults.Silent && all->Faults.BadCrc);
    EXPECT_EQ(all->Faults.ProbeAnswer, 0x55);
    EXPECT_EQ(all->Faults.Split, 10u);
    EXPECT_EQ(all->Faults.StuckBlock, 0x07E0);
    EXPECT_EQ(all->Faults.ReplyAddress, 0xFFFF);
    EXPECT_EQ(all->Faults.StopAfter, 0u);
    EXPECT_EQ(all->Faults.HangupAfter, 5u);
    EXPECT_EQ(all->Faults.FixedReplyAddress, 0x0100);
    EXPECT_EQ(all->Faults.ProbeLength, 3u);
    EXPECT_EQ(all->Faults.Noise, 0.05);
    EXPECT_EQ(all->Faults.RequestNoise, 0.01);
    EXPECT_EQ(all->Faults.NoiseStart, 7u);

    // A leading zero is no octal number, and 0X is hexadecimal too.
    auto zeros = ParseSimOptions(Words("--ports d --com 010 --split 08 --probe-answer 0X0a"), error);
    ASSERT_TRUE(zeros) << error;
    EXPECT_EQ(zeros->ComNumber, 10);
    EXPECT_EQ(zeros->Faults.Split, 8u);
    EXPECT_EQ(zeros->Faults.ProbeAnswer, 0x0A);
}

// --version alone, --help anywhere: nothing else is needed or parsed.
TEST(SimOptions, HelpAndVersion) {
    std::string error;
    const auto version = ParseSimOptions(Words("--version"), error);
    ASSERT_TRUE(version) << error;
    EXPECT_TRUE(version->Version && !version->Help);
    const auto help = ParseSimOptions(Words("--com 0 --help"), error);
    ASSERT_TRUE(help) << error;
    EXPECT_TRUE(help->Help);
    // Every option in the help is one the parser takes, and the usage names them all.
    for (const char* option : {"--ports DIR", "--fixed-reply-address ADDR", "--bit-flips"}) {
        EXPECT_NE(SimHelp().find(option), std::string::npos) << option;
        EXPECT_NE(SimUsage().find(option), std::string::npos) << option;
    }
}

TEST(SimOptions, UsageErrors) {
    const char* lines[] = {
        "",
        "--com 3",
        "--ports d",
        "--ports d --com 0",
        "--ports d --com 256",
        "--ports d --com 3x",
        "--ports d --com",
        "--ports d --com 3 --probe-answer 100",
        "--ports d --com 3 --probe-answer 0x",
        "--ports d --com 3 --probe-answer -1",
        "--ports d --com 3 --split 0",
        "--ports d --com 3 --stuck-block 0010",
        "--ports d --com 3 --stuck-block 0800",
        "--ports d --com 3 --reply-address 10000",
        "--ports d --com 3 --stop-after x",
        "--ports d --com 3 --probe-length 0",
        "--ports d --com 3 --probe-length 6",
        "--ports d --com 3 --hangup-after 0",
        "--ports d --com 3 --noise 1.5",
        "--ports d --com 3 --noise -0.1",
        "--ports d --com 3 --noise 1%",
        "--ports d --com 3 --seed x",
        "--ports d --com 3 --frobnicate",
        "--ports d --com 3 stray",
        "--ports d --com 3 --com 4",
        "--ports d --com 3 --pace --pace",
        "--ports d --com 3 --version",
        "--ports d --com 3 --stuck-block 07E1",
    };
    for (const char* line : lines) {
        std::string error;
        EXPECT_FALSE(ParseSimOptions(Words(line), error)) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}
