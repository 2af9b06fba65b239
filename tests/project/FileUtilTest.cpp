#include "ProjectFiles.h"
#include "project/IniFile.h"
#include "support/SystemFiles.h"
#include <cerrno>
#include <cstring>

namespace fs = std::filesystem;

TEST_F(ProjectFiles, SideFileIsCreatedUpdatedAndReadBack) {
    const std::string path = Path("Hall.A.ini");
    TIniFile ini;
    ASSERT_TRUE(ini.Load(path).Missing()); // missing is empty
    ini.WriteString("MessageLength", "1", "12");
    ASSERT_TRUE(ini.UpdateFile());

    Put(path, "[Keep]\r\na=1\r\n" + Get(path));
    TIniFile again;
    ASSERT_TRUE(again.Load(path));
    EXPECT_EQ(again.ReadString("MessageLength", "1", ""), "12");
    again.WriteString("MessageLength", "1", "13");
    ASSERT_TRUE(again.UpdateFile());
    EXPECT_EQ(Get(path), "[Keep]\r\na=1\r\n[MessageLength]\r\n1=13\r\n");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProjectFiles, FileThatCannotBeReadIsNeverReplaced) {
    const std::string path = Path("side.ini");
    fs::create_directory(path);
    TIniFile ini;
    const TFileResult loaded = ini.Load(path);
    EXPECT_EQ(loaded.Kind, TFileResult::TKind::NotRegular);
    EXPECT_EQ(loaded.Path, path);
    ini.WriteString("MessageLength", "1", "5");
    EXPECT_FALSE(ini.UpdateFile());
    EXPECT_TRUE(fs::is_directory(path));

    // Nor may a save's rename onto something that is not a file lose it.
    fs::create_directories(Path("dir/inner"));
    EXPECT_FALSE(WriteFileAtomically(Path("dir"), "x"));
    EXPECT_TRUE(fs::is_directory(Path("dir/inner")));
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(ProjectFiles, ReadsStopAtTheirLimit) {
    const std::string path = Path("long.usr");
    Put(path, std::string(3000, 'a'));
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(path, bytes, 2048));
    EXPECT_EQ(bytes.size(), 2048u);
    const TFileResult missing = ReadFileBytes(Path("none.usr"), bytes, 2048);
    EXPECT_TRUE(missing.Missing() && bytes.empty());
    EXPECT_EQ(missing.Code, ENOENT);
    EXPECT_EQ(missing.Reason, std::strerror(ENOENT));

    // A whole file is taken up to 1 MiB; past it, or endless, it is refused unread.
    Put(path, std::string(MaxWholeFile, 'b'));
    EXPECT_TRUE(ReadWholeFile(path, bytes));
    EXPECT_EQ(bytes.size(), MaxWholeFile);
    Put(path, std::string(MaxWholeFile + 1, 'b'));
    const TFileResult large = ReadWholeFile(path, bytes);
    EXPECT_EQ(large.Kind, TFileResult::TKind::TooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(large.Message(), "Unable to read " + path + ": larger than 1 MiB");
    // An endless file is no regular one: refused before a byte is read.
    if (*EndlessFile) {
        EXPECT_EQ(ReadWholeFile(EndlessFile, bytes).Kind, TFileResult::TKind::NotRegular);
        EXPECT_TRUE(bytes.empty());
    }
    const TFileResult folder = ReadWholeFile(Dir.string(), bytes);
    EXPECT_FALSE(folder);
    EXPECT_EQ(folder.Reason, std::strerror(EISDIR));
}
