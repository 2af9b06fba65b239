#include "base/Version.h"
#include "VarokCommit.h"

std::string VersionText() {
    const std::string commit = VAROK_COMMIT;
    return commit.empty() ? VAROK_VERSION : VAROK_VERSION " (commit " + commit + ")";
}

std::string VersionLine(const std::string& program) {
    return program + " " + VersionText();
}
