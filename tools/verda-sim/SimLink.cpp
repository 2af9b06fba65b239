#include "SimLink.h"
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

bool TSimLink::Create(const std::string& path, const std::string& device, std::string& error) {
    Remove();
    struct stat existing {};
    if (lstat(path.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        error = path + " exists and is not a symbolic link";
        return false;
    }
    // Made under a temporary name and renamed, so the name never points nowhere.
    const std::string temporary = path + ".tmp" + std::to_string(getpid());
    unlink(temporary.c_str());
    if (symlink(device.c_str(), temporary.c_str()) != 0) {
        error = temporary + ": " + std::strerror(errno);
        return false;
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    Path = path;
    Device = device;
    return true;
}

void TSimLink::Remove() {
    if (Path.empty())
        return;
    char target[4096];
    const ssize_t n = readlink(Path.c_str(), target, sizeof target);
    if (n >= 0 && Device == std::string(target, static_cast<size_t>(n)))
        unlink(Path.c_str());
    Path.clear();
    Device.clear();
}
