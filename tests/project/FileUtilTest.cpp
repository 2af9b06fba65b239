#include "ProjectFiles.h"
#include "project/IniFile.h"
#include "support/SystemFiles.h"
#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

TEST_F(ProjectFiles, SideFileIsCreatedUpdatedAndReadBack) {
    const std::string path = Path("Hall.A.ini");
    TIniFile ini;
    std::string error;
    ASSERT_TRUE(ini.Load(path, error)); // missing is empty
    ini.WriteString("MessageLength", "1", "12");
    ASSERT_TRUE(ini.UpdateFile(error)) << error;

    Put(path, "[Keep]\r\na=1\r\n" + Get(path));
    TIniFile again;
    ASSERT_TRUE(again.Load(path, error));
    EXPECT_EQ(again.ReadString("MessageLength", "1", ""), "12");
    again.WriteString("MessageLength", "1", "13");
    ASSERT_TRUE(again.UpdateFile(error)) << error;
    EXPECT_EQ(Get(path), "[Keep]\r\na=1\r\n[MessageLength]\r\n1=13\r\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProjectFiles, FileThatCannotBeReadIsNeverReplaced) {
    const std::string path = Path("side.ini");
    fs::create_directory(path);
    TIniFile ini;
    std::string error;
    EXPECT_FALSE(ini.Load(path, error));
    EXPECT_NE(error.find(path), std::string::npos);
    ini.WriteString("MessageLength", "1", "5");
    EXPECT_FALSE(ini.UpdateFile(error));
    EXPECT_TRUE(fs::is_directory(path));

    // Nor may a save's rename onto something that is not a file lose it.
    fs::create_directories(Path("dir/inner"));
    EXPECT_FALSE(WriteFileAtomically(Path("dir"), "x", error));
    EXPECT_TRUE(fs::is_directory(Path("dir/inner")));
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(ProjectFiles, ReadsStopAtTheirLimit) {
    const std::string path = Path("long.usr");
    Put(path, std::string(3000, 'a'));
    std::string bytes, error, reason;
    EXPECT_EQ(ReadFileBytes(path, bytes, error, 2048), TReadStatus::Read);
    EXPECT_EQ(bytes.size(), 2048u);
    EXPECT_EQ(ReadFileBytes(Path("none.usr"), bytes, error, 2048, &reason), TReadStatus::Missing);
    EXPECT_TRUE(bytes.empty() && error.empty());
    EXPECT_EQ(reason, std::strerror(ENOENT));

    // A whole file is taken up to 1 MiB; past it, or endless, it is refused unread.
    Put(path, std::string(MaxWholeFile, 'b'));
    EXPECT_EQ(ReadWholeFile(path, bytes, error), TReadStatus::Read);
    EXPECT_EQ(bytes.size(), MaxWholeFile);
    Put(path, std::string(MaxWholeFile + 1, 'b'));
    EXPECT_EQ(ReadWholeFile(path, bytes, error, &reason), TReadStatus::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(error, "Unable to read " + path + ": larger than 1 MiB");
    EXPECT_EQ(reason, "larger than 1 MiB");
    // An endless file is no regular one: refused before a byte is read.
    if (*EndlessFile) {
        EXPECT_EQ(ReadWholeFile(EndlessFile, bytes, error, &reason), TReadStatus::Failed);
        EXPECT_TRUE(bytes.empty());
    }
    EXPECT_EQ(ReadWholeFile(Dir.string(), bytes, error, &reason), TReadStatus::Failed);
    EXPECT_EQ(reason, std::strerror(FolderReadError));
}
