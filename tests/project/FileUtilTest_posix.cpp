// Files under POSIX permissions and resource limits.
#include "ProjectFiles.h"
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

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
        const TFileResult written = WriteFileAtomically(path, "new");
        _exit(written ? 1 : written.Path != path ? 3 : 0);
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
    const TFileResult written = WriteFileAtomically(path, std::string(5000, 'x'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(written.Path, path);
    EXPECT_EQ(Get(path), "old");
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(ProjectFiles, ReplacementKeepsPermissionsLinksAndWriteProtection) {
    const std::string path = Path("p.ini");
    Put(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(path, Path("link.ini"));
    ASSERT_TRUE(WriteFileAtomically(Path("link.ini"), "new"));
    EXPECT_TRUE(fs::is_symlink(Path("link.ini")));
    EXPECT_EQ(Get(path), "new");
    EXPECT_EQ(fs::status(path).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(path, fs::perms::owner_read);
    if (access(path.c_str(), W_OK) != 0) {
        EXPECT_FALSE(WriteFileAtomically(path, "newer"));
        EXPECT_EQ(Get(path), "new");
    }
}

TEST_F(ProjectFiles, PrivateFilesAreNewAndOwnedByTheUserAlone) {
    std::string first, second;
    ASSERT_TRUE(WriteNewPrivateFile(Dir.string(), "VarokConfig-utf8", ".txt", "один", first));
    ASSERT_TRUE(WriteNewPrivateFile(Dir.string(), "VarokConfig-utf8", ".txt", "два", second));
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
    const TFileResult failed = WriteNewPrivateFile(Path("no-such-folder"), "x", ".txt", "", first);
    EXPECT_NE(failed.Message().find("no-such-folder"), std::string::npos);
}
