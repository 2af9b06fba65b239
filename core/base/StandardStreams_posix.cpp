#include "base/StandardStreams.h"
#include <fcntl.h>
#include <unistd.h>

void OpenStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1)
            continue;
        // The lowest free number is this one, since those below are open.
        const int opened = open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd)
            close(opened);
    }
}
