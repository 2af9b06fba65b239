#pragma once
#include "project/FileResult.h"
#include <chrono>
#include <cstdint>
#include <string>

// The one writer of a project: held for the whole of a save (and of the mending of a save that
// was stopped), on a lock file beside the image that goes again with the lock. The system lets
// the lock go when its holder dies, so a killed save never keeps others out.
class TProjectLock {
public:
    static constexpr std::chrono::milliseconds Patience{2000};

    TProjectLock() = default;
    ~TProjectLock() { Release(); }
    TProjectLock(const TProjectLock&) = delete;
    TProjectLock& operator=(const TProjectLock&) = delete;

    // Takes the lock `lockFile` for the project `project` (named in the failure), waiting at
    // most `patience` for another holder to let it go.
    TFileResult Acquire(const std::string& lockFile, const std::string& project,
                        std::chrono::milliseconds patience = Patience);
    void Release();

private:
    std::string Name;
    std::intptr_t Handle = -1; // a descriptor, or a Windows handle
};
