#include "project/FileUtil.h"
#include "project/IniFile.h"
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
class ProjectFiles : public testing::Test {
protected:
    void SetUp() override {
        Dir = fs::temp_directory_path() / ("varok-files-" + std::to_string(getpid()) + "-" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override {
        fs::permissions(Dir, fs::perms::owner_all);
        fs::remove_all(Dir);
    }
    std::string Path(const std::string& name) const { return (Dir / name).string(); }
    static void Put(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string& path) {
        std::string bytes, error;
        EXPECT_EQ(ReadWholeFile(path, bytes, error), TReadStatus::Read) << error;
        return bytes;
    }
    size_t Entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(Dir), {})); }
    fs::path Dir;
};
} // namespace

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
}

TEST_F(ProjectFiles, ReadOnlyFolderFailsAndKeepsTheOldFile) {
    const std::string path = Path("p.usr");
    Put(path, "old");
    fs::permissions(path, fs::perms::all); // only the folder stands in the way
    fs::permissions(Dir, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                             fs::perms::others_exec);
    // Folder permissions do not bind root, so root tries it as an ordinary user.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        std::string error;
        const bool written = WriteFileAtomically(path, "new", error);
        _exit(written ? 1 : error.find(path) == std::string::npos ? 3 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(Get(path), "old");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProjectFiles, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string path = Path("p.usr");
    Put(path, "old");
    // A full disk: the file size limit makes the write fail part way.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool written = WriteFileAtomically(path, std::string(5000, 'x'), error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_EQ(Get(path), "old");
    EXPECT_EQ(Entries(), 1u);

    // Nor may a rename onto something that is not a file lose it.
    fs::create_directories(Path("dir/inner"));
    EXPECT_FALSE(WriteFileAtomically(Path("dir"), "x", error));
    EXPECT_TRUE(fs::is_directory(Path("dir/inner")));
    EXPECT_EQ(Entries(), 2u);
}

TEST_F(ProjectFiles, ReplacementKeepsPermissionsLinksAndWriteProtection) {
    const std::string path = Path("p.ini");
    Put(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(path, Path("link.ini"));
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("link.ini"), "new", error)) << error;
    EXPECT_TRUE(fs::is_symlink(Path("link.ini")));
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(path, fs::perms::owner_read);
    if (access(path.c_str(), W_OK) != 0) {
        EXPECT_FALSE(WriteFileAtomically(path, "newer", error));
        EXPECT_EQ(Get(path), "new");
    }
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
    for (const std::string& big : {path, std::string("/dev/zero")}) {
        EXPECT_EQ(ReadWholeFile(big, bytes, error, &reason), TReadStatus::TooLarge) << big;
        EXPECT_TRUE(bytes.empty());
        EXPECT_EQ(error, "Unable to read " + big + ": larger than 1 MiB");
        EXPECT_EQ(reason, "larger than 1 MiB");
    }
    EXPECT_EQ(ReadWholeFile(Dir.string(), bytes, error, &reason), TReadStatus::Failed);
    EXPECT_EQ(reason, std::strerror(EISDIR));
}

TEST_F(ProjectFiles, PrivateFilesAreNewAndOwnedByTheUserAlone) {
    std::string first, second, error;
    ASSERT_TRUE(WriteNewPrivateFile(Dir.string(), "VarokConfig-utf8", ".txt", "один", first, error)) << error;
    ASSERT_TRUE(WriteNewPrivateFile(Dir.string(), "VarokConfig-utf8", ".txt", "два", second, error)) << error;
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        EXPECT_EQ(name.rfind(Path("VarokConfig-utf8-"), 0), 0u) << name;
        EXPECT_TRUE(name.ends_with(".txt")) << name;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name)));
        EXPECT_EQ(fs::status(name).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    }
    EXPECT_EQ(Get(first), "один");
    EXPECT_TRUE(RemoveFile(first));
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(WriteNewPrivateFile(Path("no-such-folder"), "x", ".txt", "", first, error));
    EXPECT_NE(error.find("no-such-folder"), std::string::npos);
}
